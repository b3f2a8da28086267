#include "CRecentFiles.h"

#include "BM_Library.h"
#include "CBusyIndicator.h"
#include "CDatabase.h"
#include "CError.h"
#include "CRecordset.h"
#include "Placeholders.h"
#include "RM_RecentMirror.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr qint64 kEpochTo1601Seconds = 11644473600LL;

QString CacheFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Vollo/");
}

struct Listed {
    QString name;
    qint64 fileTime; // 100-ns ticks since 1601, UTC
};

// The recent folder's entries that carry the archive bit, that is, every
// entry but folders (a link counts as a file whatever it points to).
std::vector<Listed> ListFolder(const QString& folder) {
    std::vector<Listed> out;
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return out;
    const int fd = dirfd(dir);
    while (const dirent* de = readdir(dir)) {
        const char* raw = de->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        struct stat st;
        if (fstatat(fd, raw, &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode))
            continue;
        const qint64 ticks = (qint64(st.st_mtim.tv_sec) + kEpochTo1601Seconds) * 10000000LL +
                             qint64(st.st_mtim.tv_nsec) / 100;
        out.push_back({QFile::decodeName(raw), ticks});
    }
    closedir(dir);
    return out;
}

} // namespace

CRecentFiles::CRecentFiles(QObject* parent)
    : QObject(parent), m_connection(std::make_unique<CDatabase>()) {
    const QString cache = CacheFolder();
    m_filePath = BM_Library::RecentFolder(this);
    // The mirror removes links in this folder, so it must be a folder of our
    // own, never a stand-in such as "/".
    if (!m_filePath.endsWith(QLatin1String("/Vollo/Recent/")))
        m_filePath = cache + QStringLiteral("Recent/");
    if (!QDir().mkpath(cache))
        throw CError(
            0,
            QStringLiteral("Cannot create the folder \"%1\"").arg(QDir::toNativeSeparators(cache)));
    m_databasePath = cache + QStringLiteral("recent.db");
    m_connection->Open(m_databasePath, true);
    m_connection->Execute(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS tableRecent(fileName TEXT, ageLow INTEGER, ageHigh INTEGER)"));
}

CRecentFiles::~CRecentFiles() = default;

void CRecentFiles::FindFile() {
    emit OnBegin();
    {
        CBusyIndicator busy;
        m_foundCount = 0;
        m_leftOut.Clear();
        RM_RecentMirror::MirrorRecentDocuments(RM_RecentMirror::BookmarkFile(), m_filePath,
                                               &m_leftOut);

        // One transaction: the table is refilled whole or not at all, and
        // hundreds of inserts cost one commit.
        m_connection->BeginTransaction();
        try {
            m_connection->Execute(QStringLiteral("DELETE * FROM tableRecent"));
            const QString insert = QStringLiteral(
                "INSERT INTO tableRecent(fileName,ageLow,ageHigh)VALUES(\"%fileName\",%ageLow,"
                "%ageHigh)");
            for (const Listed& entry : ListFolder(m_filePath)) {
                ++m_foundCount;
                const qint32 low = qint32(quint32(quint64(entry.fileTime) & 0xFFFFFFFFu));
                const qint32 high = qint32(quint32(quint64(entry.fileTime) >> 32));
                m_connection->Execute(
                    FillPlaceholders(insert, {{QStringLiteral("%fileName"), entry.name},
                                              {QStringLiteral("%ageLow"), low},
                                              {QStringLiteral("%ageHigh"), high}}));
            }
            m_connection->CommitTransaction();
        } catch (...) {
            m_connection->RollbackTransaction();
            throw;
        }

        // The low half is stored signed: read as the unsigned number it
        // is, or every time whose low half passes 2^31 sorts as older.
        CRecordset rs =
            m_connection->Execute(QStringLiteral("SELECT * FROM tableRecent ORDER BY ageHigh DESC, "
                                                 "(ageLow & 4294967295) DESC"));
        qint32 listed = 0;
        for (; !rs.IsEOF() && listed < m_fileCount; rs.MoveNext()) {
            const QString name = rs.Field(QStringLiteral("fileName")).toString();
            bool live = false;
            try {
                const QString target = BM_Library::ShortcutTarget(m_filePath + name);
                live = !target.isEmpty() && BM_Library::FileExists(target);
            } catch (const CError&) {
                live = false; // an unreadable shortcut is simply not live
            }
            if (live) {
                ++listed;
                emit OnFound(m_filePath + name);
            }
        }
    }
    emit OnFinish(m_foundCount);
}

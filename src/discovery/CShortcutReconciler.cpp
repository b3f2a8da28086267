#include "CShortcutReconciler.h"

#include "BM_Library.h"
#include "CDatabase.h"
#include "CError.h"
#include "CShortcutReader.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"
#include "Placeholders.h"
#include "SM_Shortcut.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The names of the shortcuts (symbolic links or copied shell links) in a
// folder, as the bytes the file system holds, one after another with their
// ends. Kept as bytes: a start compares every one of them with a row, and
// only the few left over are ever needed as text.
struct ShortcutNames {
    QByteArray bytes;
    QList<QByteArrayView> names;
};

ShortcutNames ListShortcuts(const QString& folder) {
    ShortcutNames listed;
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return listed;
    QList<std::pair<qsizetype, qsizetype>> spans;
    while (const dirent* de = readdir(dir)) {
        const QByteArrayView name(de->d_name);
        if (name.size() < 4 || qstrnicmp(name.data() + name.size() - 4, ".lnk", 4) != 0)
            continue;
        // The entry's type comes with its name on most file systems: one
        // call per shortcut less, at a start that lists every one of them.
        struct stat st;
        const bool shortcut = de->d_type == DT_LNK || de->d_type == DT_REG ||
                              (de->d_type == DT_UNKNOWN &&
                               fstatat(dirfd(dir), de->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                               (S_ISLNK(st.st_mode) || S_ISREG(st.st_mode)));
        if (!shortcut)
            continue;
        spans.append({listed.bytes.size(), name.size()});
        listed.bytes.append(name.data(), name.size());
    }
    closedir(dir);
    listed.names.reserve(spans.size());
    for (const auto& [at, size] : spans)
        listed.names.append(QByteArrayView(listed.bytes).sliced(at, size));
    return listed;
}

bool Exists(const QString& path) {
    struct stat st;
    return lstat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

CShortcutReconciler::CShortcutReconciler(CVolloDB& repository) : m_repository(repository) {}

CShortcutReconciler::Result CShortcutReconciler::Reconcile(bool Change) {
    if (Change && m_repository.IsReadOnly())
        return {};
    return Apply(LookAt(m_repository.ShortcutFolder(), m_repository.Connection(),
                        m_repository.GetQuery(QStringLiteral("getFileNameAll"))),
                 Change);
}

CShortcutReconciler::Look CShortcutReconciler::LookAt(const QString& folder, CDatabase& connection,
                                                      const QString& selectAll) {
    Look look;
    const QByteArray folderBytes = QFile::encodeName(folder);
    const ShortcutNames listed = ListShortcuts(folder);
    // Shortcuts the listing showed and no row has claimed yet. A row whose
    // shortcut is among them needs no call of its own to be known present.
    QSet<QByteArrayView> unclaimed;
    unclaimed.reserve(listed.names.size());
    for (const QByteArrayView name : listed.names)
        unclaimed.insert(name);
    connection.ForEach(selectAll, [&](const CDatabase::Row& row) {
        const QByteArrayView path = row.Utf8(1);
        if (!path.startsWith(folderBytes) || !unclaimed.remove(path.sliced(folderBytes.size())))
            look.unlisted.append(row.Text(1));
    });
    // In the order of the listing, as the folder gave them.
    for (const QByteArrayView name : listed.names)
        if (unclaimed.contains(name))
            look.unclaimed.append(name.toByteArray());
    return look;
}

CShortcutReconciler::Result CShortcutReconciler::Apply(const Look& look, bool Change) {
    Result result;
    if (Change && m_repository.IsReadOnly())
        return result;
    const QString folder = m_repository.ShortcutFolder();
    const QByteArray folderBytes = QFile::encodeName(folder);
    CTransactionScope transaction(m_repository);
    for (const QString& path : look.unlisted) {
        if (!Exists(path)) {
            if (Change)
                m_repository.DelFileName(path);
            ++result.removedRows;
        }
    }
    const CShortcutReader reader;
    const QString day =
        BM_Library::DateLiteral(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    for (const QByteArray& name : look.unclaimed) {
        const QString path = QFile::decodeName(folderBytes + name);
        if (!Exists(path))
            continue;
        QString target;
        try {
            target = reader.Target(path);
        } catch (const CError&) {
        }
        if (!Change) {
            ++(!target.isEmpty() && QFileInfo::exists(target) ? result.registered
                                                              : result.removedShortcuts);
        } else if (!target.isEmpty() && QFileInfo::exists(target)) {
            const QString select =
                FillPlaceholders(m_repository.GetQuery(QStringLiteral("getFileName")),
                                 {{QStringLiteral("%fileName"), path}});
            const QString insert = FillPlaceholders(
                m_repository.GetQuery(QStringLiteral("addFileName")),
                {{QStringLiteral("%fileName"), path}, {QStringLiteral("%fileAge"), day}});
            // A row made since the look (by a walk of this start, say) has
            // its facts already.
            bool added = false;
            const qint32 id = m_repository.UpdateItem(select, insert, &added);
            if (added) {
                m_repository.RecordFacts(id, path);
                ++result.registered;
            }
        } else if (unlink(QFile::encodeName(path).constData()) == 0) {
            ++result.removedShortcuts;
        }
    }
    transaction.Commit();
    if (Change && result.removedShortcuts > 0)
        SM_Shortcut::ForgetFolder(folder);
    return result;
}

#include "RM_RecentMirror.h"

#include "BM_Library.h"
#include "CError.h"
#include "CLeftOut.h"
#include "SM_Shortcut.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <glib.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Microseconds since 1970 of a bookmark date; the smallest value when unset.
qint64 Micros(GDateTime* t) {
    if (!t)
        return std::numeric_limits<qint64>::min();
    return qint64(g_date_time_to_unix(t)) * 1000000 + g_date_time_get_microsecond(t);
}

struct Wanted {
    QStringList order;           // documents in the bookmark file's order
    QHash<QString, qint64> used; // document -> latest use
    QString malformed;           // why contents that are there do not parse
};

// Larger than any list the desktop keeps (it trims to a few hundred entries).
constexpr qint64 kBookmarkLimit = qint64(64) * 1024 * 1024;

// The bytes of the file when it is a regular file. A FIFO, a device or a
// socket at its place would block the window in open() or never end, so the
// file is opened without blocking and looked at before a byte is read.
QByteArray ReadRegularFile(const QString& path) {
    const int fd =
        open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    struct stat st;
    QByteArray data;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kBookmarkLimit) {
        data.resize(qsizetype(st.st_size));
        qsizetype done = 0;
        while (done < data.size()) {
            const ssize_t n = read(fd, data.data() + done, size_t(data.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        data.truncate(done);
    }
    close(fd);
    return data;
}

// problem, when given, receives why contents that are there do not parse.
GBookmarkFile* LoadBookmarks(const QByteArray& data, QString* problem = nullptr) {
    GBookmarkFile* bookmarks = g_bookmark_file_new();
    GError* error = nullptr;
    if (data.isEmpty() ||
        !g_bookmark_file_load_from_data(bookmarks, data.constData(), gsize(data.size()), &error)) {
        // Missing, unreadable or malformed: the desktop has no recent list.
        if (problem != nullptr && error != nullptr)
            *problem = QString::fromUtf8(error->message);
        g_clear_error(&error);
        g_bookmark_file_free(bookmarks);
        return nullptr;
    }
    return bookmarks;
}

// The local document an entry names; empty for other URIs. A name that is
// not valid text is told through leftOut: as text it would name no file.
QString LocalPath(const char* uri, CLeftOut* leftOut) {
    gchar* host = nullptr;
    gchar* file = g_filename_from_uri(uri, &host, nullptr);
    const bool local = file && (!host || g_ascii_strcasecmp(host, "localhost") == 0);
    QString path = local ? QDir::cleanPath(QFile::decodeName(file)) : QString();
    if (local && !CLeftOut::IsFaithfulName(file)) {
        if (leftOut)
            leftOut->Add(path, CLeftOut::BadNameReason());
        path.clear();
    }
    g_free(file);
    g_free(host);
    return QDir::isAbsolutePath(path) ? path : QString();
}

Wanted ParseWanted(const QByteArray& data, CLeftOut* leftOut) {
    Wanted wanted;
    GBookmarkFile* bookmarks = LoadBookmarks(data, &wanted.malformed);
    if (!bookmarks)
        return wanted;
    gsize count = 0;
    gchar** uris = g_bookmark_file_get_uris(bookmarks, &count);
    for (gsize i = 0; i < count; ++i) {
        const QString path = LocalPath(uris[i], leftOut);
        if (path.isEmpty())
            continue;
        qint64 latest = Micros(g_bookmark_file_get_added_date_time(bookmarks, uris[i], nullptr));
        latest = std::max(
            latest, Micros(g_bookmark_file_get_modified_date_time(bookmarks, uris[i], nullptr)));
        latest = std::max(
            latest, Micros(g_bookmark_file_get_visited_date_time(bookmarks, uris[i], nullptr)));
        if (latest == std::numeric_limits<qint64>::min())
            latest = 0;
        auto it = wanted.used.find(path);
        if (it == wanted.used.end()) {
            wanted.order.append(path);
            wanted.used.insert(path, latest);
        } else if (latest > *it) {
            *it = latest;
        }
    }
    g_strfreev(uris);
    g_bookmark_file_free(bookmarks);
    return wanted;
}

Wanted ReadBookmarks(const QString& bookmarkFile, CLeftOut* leftOut) {
    return ParseWanted(ReadRegularFile(bookmarkFile), leftOut);
}

QString LinkTarget(const QString& folder, const QByteArray& linkPath) {
    QByteArray buffer(4096, Qt::Uninitialized);
    const ssize_t n = readlink(linkPath.constData(), buffer.data(), size_t(buffer.size()));
    if (n < 0 || n >= buffer.size())
        return QString();
    buffer.truncate(n);
    const QString text = QFile::decodeName(buffer);
    return QDir::cleanPath(QDir::isAbsolutePath(text) ? text : folder + text);
}

void SetLinkTime(const QString& link, qint64 micros) {
    timespec times[2];
    times[0].tv_sec = time_t(micros / 1000000);
    times[0].tv_nsec = long(micros % 1000000) * 1000;
    if (times[0].tv_nsec < 0) {
        times[0].tv_sec -= 1;
        times[0].tv_nsec += 1000000000L;
    }
    times[1] = times[0];
    // The link's own time carries the last use, never the document's.
    utimensat(AT_FDCWD, QFile::encodeName(link).constData(), times, AT_SYMLINK_NOFOLLOW);
}

// Keeps one shortcut per wanted document; everything else that is a
// shortcut of ours goes. Other files in the folder are left alone. Returns
// the shortcuts kept, by document.
QHash<QString, QString> KeepWanted(const QString& folder, const Wanted& wanted) {
    QHash<QString, QString> kept;
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (dir == nullptr)
        return kept;
    const int fd = dirfd(dir);
    std::vector<QByteArray> names;
    while (const dirent* de = readdir(dir))
        names.emplace_back(de->d_name);
    for (const QByteArray& raw : names) {
        struct stat st;
        if (fstatat(fd, raw.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode))
            continue;
        const QString name = QFile::decodeName(raw);
        if (!name.endsWith(QLatin1String(".lnk"), Qt::CaseInsensitive))
            continue;
        const QString link = folder + name;
        const QString target = LinkTarget(folder, QFile::encodeName(link));
        if (wanted.used.contains(target) && !kept.contains(target)) {
            kept.insert(target, link);
        } else {
            unlinkat(fd, raw.constData(), 0);
        }
    }
    closedir(dir);
    return kept;
}

} // namespace

namespace RM_RecentMirror {

QString BookmarkFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/recently-used.xbel");
}

QStringList ParseBookmarks(const QByteArray& data) {
    return ParseWanted(data, nullptr).order;
}

bool ForgetRecentDocument(const QString& bookmarkFile, const QString& document) {
    GBookmarkFile* bookmarks = LoadBookmarks(ReadRegularFile(bookmarkFile));
    if (!bookmarks)
        return !QFile::exists(bookmarkFile);
    const QString wanted = QDir::cleanPath(document);
    gsize count = 0;
    gchar** uris = g_bookmark_file_get_uris(bookmarks, &count);
    bool removed = false;
    for (gsize i = 0; i < count; ++i) {
        if (LocalPath(uris[i], nullptr) == wanted)
            removed = g_bookmark_file_remove_item(bookmarks, uris[i], nullptr) || removed;
    }
    g_strfreev(uris);
    // Written whole into a new file that then takes the old one's place, so
    // the desktop's own readers never see half a list.
    const bool saved =
        !removed ||
        g_bookmark_file_to_file(bookmarks, QFile::encodeName(bookmarkFile).constData(), nullptr);
    g_bookmark_file_free(bookmarks);
    return saved;
}

int MirrorRecentDocuments(const QString& bookmarkFile, const QString& folderText,
                          CLeftOut* leftOut) {
    const QString folder = BM_Library::AddBackslash(folderText);
    if (!QDir().mkpath(folder))
        throw CError(0, QStringLiteral("Cannot create the folder \"%1\"")
                            .arg(QDir::toNativeSeparators(folder)));
    const Wanted wanted = ReadBookmarks(bookmarkFile, leftOut);
    if (!wanted.malformed.isEmpty()) {
        // Perhaps caught half-written by another program: the mirror keeps
        // the last list that could be read instead of emptying itself.
        if (leftOut)
            leftOut->Add(bookmarkFile,
                         QCoreApplication::translate(
                             "RM_RecentMirror",
                             "デスクトップの「最近使ったファイル」の記録が壊れていて読めません"
                             "（%1）。前に読めた一覧のままにしています。このファイルを消すと、"
                             "デスクトップが新しく作り直します。")
                             .arg(wanted.malformed));
        return int(QDir(folder).entryList({QStringLiteral("*.lnk")}, QDir::System).size());
    }

    QHash<QString, QString> kept = KeepWanted(folder, wanted); // document -> shortcut path
    // Links may have come and gone since the shortcut maker last looked.
    SM_Shortcut::ForgetFolder(folder);

    for (const QString& document : wanted.order) {
        QString link = kept.value(document);
        if (link.isEmpty()) {
            try {
                link = SM_Shortcut::MakeShortcutFile(folder, document);
            } catch (const CError& e) {
                if (leftOut)
                    leftOut->Add(document, e);
                continue; // a document that cannot be linked is left out
            }
            kept.insert(document, link);
        }
        SetLinkTime(link, wanted.used.value(document));
    }
    return int(kept.size());
}

} // namespace RM_RecentMirror

#include "SM_Shortcut.h"

#include "BM_Library.h"
#include "CError.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

const QString kLnk = QStringLiteral(".lnk");

// The extension of a file name, dot included; empty when the name has none.
// Only the name is searched, so a dot in a folder name never counts.
QString NameExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

QString WithoutNameExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString FileNamePart(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// Whether an absolute path holds no empty, "." or ".." step and no
// trailing separator, so that cleaning it would change nothing.
bool IsClean(const QString& path) {
    const qsizetype n = path.size();
    if (n < 2 || path[0] != u'/' || path[n - 1] == u'/')
        return false;
    for (qsizetype i = 0; i < n; ++i) {
        if (path[i] != u'/')
            continue;
        // At a separator: look at the step that follows it.
        qsizetype dots = 0;
        while (i + 1 + dots < n && path[i + 1 + dots] == u'.')
            ++dots;
        const qsizetype end = i + 1 + dots;
        if ((dots == 0 && end < n && path[end] == u'/') ||
            ((dots == 1 || dots == 2) && (end == n || path[end] == u'/')))
            return false;
    }
    return true;
}

QString Absolute(const QString& path) {
    // Most paths handed in are clean already; cleaning is the dearer step.
    if (IsClean(path))
        return path;
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path
                                                      : QDir::current().absoluteFilePath(path));
}

QString ErrnoText(int code) {
    return qt_error_string(code);
}

// The document a symbolic link names, made absolute against its folder.
bool ReadLink(const QString& folder, const QByteArray& linkPath, QString& target) {
    QByteArray buffer(4096, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = readlink(linkPath.constData(), buffer.data(), size_t(buffer.size()));
        if (n < 0)
            return false;
        if (n < buffer.size()) {
            buffer.truncate(n);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    const QString text = QFile::decodeName(buffer);
    target = QDir::isAbsolutePath(text) ? QDir::cleanPath(text) : QDir::cleanPath(folder + text);
    return true;
}

// Whether the shortcut target `existing` names the document `wanted`. Letter
// case is ignored as the shortcut names are, but two paths that differ only
// in case and both exist as different files stay different documents: this
// file system tells them apart, and merging them would lose one.
bool SameDocument(const QString& existing, const QString& wanted) {
    if (existing == wanted)
        return true;
    if (existing.compare(wanted, Qt::CaseInsensitive) != 0)
        return false;
    struct stat a, b;
    if (stat(QFile::encodeName(existing).constData(), &a) == 0 &&
        stat(QFile::encodeName(wanted).constData(), &b) == 0)
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    return true;
}

// One row of names: candidate, base#1ext.lnk, base#2ext.lnk, ... as far as
// they exist in the folder, with the document each of them points to (empty
// for an entry that is no readable shortcut, which matches nothing).
struct Chain {
    std::vector<QString> targets;
    QMultiHash<QString, int> byFoldedTarget;

    void Append(const QString& target) {
        const int index = int(targets.size());
        targets.push_back(target);
        if (!target.isEmpty())
            byFoldedTarget.insert(target.toCaseFolded(), index);
    }
};

// What is known of one shortcut folder: its entry names when it was last
// listed and the rows built from them, trusted only while the folder's
// identity and modification time are those seen after our own last change.
// Rows are only built for names that clash; a name not yet in the folder
// needs none. The descriptor spares a path lookup per shortcut.
struct FolderState {
    int fd = -1;
    dev_t dev = 0;
    ino_t ino = 0;
    timespec mtime{};
    // A hash of each name rather than the name: at a million shortcuts the
    // names were a tenth of the program's memory. A hash found is looked up
    // on the disk before it counts (Taken).
    QSet<quint64> names;
    QHash<QString, Chain> chains;

    FolderState() = default;
    FolderState(const FolderState&) = delete;
    FolderState& operator=(const FolderState&) = delete;
    ~FolderState() {
        if (fd >= 0)
            close(fd);
    }

    bool Current(const struct stat& st) const {
        return fd >= 0 && dev == st.st_dev && ino == st.st_ino &&
               mtime.tv_sec == st.st_mtim.tv_sec && mtime.tv_nsec == st.st_mtim.tv_nsec;
    }
    void Distrust() { mtime = {-1, -1}; }
};

QMutex gMutex;
std::unordered_map<QString, std::unique_ptr<FolderState>> gFolders;

[[noreturn]] void ThrowErrno(int code, const QString& what, const QString& path) {
    throw CError(code,
                 what.arg(QDir::toNativeSeparators(path)) + QStringLiteral(": ") + ErrnoText(code));
}

quint64 NameHash(QByteArrayView bytes) {
    return std::hash<std::string_view>{}(std::string_view(bytes.data(), size_t(bytes.size())));
}

// Lists the folder afresh; st is its state from just before.
void Reload(FolderState& s, const QString& folder, const struct stat& st) {
    // Reopened every time: the folder at this path may be a new one that
    // reuses the inode number of a removed one.
    if (s.fd >= 0)
        close(s.fd);
    s.fd = open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (s.fd < 0)
        ThrowErrno(errno, QStringLiteral("Cannot open the folder \"%1\""), folder);
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.mtime = st.st_mtim;
    s.names.clear();
    s.chains.clear();
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        ThrowErrno(errno, QStringLiteral("Cannot read the folder \"%1\""), folder);
    while (const dirent* de = readdir(dir))
        s.names.insert(NameHash(QByteArrayView(de->d_name)));
    closedir(dir);
}

// Whether the folder holds an entry called name.
bool Taken(const FolderState& s, const QString& name) {
    const QByteArray bytes = QFile::encodeName(name);
    if (!s.names.contains(NameHash(bytes)))
        return false;
    struct stat st;
    return fstatat(s.fd, bytes.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT;
}

QString TargetOf(const QString& folder, const QString& name) {
    const QString path = folder + name;
    const QByteArray encoded = QFile::encodeName(path);
    struct stat st;
    if (lstat(encoded.constData(), &st) != 0)
        return QString();
    QString target;
    if (S_ISLNK(st.st_mode))
        return ReadLink(folder, encoded, target) ? target : QString();
    if (S_ISREG(st.st_mode)) {
        // A shell link copied over from another system.
        try {
            return BM_Library::ShortcutTarget(path);
        } catch (const CError&) {
            return QString(); // unreadable: a name taken by something else
        }
    }
    return QString();
}

// The longest file name the file system takes, in bytes.
constexpr qsizetype kNameMax = 255;

qsizetype NameBytes(const QString& name) {
    return QFile::encodeName(name).size();
}

// stem + tail, the stem cut short (never inside a character) so the whole
// fits in one file name. A tail that leaves no room for a stem is cut too.
QString Fit(const QString& stem, const QString& tail) {
    if (NameBytes(stem) + NameBytes(tail) <= kNameMax)
        return stem + tail;
    const qsizetype tailBytes = NameBytes(tail);
    if (tailBytes > kNameMax / 2)
        return Fit(stem + tail.chopped(kLnk.size()), kLnk);
    qsizetype room = kNameMax - tailBytes;
    qsizetype end = 0;
    for (qsizetype i = 0; i < stem.size();) {
        const qsizetype step = stem[i].isHighSurrogate() && i + 1 < stem.size() ? 2 : 1;
        const qsizetype bytes = NameBytes(stem.mid(i, step));
        if (bytes > room)
            break;
        room -= bytes;
        i += step;
        end = i;
    }
    return stem.left(end) + tail;
}

struct Naming {
    QString candidate; // file name of the first choice, as it would be uncut
    QString base;      // candidate without ".lnk" and the document's extension
    QString ext;       // extension the numbered names carry
    // A name past the limit keeps its extension, its number and ".lnk" and
    // loses the end of its stem; the shortcut still points to the document.
    QString Name(int index) const {
        if (index == 0)
            return NameBytes(candidate) <= kNameMax ? candidate
                                                    : Fit(base, candidate.mid(base.size()));
        return Fit(base, QLatin1Char('#') + QString::number(index) + ext + kLnk);
    }
};

// Creates the shortcut `name` in the folder open as dirFd (full path given
// too); returns 0 or the errno of the failure.
using Creator = std::function<int(int dirFd, const QString& name, const QString& path)>;

// The folder's state, read again when it changed behind our back or was
// removed; the open folder is asked first.
FolderState& FreshFolder(const QString& folder) {
    std::unique_ptr<FolderState>& slot = gFolders[folder];
    if (!slot)
        slot = std::make_unique<FolderState>();
    FolderState& s = *slot;
    struct stat st;
    if (s.fd < 0 || fstat(s.fd, &st) != 0 || st.st_nlink == 0 || !s.Current(st)) {
        if (stat(QFile::encodeName(folder).constData(), &st) != 0)
            ThrowErrno(errno, QStringLiteral("Cannot open the folder \"%1\""), folder);
        Reload(s, folder, st);
    }
    return s;
}

// What the names already taken say about the document: the shortcut that
// points to it, or the row of numbered names it joins and its next number.
struct Reuse {
    QString path;
    Chain* chain = nullptr;
    int index = 0;
    bool stale = false; // the folder must be read again
};

Reuse FindExisting(FolderState& s, const QString& folder, const Naming& naming,
                   const QString& target) {
    Reuse r;
    const QString first = naming.Name(0);
    if (!Taken(s, first))
        return r;
    const QString key = first + QChar(0) + naming.ext;
    auto it = s.chains.find(key);
    if (it == s.chains.end()) {
        Chain built;
        for (int i = 0; Taken(s, naming.Name(i)); ++i)
            built.Append(TargetOf(folder, naming.Name(i)));
        it = s.chains.emplace(key, std::move(built));
    }
    r.chain = &*it;
    // The first shortcut of the row that points to the document wins.
    QList<int> hits = r.chain->byFoldedTarget.values(target.toCaseFolded());
    std::sort(hits.begin(), hits.end());
    for (int hit : hits) {
        if (!SameDocument(r.chain->targets[size_t(hit)], target))
            continue;
        // A change within one tick of the folder's clock can leave its time
        // as it was, so a shortcut handed out is looked at.
        const QString name = naming.Name(hit);
        if (TargetOf(folder, name) == r.chain->targets[size_t(hit)])
            r.path = folder + name;
        else
            r.stale = true;
        return r;
    }
    r.index = int(r.chain->targets.size());
    return r;
}

QString Place(const QString& givenFolder, const Naming& naming, const QString& target,
              const Creator& create) {
    const QString folder = BM_Library::AddBackslash(givenFolder);
    QMutexLocker lock(&gMutex);
    for (int attempt = 0;; ++attempt) {
        FolderState& s = FreshFolder(folder);
        const Reuse found = FindExisting(s, folder, naming, target);
        if (!found.path.isEmpty())
            return found.path;
        if (found.stale) {
            s.Distrust();
            continue;
        }
        const QString name = naming.Name(found.index);
        QString path = folder + name;
        const int code = create(s.fd, name, path);
        if (code == EEXIST && attempt < 100) {
            s.Distrust(); // someone else took the name: look again
            continue;
        }
        if (code != 0)
            ThrowErrno(code, QStringLiteral("Cannot create the shortcut \"%1\""), path);
        if (found.chain)
            found.chain->Append(target);
        s.names.insert(NameHash(QFile::encodeName(name)));
        struct stat after;
        if (fstat(s.fd, &after) == 0 && after.st_dev == s.dev && after.st_ino == s.ino)
            s.mtime = after.st_mtim;
        else
            s.Distrust();
        return path;
    }
}

int MakeSymlink(const QString& target, int dirFd, const QString& name) {
    if (symlinkat(QFile::encodeName(target).constData(), dirFd,
                  QFile::encodeName(name).constData()) == 0)
        return 0;
    return errno;
}

} // namespace

namespace SM_Shortcut {

QString MakeShortcutFile(const QString& Folder, const QString& FilePath) {
    const QString ext = NameExtension(FileNamePart(FilePath));
    // A shortcut handed in stands for its document.
    QString target = ext == kLnk ? BM_Library::ShortcutTarget(FilePath) : FilePath;
    if (target.isEmpty())
        throw CError(0, QStringLiteral("\"%1\" is no readable shortcut")
                            .arg(QDir::toNativeSeparators(FilePath)));
    target = Absolute(target);

    Naming naming;
    naming.candidate = FileNamePart(target) + kLnk;
    naming.base = WithoutNameExtension(FileNamePart(target));
    naming.ext = ext;
    return Place(Folder, naming, target, [&target](int dirFd, const QString& name, const QString&) {
        return MakeSymlink(target, dirFd, name);
    });
}

QString CopyShortcutFile(const QString& Folder, const QString& ShortcutPath) {
    const QString source = Absolute(ShortcutPath);
    const QByteArray encoded = QFile::encodeName(source);
    struct stat st;
    if (lstat(encoded.constData(), &st) != 0) {
        const int code = errno;
        throw CError(code, QStringLiteral("Cannot read the shortcut \"%1\": %2")
                               .arg(QDir::toNativeSeparators(source), ErrnoText(code)));
    }
    QString target;
    const bool isLink = S_ISLNK(st.st_mode);
    if (isLink) {
        const QString folder = source.left(source.lastIndexOf(QLatin1Char('/')) + 1);
        if (!ReadLink(folder, encoded, target)) {
            const int code = errno;
            throw CError(code, QStringLiteral("Cannot read the shortcut \"%1\": %2")
                                   .arg(QDir::toNativeSeparators(source), ErrnoText(code)));
        }
    } else {
        target = BM_Library::ShortcutTarget(source);
        if (target.isEmpty())
            throw CError(
                0, QStringLiteral("\"%1\" is no shortcut").arg(QDir::toNativeSeparators(source)));
        target = Absolute(target);
    }

    Naming naming;
    naming.candidate = FileNamePart(source);
    if (!naming.candidate.endsWith(kLnk, Qt::CaseInsensitive))
        naming.candidate += kLnk;
    const QString document = naming.candidate.chopped(kLnk.size());
    naming.base = WithoutNameExtension(document);
    naming.ext = NameExtension(document);
    return Place(Folder, naming, target,
                 [&](int dirFd, const QString& name, const QString& path) -> int {
                     if (isLink)
                         return MakeSymlink(target, dirFd, name);
                     // A copied-over shell link: its bytes are the shortcut.
                     struct stat existing;
                     if (lstat(QFile::encodeName(path).constData(), &existing) == 0)
                         return EEXIST;
                     return QFile::copy(source, path) ? 0 : EIO;
                 });
}

void ForgetFolders() {
    QMutexLocker lock(&gMutex);
    gFolders.clear();
}

void ForgetFolder(const QString& Folder) {
    QMutexLocker lock(&gMutex);
    gFolders.erase(BM_Library::AddBackslash(Folder));
}

} // namespace SM_Shortcut

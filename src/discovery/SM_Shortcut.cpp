#include "SM_Shortcut.h"

#include "BM_Library.h"
#include "CError.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QSet>

#include <cerrno>
#include <dirent.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
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

QString Absolute(const QString& path) {
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
    QHash<QString, QList<int>> byFoldedTarget;

    void Append(const QString& target) {
        const int index = int(targets.size());
        targets.push_back(target);
        if (!target.isEmpty())
            byFoldedTarget[target.toCaseFolded()].append(index);
    }
};

// What is known of one shortcut folder: its entry names when it was last
// listed and the rows built from them. Trusted only while the folder's own
// identity and modification time are those seen after our last change.
struct FolderState {
    dev_t dev = 0;
    ino_t ino = 0;
    timespec mtime{};
    QSet<QString> names;
    QHash<QString, Chain> chains;
};

QMutex gMutex;
QHash<QString, FolderState> gFolders;

bool SameStamp(const FolderState& s, const struct stat& st) {
    return s.dev == st.st_dev && s.ino == st.st_ino && s.mtime.tv_sec == st.st_mtim.tv_sec &&
           s.mtime.tv_nsec == st.st_mtim.tv_nsec;
}

void Stamp(FolderState& s, const struct stat& st) {
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.mtime = st.st_mtim;
}

struct stat StatFolder(const QString& folder) {
    struct stat st;
    if (stat(QFile::encodeName(folder).constData(), &st) != 0) {
        const int code = errno;
        throw CError(code, QStringLiteral("Cannot open the folder \"%1\": %2")
                               .arg(QDir::toNativeSeparators(folder), ErrnoText(code)));
    }
    return st;
}

void List(const QString& folder, FolderState& state) {
    state.names.clear();
    state.chains.clear();
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return;
    while (const dirent* de = readdir(dir))
        state.names.insert(QFile::decodeName(de->d_name));
    closedir(dir);
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

struct Naming {
    QString candidate; // file name of the first choice
    QString base;      // candidate without ".lnk" and the document's extension
    QString ext;       // extension the numbered names carry
    QString Name(int index) const {
        return index == 0 ? candidate
                          : base + QLatin1Char('#') + QString::number(index) + ext + kLnk;
    }
};

// Creates the shortcut at path; returns 0 or the errno of the failure.
using Creator = std::function<int(const QString& path)>;

QString Place(const QString& givenFolder, const Naming& naming, const QString& target,
              const Creator& create) {
    const QString folder = BM_Library::AddBackslash(givenFolder);
    const QString chainKey = naming.candidate + QChar(0) + naming.ext;
    QMutexLocker lock(&gMutex);
    for (int attempt = 0;; ++attempt) {
        const struct stat before = StatFolder(folder);
        FolderState& state = gFolders[folder];
        if (!SameStamp(state, before)) {
            List(folder, state);
            Stamp(state, before);
        }
        auto chainIt = state.chains.find(chainKey);
        if (chainIt == state.chains.end()) {
            Chain chain;
            for (int i = 0;; ++i) {
                const QString name = naming.Name(i);
                if (!state.names.contains(name))
                    break;
                chain.Append(TargetOf(folder, name));
            }
            chainIt = state.chains.insert(chainKey, std::move(chain));
        }
        Chain& chain = *chainIt;

        const auto hits = chain.byFoldedTarget.constFind(target.toCaseFolded());
        if (hits != chain.byFoldedTarget.constEnd()) {
            bool stale = false;
            for (int index : *hits) {
                if (!SameDocument(chain.targets[size_t(index)], target))
                    continue;
                // Changes within one tick of the folder's clock leave its time
                // unchanged, so a reused shortcut is looked at once more.
                const QString name = naming.Name(index);
                if (TargetOf(folder, name) == chain.targets[size_t(index)])
                    return folder + name;
                stale = true;
                break;
            }
            if (stale) {
                state.dev = 0; // list the folder again
                continue;
            }
        }

        const int index = int(chain.targets.size());
        const QString name = naming.Name(index);
        const int code = create(folder + name);
        if (code == EEXIST && attempt < 1000) {
            state.dev = 0; // someone else took the name: look again
            continue;
        }
        if (code != 0)
            throw CError(code, QStringLiteral("Cannot create the shortcut \"%1\": %2")
                                   .arg(QDir::toNativeSeparators(folder + name), ErrnoText(code)));
        chain.Append(target);
        state.names.insert(name);
        struct stat after;
        if (stat(QFile::encodeName(folder).constData(), &after) == 0)
            Stamp(state, after);
        else
            state.dev = 0;
        return folder + name;
    }
}

int MakeSymlink(const QString& target, const QString& path) {
    if (symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) == 0)
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
    return Place(Folder, naming, target,
                 [&target](const QString& path) { return MakeSymlink(target, path); });
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
    return Place(Folder, naming, target, [&](const QString& path) -> int {
        if (isLink)
            return MakeSymlink(target, path);
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
    gFolders.remove(BM_Library::AddBackslash(Folder));
}

} // namespace SM_Shortcut

#include "CMoveSearch.h"

#include "BM_Library.h"
#include "CLeftOut.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace {

QString Slashed(const QString& folder) {
    return BM_Library::AddBackslash(folder);
}

bool IsFolder(const QString& path) {
    struct stat st;
    return stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The old folder, or the nearest folder above it that is still there; empty
// when that would be the home folder's parent or the root (too wide a walk).
QString NearestFolder(const QString& path, const QString& home) {
    QString folder = QFileInfo(path).path();
    while (!folder.isEmpty() && folder != QLatin1String("/") && !IsFolder(folder))
        folder = QFileInfo(folder).path();
    QString slashed = Slashed(folder);
    if (folder.isEmpty() || folder == QLatin1String("/") ||
        (Slashed(home).startsWith(slashed) && Slashed(home) != slashed))
        return {};
    return slashed;
}

} // namespace

CMoveSearch::CMoveSearch(QObject* parent) : QObject(parent) {}

QStringList CMoveSearch::Roots(const QList<CMoveMatcher::Facts>& Missing,
                               const QStringList& PresentPaths, const QString& Documents,
                               const QString& Home) {
    QSet<QString> wanted;
    for (const CMoveMatcher::Facts& m : Missing) {
        const QString folder = NearestFolder(m.Path, Home);
        if (!folder.isEmpty())
            wanted.insert(folder);
    }
    for (const QString& path : PresentPaths)
        wanted.insert(Slashed(QFileInfo(path).path()));
    if (!Documents.isEmpty())
        wanted.insert(Slashed(Documents));
    QStringList sorted(wanted.begin(), wanted.end());
    std::sort(sorted.begin(), sorted.end());
    QStringList roots;
    for (const QString& folder : sorted)
        if (roots.isEmpty() || !folder.startsWith(roots.back()))
            roots << folder;
    return roots;
}

bool CMoveSearch::Search(CMoveMatcher& Matcher, const QStringList& Roots) {
    m_cancelled = false;
    m_files = 0;
    for (const QString& root : Roots)
        if (!m_cancelled)
            Walk(Matcher, Slashed(root));
    return !m_cancelled;
}

void CMoveSearch::Walk(CMoveMatcher& Matcher, const QString& folder) {
    emit OnFolder(folder);
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return; // gone or unreadable: nothing can be found there
    std::vector<QString> subfolders;
    const int fd = dirfd(dir);
    while (const dirent* de = readdir(dir)) {
        // Hidden entries (and "." and "..") hold programs' files, not documents.
        if (de->d_name[0] == '.' || !CLeftOut::IsFaithfulName(de->d_name))
            continue;
        if (de->d_type == DT_DIR) {
            subfolders.push_back(folder + QFile::decodeName(de->d_name) + QLatin1Char('/'));
            continue;
        }
        struct stat st;
        if (fstatat(fd, de->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            subfolders.push_back(folder + QFile::decodeName(de->d_name) + QLatin1Char('/'));
            continue;
        }
        if (!S_ISREG(st.st_mode))
            continue;
        ++m_files;
        if (!Matcher.IsCandidate(st.st_dev, st.st_ino, st.st_size))
            continue;
        CMoveMatcher::Facts found{folder + QFile::decodeName(de->d_name),
                                  static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino),
                                  static_cast<qint64>(st.st_size),
                                  static_cast<qint64>(st.st_mtim.tv_sec)};
        if (m_fingerprint && Matcher.NeedsFingerprint(found)) {
            const std::optional<quint64> fp = m_fingerprint(found.Path);
            found.HasFingerprint = fp.has_value();
            found.Fingerprint = fp.value_or(0);
        }
        Matcher.AddCandidate(found);
    }
    closedir(dir);
    for (const QString& sub : subfolders)
        if (!m_cancelled)
            Walk(Matcher, sub);
}

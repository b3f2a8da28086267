#include "support_tree.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kStems[] = {"report",      "議事録",        "he said \"hi\"", "budget 2024",
                              "-draft",      "100% done",     "README",         "写真 'summer'",
                              "notes",       "契約書 (最終)", "a  b  c",        "#tag#",
                              "invoice #42", "résumé",        "$HOME",          "--help"};
const char* const kExtensions[] = {".txt", ".doc",  ".docx", ".pdf",    ".md", ".html",
                                   ".jpg", ".xlsx", ".TXT",  ".tar.gz", "",    ".Lnk"};
const char* const kFolderStems[] = {"folder",       "フォルダ", "it's",   "old \"stuff\"",
                                    "2024 archive", "-x",       "資料 集"};

void MakeDir(const QString& path) {
    if (mkdir(QFile::encodeName(path).constData(), 0755) != 0 && errno != EEXIST)
        std::perror(qPrintable(path));
}

void MakeFile(const QString& path) {
    const int fd = open(QFile::encodeName(path).constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0) {
        std::perror(qPrintable(path));
        return;
    }
    close(fd);
}

template <typename T, size_t N> const char* Pick(QRandomGenerator& random, T (&items)[N]) {
    return items[random.bounded(quint32(N))];
}

} // namespace

namespace SupportTree {

Tree MakeSyntheticTree(const QString& root, int fileCount, int folderCount, quint32 seed) {
    QRandomGenerator random(seed);
    Tree tree;
    tree.root = root;
    MakeDir(root);
    QList<int> depth;
    for (int i = 0; i < folderCount; ++i) {
        // Nest under an earlier folder now and then, at most five deep.
        QString parent = root;
        int level = 1;
        if (i > 0 && random.bounded(3) != 0) {
            const int at = int(random.bounded(quint32(i)));
            if (depth[at] < 5) {
                parent = tree.folders[at];
                level = depth[at] + 1;
            }
        }
        const QString folder =
            parent + "/" + QString::fromUtf8(Pick(random, kFolderStems)) + QString(" %1").arg(i);
        MakeDir(folder);
        tree.folders << folder;
        depth << level;
    }
    tree.files.reserve(fileCount);
    for (int i = 0; i < fileCount; ++i) {
        const QString& folder = folderCount > 0 ? tree.folders[i % folderCount] : root;
        const QString file = folder + "/" + QString::fromUtf8(Pick(random, kStems)) +
                             QString(" %1").arg(i) + QString::fromUtf8(Pick(random, kExtensions));
        MakeFile(file);
        tree.files << file;
    }
    return tree;
}

QStringList MakeSameNameFiles(const QString& root, int count, const QString& name) {
    MakeDir(root);
    QStringList files;
    files.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString folder = root + QString("/project %1").arg(i);
        MakeDir(folder);
        files << folder + "/" + name;
        MakeFile(files.last());
    }
    return files;
}

} // namespace SupportTree

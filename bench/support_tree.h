#pragma once

#include <QString>
#include <QStringList>

// Synthetic documents trees for benchmarks: many files with awkward names
// (spaces, quotes, percent signs, leading dashes, Japanese) and mixed
// extensions, spread over nested folders.
namespace SupportTree {

struct Tree {
    QString root;        // without trailing separator
    QStringList folders; // every folder made, root excluded
    QStringList files;   // every file made, all names distinct
};

// Makes fileCount empty files in folderCount folders under root (created when
// missing). The same seed gives the same tree.
Tree MakeSyntheticTree(const QString& root, int fileCount, int folderCount, quint32 seed = 1);

// Makes count empty files that all carry the same name, one per folder,
// under root: the "thousand README.md" case.
QStringList MakeSameNameFiles(const QString& root, int count, const QString& name);

} // namespace SupportTree

// Speed of file discovery at the size of a large documents folder:
//   1. CPathFinder::FindFile over 100,000 files in ~2,000 folders beside
//      `find ROOT -type f` over the same tree (target: within 2x);
//   2. MakeShortcutFile for 100,000 distinct documents into an empty folder
//      beside a plain symlink() loop over the same targets (target: 1.5x);
//   3. 5,000 documents that share one name beside 5,000 distinct names
//      (target: within 3x).
// Usage: bench_discovery [files] [folders] [same-name count]

#include "CPathFinder.h"
#include "SM_Shortcut.h"
#include "support_tree.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>

#include "support_timing.h"

using namespace SupportTiming;

namespace {

void Verdict(const char* what, double ratio, double target) {
    std::printf("%-44s ratio %.2f (target <= %.1f) %s\n", what, ratio, target,
                ratio <= target ? "OK" : "OVER");
}

QString FileName(const QString& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? atoi(argv[1]) : 100000;
    const int folders = argc > 2 ? atoi(argv[2]) : 2000;
    const int sameName = argc > 3 ? atoi(argv[3]) : 5000;

    QTemporaryDir tmp;
    if (!tmp.isValid())
        return 1;
    // rm removes hundreds of thousands of entries far faster than QDir.
    tmp.setAutoRemove(false);
    struct Remover {
        QString path;
        ~Remover() { QProcess::execute("rm", {"-rf", "--", path}); }
    } remover{tmp.path()};
    std::printf("Building a tree of %d files in %d folders under %s ...\n", files, folders,
                qPrintable(tmp.path()));
    SupportTree::Tree tree;
    std::printf("  built in %.2f s\n", Seconds([&] {
                    tree =
                        SupportTree::MakeSyntheticTree(tmp.path() + "/documents", files, folders);
                }));

    // 1. The walk.
    QProcess find;
    find.setStandardOutputFile(QProcess::nullDevice());
    const auto runFind = [&] {
        find.start("find", {tree.root, "-type", "f"});
        find.waitForFinished(-1);
    };
    runFind(); // warm the cache for both
    CPathFinder finder;
    qint64 counted = 0;
    QObject::connect(&finder, &CPathFinder::OnFound,
                     [&](const QString&, const QString&) { ++counted; });
    qint32 finished = 0;
    QObject::connect(&finder, &CPathFinder::OnFinish, [&](qint32 n) { finished = n; });
    finder.FindFile(tree.root);
    // find that also reads each file's facts, as the walk must for FileAge.
    QProcess findStat;
    findStat.setStandardOutputFile(QProcess::nullDevice());
    const auto runFindStat = [&] {
        findStat.start("find", {tree.root, "-type", "f", "-printf", "%T@\\n"});
        findStat.waitForFinished(-1);
    };
    // In turns, best of each: writeback left by whatever ran before slows
    // every stat for a while, and must not fall on one side only.
    double findTime = 1e300, findStatTime = 1e300, walkTime = 1e300;
    for (int run = 0; run < 5; ++run) {
        findTime = std::min(findTime, Seconds(runFind));
        findStatTime = std::min(findStatTime, Seconds(runFindStat));
        walkTime = std::min(walkTime, Seconds([&] {
                                counted = 0;
                                finder.FindFile(tree.root);
                            }));
    }
    std::printf("\n[walk] %d files, %lld reported, OnFinish %d\n", files, counted, finished);
    std::printf("  find -type f        %8.3f s\n", findTime);
    std::printf("  find -printf %%T@    %8.3f s  (one stat per file)\n", findStatTime);
    std::printf("  CPathFinder         %8.3f s  (%.0f files/s)\n", walkTime, files / walkTime);
    Verdict("walk / find", walkTime / findTime, 2.0);
    std::printf("%-44s ratio %.2f\n", "walk / find -printf %T@", walkTime / findStatTime);

    // 2. Shortcuts for distinct documents into an empty folder. Three rounds in
    // alternating order, each into fresh folders; the better of each counts.
    double plainTime = 1e300, madeTime = 1e300;
    int wrongNames = 0;
    for (int round = 0; round < 3; ++round) {
        const QString plainFolder = tmp.path() + QString("/plain%1/").arg(round);
        const QString madeFolder = tmp.path() + QString("/made%1/").arg(round);
        QDir().mkpath(plainFolder);
        QDir().mkpath(madeFolder);
        const auto plain = [&] {
            plainTime = std::min(
                plainTime, Seconds([&] {
                    for (const QString& target : tree.files)
                        symlink(
                            QFile::encodeName(target).constData(),
                            QFile::encodeName(plainFolder + FileName(target) + ".lnk").constData());
                }));
        };
        const auto made = [&] {
            madeTime = std::min(madeTime, Seconds([&] {
                                    for (const QString& target : tree.files)
                                        if (SM_Shortcut::MakeShortcutFile(madeFolder, target) !=
                                            madeFolder + FileName(target) + ".lnk")
                                            ++wrongNames;
                                }));
        };
        if (round % 2 == 0) {
            plain();
            made();
        } else {
            made();
            plain();
        }
    }
    std::printf("\n[shortcuts] %d distinct documents into an empty folder\n",
                int(tree.files.size()));
    std::printf("  symlink() loop      %8.3f s\n", plainTime);
    std::printf("  MakeShortcutFile    %8.3f s  (%d unexpected names)\n", madeTime, wrongNames);
    Verdict("MakeShortcutFile / symlink()", madeTime / plainTime, 1.5);

    // 3. Many documents of one name.
    const QStringList same =
        SupportTree::MakeSameNameFiles(tmp.path() + "/same", sameName, "README.md");
    const QStringList distinct = tree.files.mid(0, sameName);
    // Three rounds in alternating order into fresh folders; the best counts.
    double distinctTime = 1e300, sameTime = 1e300;
    int misnamed = 0;
    QString sameFolder;
    for (int round = 0; round < 3; ++round) {
        const QString distinctFolder = tmp.path() + QString("/distinct-links%1/").arg(round);
        sameFolder = tmp.path() + QString("/same-links%1/").arg(round);
        QDir().mkpath(sameFolder);
        QDir().mkpath(distinctFolder);
        const auto distinctRun = [&] {
            distinctTime = std::min(distinctTime, Seconds([&] {
                                        for (const QString& target : distinct)
                                            SM_Shortcut::MakeShortcutFile(distinctFolder, target);
                                    }));
        };
        const auto sameRun = [&] {
            sameTime = std::min(sameTime, Seconds([&] {
                                    for (int i = 0; i < same.size(); ++i) {
                                        const QString expected =
                                            i == 0 ? QString("README.md.lnk")
                                                   : QString("README#%1.md.lnk").arg(i);
                                        if (SM_Shortcut::MakeShortcutFile(sameFolder, same[i]) !=
                                            sameFolder + expected)
                                            ++misnamed;
                                    }
                                }));
        };
        if (round % 2 == 0) {
            distinctRun();
            sameRun();
        } else {
            sameRun();
            distinctRun();
        }
    }
    // Collecting them all again finds every shortcut and writes nothing.
    const double againTime = Seconds([&] {
        for (const QString& target : same)
            SM_Shortcut::MakeShortcutFile(sameFolder, target);
    });
    std::printf("\n[one name] %d documents named README.md\n", int(same.size()));
    std::printf("  %d distinct names   %8.3f s\n", int(distinct.size()), distinctTime);
    std::printf("  %d same name        %8.3f s  (%d off the #n naming)\n", int(same.size()),
                sameTime, misnamed);
    std::printf("  same name again     %8.3f s  (all reused)\n", againTime);
    Verdict("same name / distinct names", sameTime / distinctTime, 3.0);
    return 0;
}

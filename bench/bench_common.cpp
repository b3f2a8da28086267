// Times the common library's per-row texts of a file list (the size and the
// modification time of each shortcut's document) for 100,000 shortcuts, beside
// the bare file-system work for the same rows (lstat, readlink and stat per
// shortcut) measured in the same run.

#include "BM_Library.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>
#include <vector>

#include "support_timing.h"

using namespace SupportTiming;

namespace {

constexpr int Rows = 100000;

// Runs rowText over every shortcut, best of three, and keeps a checksum so the
// work cannot be optimised away.
template <typename RowText>
double Timed(const std::vector<QString>& paths, long long& checksum, RowText rowText) {
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (const QString& path : paths)
            checksum += rowText(path);
        best = std::min(best, Seconds(timer));
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QByteArray docs = dir.filePath(QStringLiteral("docs")).toLocal8Bit();
    const QByteArray links = dir.filePath(QStringLiteral("links")).toLocal8Bit();
    mkdir(docs.constData(), 0700);
    mkdir(links.constData(), 0700);
    std::printf("making %d documents and a shortcut to each...\n", Rows);
    std::vector<QByteArray> linkPaths;
    std::vector<QString> paths;
    linkPaths.reserve(Rows);
    paths.reserve(Rows);
    const time_t now = time(nullptr);
    for (int i = 0; i < Rows; ++i) {
        const QByteArray name =
            QStringLiteral("文書 %1 'r'.doc").arg(i, 6, 10, QLatin1Char('0')).toLocal8Bit();
        const QByteArray document = docs + '/' + name;
        const int fd = open(document.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
        if (fd < 0 || ftruncate(fd, (i * 7919LL) % 3000000) != 0) {
            std::fprintf(stderr, "cannot make %s\n", document.constData());
            return 1;
        }
        close(fd);
        // Modification times spread over about three years, as in a real folder.
        const time_t modified = now - time_t(i) * 977;
        const struct utimbuf times { modified, modified };
        utime(document.constData(), &times);
        const QByteArray link = links + '/' + name + ".lnk";
        if (symlink(document.constData(), link.constData()) != 0) {
            std::fprintf(stderr, "cannot link %s\n", link.constData());
            return 1;
        }
        linkPaths.push_back(link);
        paths.push_back(QString::fromLocal8Bit(link));
    }

    using namespace BM_Library;
    long long checksum = 0;
    ShortcutRowLoop(linkPaths, checksum); // warm the caches for every side
    double baseline = 1e9;
    for (int round = 0; round < 3; ++round)
        baseline = std::min(baseline, ShortcutRowLoop(linkPaths, checksum));

    const double rows = Timed(paths, checksum, [](const QString& path) {
        return FileSizeText(ShortcutTarget(path)).size() + FileDateTimeText(QString()).size();
    });
    const double twice = Timed(paths, checksum, [](const QString& path) {
        return FileSizeText(ShortcutTarget(path)).size() +
               FileDateTimeText(ShortcutTarget(path)).size();
    });
    const double targets =
        Timed(paths, checksum, [](const QString& path) { return ShortcutTarget(path).size(); });
    const double sizes = Timed(paths, checksum, [](const QString& path) {
        return FileSizeText(path).size(); // the shortcut itself: one lstat
    });
    const double times = Timed(paths, checksum, [](const QString& path) {
        return FileDateTimeText(path).size(); // the shortcut itself: one lstat
    });

    std::printf("rows: %d, checksum %lld (best of three runs each)\n", Rows, checksum);
    std::printf("baseline lstat+readlink+stat loop:            %8.3f s\n", baseline);
    std::printf("FileSizeText(target) + FileDateTimeText(\"\"): %8.3f s  ratio %.2f x baseline "
                "(target <= 3)\n",
                rows, rows / baseline);
    std::printf("size and date-time each of ShortcutTarget:    %8.3f s  ratio %.2f x baseline\n",
                twice, twice / baseline);
    std::printf("  ShortcutTarget alone:                       %8.3f s  ratio %.2f x baseline\n",
                targets, targets / baseline);
    std::printf("  FileSizeText(shortcut) alone:               %8.3f s  ratio %.2f x baseline\n",
                sizes, sizes / baseline);
    std::printf("  FileDateTimeText(shortcut) alone:           %8.3f s  ratio %.2f x baseline\n",
                times, times / baseline);
    return 0;
}

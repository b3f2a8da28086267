// Categories mirrored into the desktop's tags (user.xdg.tags) when the user
// turns the mirror on: every one of 100,000 registered documents, each in one
// or two categories and every tenth carrying a tag of its own, written once.
// Baseline, in the same run over the same files: a bare setxattr loop writing
// the same values (target: the mirror within 2x).
// Usage: bench_xattr [documents]

#include "CTagMirror.h"
#include "CVolloDB.h"
#include "CXdgTags.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#include "support_timing.h"

using namespace SupportTiming;

namespace {

const QByteArray kForeign = "Dolphin/Urlaub";

QByteArray ValueOf(int i) {
    return i % 10 == 0 ? kForeign + ",仕事,重要" : i % 2 ? QByteArray("仕事") : "仕事,重要";
}

// The documents, their shortcuts and rows; one category for every document,
// a second for every even one.
std::vector<QByteArray> MakeDocuments(CVolloDB& db, const QString& docs, int count) {
    std::vector<QByteArray> paths;
    QStringList rows;
    QStringList facts; // as registration records them
    for (int i = 0; i < count; ++i) {
        const QByteArray name =
            QStringLiteral("文書 %1.txt").arg(i, 6, 10, QLatin1Char('0')).toUtf8();
        const QByteArray doc = QFile::encodeName(docs) + '/' + name;
        const QByteArray link = QFile::encodeName(db.ShortcutFolder()) + name + ".lnk";
        const int fd = open(doc.constData(), O_CREAT | O_WRONLY, 0600);
        if (fd < 0 || close(fd) != 0 || symlink(doc.constData(), link.constData()) != 0)
            return {};
        paths.push_back(doc);
        rows << QStringLiteral("('%1', '2026-12-07')").arg(QFile::decodeName(link));
        facts << QStringLiteral("(%1, '%2')").arg(i + 1).arg(QFile::decodeName(doc));
    }
    db.BeginTransaction();
    db.RunSQL(QStringLiteral("INSERT INTO files (path, fileAge) VALUES ") + rows.join(u','));
    db.RunSQL(QStringLiteral("INSERT INTO filefacts (fileID, docPath) VALUES ") + facts.join(u','));
    db.RunSQL(QStringLiteral("INSERT INTO filetags (fileID, tagID) SELECT ID, 1 FROM files"));
    db.RunSQL(QStringLiteral(
        "INSERT INTO filetags (fileID, tagID) SELECT ID, 3 FROM files WHERE ID % 2 = 1"));
    db.CommitTransaction();
    return paths;
}

// Every document back to what others left: every tenth with its own tag.
void Reset(const std::vector<QByteArray>& paths) {
    for (size_t i = 0; i < paths.size(); ++i) {
        if (i % 10 == 0)
            setxattr(paths[i].constData(), "user.xdg.tags", kForeign.constData(),
                     size_t(kForeign.size()), 0);
        else
            removexattr(paths[i].constData(), "user.xdg.tags");
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    if (count <= 0 || !dir.isValid()) {
        std::fprintf(stderr, "usage: bench_xattr [documents]\n");
        return 2;
    }
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    const QString docs = dir.filePath(QStringLiteral("docs"));
    QDir().mkpath(docs);
    CVolloDB db;
    db.Create();
    const std::vector<QByteArray> paths = MakeDocuments(db, docs, count);
    if (paths.size() != size_t(count)) {
        std::fprintf(stderr, "cannot make the documents (user xattrs on %s?)\n", qPrintable(docs));
        return 1;
    }
    Reset(paths);
    std::vector<QByteArray> values;
    values.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        values.push_back(ValueOf(i));
    int failed = 0;
    const double bare = Seconds([&] {
        for (size_t i = 0; i < paths.size(); ++i)
            failed += setxattr(paths[i].constData(), "user.xdg.tags", values[i].constData(),
                               size_t(values[i].size()), 0) != 0;
    });
    Reset(paths);
    CTagMirror mirror(db);
    qint64 written = 0;
    const double on = Seconds([&] {
        mirror.setSetting(CTagMirror::State::On);
        written = mirror.WriteAll();
    });
    int wrong = 0;
    for (int i = 0; i < count; ++i) {
        QByteArray value;
        wrong +=
            CXdgTags::Read(QFile::decodeName(paths[size_t(i)]), &value) != 0 || value != ValueOf(i);
    }
    std::printf("Desktop tags written for %d documents (%lld by the mirror, %d wrong, %d failed)\n",
                count, static_cast<long long>(written), wrong, failed);
    std::printf("  bare setxattr loop          : %8.3f s  baseline\n", bare);
    std::printf("  mirror turned on (WriteAll) : %8.3f s  x%.2f  (target <= 2)\n", on, on / bare);
    return wrong == 0 && failed == 0 ? 0 : 1;
}

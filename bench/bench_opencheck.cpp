// Measures what checking the repository costs at start-up: PRAGMA
// quick_check on its own and the whole opening (identification on a
// read-only connection, quick_check, then the writing connection), against
// the read of every file row that the start-up's root list does anyway.
//
//   bench_opencheck [rows]        (rows defaults to 100000)
//
// Runs on a temporary data folder of its own; nothing of the user's is touched.
#include "CError.h"
#include "CVolloDB.h"
#include "support_timing.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

namespace {

double Best(const std::function<void()>& work) {
    double best = 1e9;
    for (int round = 0; round < 3; ++round)
        best = std::min(best, SupportTiming::Seconds(work));
    return best;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir root;
    if (rows <= 0 || !root.isValid()) {
        std::fprintf(stderr, "usage: bench_opencheck [rows]\n");
        return 2;
    }
    qputenv("XDG_DATA_HOME", root.path().toLocal8Bit());
    try {
        QString file;
        {
            CVolloDB db;
            db.Create();
            file = db.INIFileName();
            db.RunSQL(
                QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE "
                               "i<%1) INSERT INTO files (path, fileAge) SELECT "
                               "'/home/user/Documents/folder' || (i % 100) || '/document ' || i || "
                               "'.odt.lnk', '2026-12-06' FROM n")
                    .arg(rows));
        }
        const double check = Best([&] {
            sqlite3* db = nullptr;
            sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY,
                            nullptr);
            sqlite3_exec(db, "PRAGMA quick_check(1)", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        });
        const double open = Best([] { CVolloDB().Create(); });
        CVolloDB db;
        db.Create();
        const double list = Best([&] { db.RunQuery(QStringLiteral("getFileNameAll")); });
        std::printf("Repository of %d file rows (%lld bytes)\n", rows,
                    static_cast<long long>(QFileInfo(file).size()));
        std::printf("  read of every file row (root list) : %8.1f ms  baseline\n", list * 1e3);
        std::printf("  PRAGMA quick_check alone            : %8.1f ms  x%.2f\n", check * 1e3,
                    check / list);
        std::printf("  whole opening with the check        : %8.1f ms  x%.2f\n", open * 1e3,
                    open / list);
    } catch (const CError& e) {
        std::fprintf(stderr, "bench_opencheck: %s\n", qPrintable(e.Text()));
        return 1;
    }
    return 0;
}

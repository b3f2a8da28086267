// Registers distinct file paths the way collecting one document does
// (getFileExt, then UpdateItem with the filled getFileName and addFileName)
// and compares the rate with a plain prepared INSERT of the same paths.
//
//   bench_repository [count [plain|tx|auto]]        (count defaults to 100000)
//
// Runs on a temporary data folder of its own; nothing of the user's is touched.
#include "BM_Library.h"
#include "CError.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"
#include "Placeholders.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sqlite3.h>

namespace {

// Files per second by the wall clock and by the processor time this process
// used (the latter shows the cost apart from other load on the machine).
struct Rate {
    double wall = 0;
    double cpu = 0;
};

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

class CStopwatch {
public:
    CStopwatch() : m_cpu(CpuSeconds()) { m_wall.start(); }
    Rate RateOf(qsizetype count) const {
        const double wall = static_cast<double>(m_wall.nsecsElapsed()) / 1e9;
        const double cpu = CpuSeconds() - m_cpu;
        return Rate{static_cast<double>(count) / wall, static_cast<double>(count) / cpu};
    }

private:
    QElapsedTimer m_wall;
    double m_cpu;
};

Rate Best(const Rate& a, const Rate& b) {
    return Rate{std::max(a.wall, b.wall), std::max(a.cpu, b.cpu)};
}

QStringList MakePaths(int count) {
    QStringList paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i)
        paths << QStringLiteral("/home/user/.local/share/Vollo/report %1 (folder %2).doc.lnk")
                     .arg(i)
                     .arg(i / 250);
    return paths;
}

// A repository of its own in a fresh data folder under `root`.
void UseDataFolder(const QString& root, const QString& name) {
    const QString folder = root + QLatin1Char('/') + name;
    QDir().mkpath(folder);
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder));
}

qint64 CollectAll(CVolloDB& db, const QStringList& paths, const QString& day) {
    qint64 checksum = 0;
    for (const QString& path : paths) {
        CRecordset ext = db.RunQuery(QStringLiteral("getFileExt"));
        checksum += ext.RecordCount();
        const QString select = FillPlaceholders(db.GetQuery(QStringLiteral("getFileName")),
                                                {{QStringLiteral("%fileName"), path}});
        const QString insert = FillPlaceholders(
            db.GetQuery(QStringLiteral("addFileName")),
            {{QStringLiteral("%fileName"), path}, {QStringLiteral("%fileAge"), day}});
        checksum += db.UpdateItem(select, insert);
    }
    return checksum;
}

int CountFiles(CVolloDB& db) {
    return db.RunQuery(QStringLiteral("getFileNameAll")).RecordCount();
}

Rate Keyed(const QString& root, const QString& name, const QStringList& paths, bool oneTransaction,
           const QString& day) {
    UseDataFolder(root, name);
    CVolloDB db;
    db.Create();
    const CStopwatch watch;
    if (oneTransaction) {
        CTransactionScope scope(db);
        CollectAll(db, paths, day);
        scope.Commit();
    } else {
        CollectAll(db, paths, day);
    }
    const Rate rate = watch.RateOf(paths.size());
    if (CountFiles(db) != paths.size())
        throw CError(QStringLiteral("%1: %2 files registered, %3 expected")
                         .arg(name)
                         .arg(CountFiles(db))
                         .arg(paths.size()));
    return rate;
}

// The same paths through one prepared INSERT in one transaction, on a copy of
// the same template with the same journal settings.
Rate PlainInsert(const QString& root, const QString& name, const QStringList& paths,
                 const QString& isoDay) {
    const QString file = root + QLatin1Char('/') + name + QStringLiteral(".db");
    if (!QFile::copy(BM_Library::AppFolder() + QStringLiteral("vollo.db"), file))
        throw CError(QStringLiteral("cannot copy the template for the baseline"));
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(file).constData(), &db) != SQLITE_OK)
        throw CError(QStringLiteral("cannot open the baseline database"));
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO files (path, fileAge) VALUES (?, ?)", -1, &insert, nullptr);
    const QByteArray day = isoDay.toUtf8();

    const CStopwatch watch;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (const QString& path : paths) {
        const QByteArray utf8 = path.toUtf8();
        sqlite3_bind_text(insert, 1, utf8.constData(), static_cast<int>(utf8.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, day.constData(), static_cast<int>(day.size()), SQLITE_STATIC);
        if (sqlite3_step(insert) != SQLITE_DONE)
            throw CError(sqlite3_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_reset(insert);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const Rate rate = watch.RateOf(paths.size());
    sqlite3_finalize(insert);
    sqlite3_close(db);
    return rate;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: bench_repository [count]\n");
        return 2;
    }
    QTemporaryDir root;
    if (!root.isValid()) {
        std::fprintf(stderr, "bench_repository: no temporary folder\n");
        return 1;
    }
    try {
        const QStringList paths = MakePaths(count);
        const QDate today = QDate::currentDate();
        const QString day = BM_Library::DateLiteral(today.toString(QStringLiteral("yyyy/MM/dd")));

        // A second argument runs one mode alone (for profiling): plain, tx or auto.
        const QByteArray only = argc > 2 ? QByteArray(argv[2]) : QByteArray();
        const auto wanted = [&only](const char* mode) { return only.isEmpty() || only == mode; };
        // The modes take turns, three rounds, and the best round of each
        // counts: the machine is shared, and a slow round says more about
        // the neighbours than about the code.
        constexpr int kRounds = 3;
        Rate plain, inTransaction, autocommit;
        for (int round = 0; round < kRounds; ++round) {
            const QString suffix = QString::number(round);
            if (wanted("plain"))
                plain = Best(plain, PlainInsert(root.path(), "plain" + suffix, paths,
                                                today.toString(Qt::ISODate)));
            if (wanted("tx"))
                inTransaction =
                    Best(inTransaction, Keyed(root.path(), "tx" + suffix, paths, true, day));
            if (wanted("auto"))
                autocommit =
                    Best(autocommit, Keyed(root.path(), "auto" + suffix, paths, false, day));
        }

        std::printf("Registering %d distinct paths; per file: RunQuery(getFileExt), then "
                    "UpdateItem with the filled getFileName and addFileName.\n"
                    "Best of %d rounds; files/s by wall clock (by this process's CPU time).\n",
                    count, kRounds);
        std::printf("  plain prepared INSERT, one transaction : %8.0f files/s (%8.0f)  baseline\n",
                    plain.wall, plain.cpu);
        std::printf("  keyed sequence, one transaction        : %8.0f files/s (%8.0f)  "
                    "%.1fx the baseline's time (%.1fx), target at most 6x\n",
                    inTransaction.wall, inTransaction.cpu, plain.wall / inTransaction.wall,
                    plain.cpu / inTransaction.cpu);
        std::printf("  keyed sequence, autocommit             : %8.0f files/s (%8.0f)  "
                    "%.1fx the baseline's time (%.1fx), target at least 20000 files/s\n",
                    autocommit.wall, autocommit.cpu, plain.wall / autocommit.wall,
                    plain.cpu / autocommit.cpu);
    } catch (const CError& e) {
        std::fprintf(stderr, "bench_repository: %s\n", qUtf8Printable(e.Text()));
        return 1;
    }
    return 0;
}

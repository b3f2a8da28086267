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

#include <cstdio>
#include <sqlite3.h>

namespace {

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

double Keyed(const QString& root, const QString& name, const QStringList& paths,
             bool oneTransaction, const QString& day) {
    UseDataFolder(root, name);
    CVolloDB db;
    db.Create();
    QElapsedTimer timer;
    timer.start();
    if (oneTransaction) {
        CTransactionScope scope(db);
        CollectAll(db, paths, day);
        scope.Commit();
    } else {
        CollectAll(db, paths, day);
    }
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    if (CountFiles(db) != paths.size())
        throw CError(QStringLiteral("%1: %2 files registered, %3 expected")
                         .arg(name)
                         .arg(CountFiles(db))
                         .arg(paths.size()));
    return paths.size() / seconds;
}

// The same paths through one prepared INSERT in one transaction, on a copy of
// the same template with the same journal settings.
double PlainInsert(const QString& root, const QStringList& paths, const QString& isoDay) {
    const QString file = root + QStringLiteral("/plain.db");
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

    QElapsedTimer timer;
    timer.start();
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
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    sqlite3_finalize(insert);
    sqlite3_close(db);
    return paths.size() / seconds;
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
        const double plain =
            wanted("plain") ? PlainInsert(root.path(), paths, today.toString(Qt::ISODate)) : 0;
        const double inTransaction =
            wanted("tx") ? Keyed(root.path(), QStringLiteral("tx"), paths, true, day) : 0;
        const double autocommit =
            wanted("auto") ? Keyed(root.path(), QStringLiteral("auto"), paths, false, day) : 0;

        std::printf("Registering %d distinct paths (getFileExt + getFileName + addFileName via "
                    "UpdateItem per file)\n",
                    count);
        std::printf("  plain prepared INSERT, one transaction : %10.0f files/s (baseline)\n",
                    plain);
        std::printf("  keyed sequence, one transaction        : %10.0f files/s  baseline/keyed = "
                    "%.2fx (target <= 8x)\n",
                    inTransaction, plain / inTransaction);
        std::printf("  keyed sequence, autocommit             : %10.0f files/s  baseline/keyed = "
                    "%.2fx (target >= 15000 files/s)\n",
                    autocommit, plain / autocommit);
    } catch (const CError& e) {
        std::fprintf(stderr, "bench_repository: %s\n", qUtf8Printable(e.Text()));
        return 1;
    }
    return 0;
}

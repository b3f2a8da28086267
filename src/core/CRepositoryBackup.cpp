#include "CRepositoryBackup.h"

#include "CError.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QThread>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// How long a backup waits for the window's writes before it gives up.
constexpr int kBusyMs = 10000;

QString EngineText(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// Copies every page of source into target, starting again when a writer
// changes the source meanwhile (SQLite does so by itself within one step).
int Copy(sqlite3* source, sqlite3* target) {
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
    if (backup == nullptr)
        return sqlite3_errcode(target);
    int rc = SQLITE_OK;
    for (int waited = 0; waited <= kBusyMs; waited += 100) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            break;
        QThread::msleep(100);
    }
    const int finished = sqlite3_backup_finish(backup);
    return rc == SQLITE_DONE ? finished : rc;
}

} // namespace

void CRepositoryBackup::Save(const QString& Source, const QString& Target) {
    const QString part = Target + QStringLiteral(".part");
    sqlite3* source = nullptr;
    sqlite3* target = nullptr;
    const auto close = qScopeGuard([&] {
        sqlite3_close(target);
        sqlite3_close(source);
    });
    if (sqlite3_open_v2(QFile::encodeName(Source).constData(), &source, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK)
        throw CError(sqlite3_errcode(source),
                     tr("%1 を開けませんでした: %2").arg(Source, EngineText(source)));
    sqlite3_busy_timeout(source, kBusyMs);
    QFile::remove(part);
    if (sqlite3_open_v2(QFile::encodeName(part).constData(), &target,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        throw CError(sqlite3_errcode(target),
                     tr("%1 に書き込めませんでした: %2").arg(Target, EngineText(target)));
    const int rc = Copy(source, target);
    // The copy stands alone: no write-ahead log beside it.
    if (rc == SQLITE_OK)
        sqlite3_exec(target, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const QString cause = QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(target);
        target = nullptr;
        QFile::remove(part);
        throw CError(rc, tr("%1 を %2 へ写せませんでした: %3").arg(Source, Target, cause));
    }
    sqlite3_close(target);
    target = nullptr;
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(Target).constData()) !=
        0) {
        const int error = errno;
        QFile::remove(part);
        throw CError(tr("%1 に書き込めませんでした: %2")
                         .arg(Target, QString::fromLocal8Bit(std::strerror(error))));
    }
}

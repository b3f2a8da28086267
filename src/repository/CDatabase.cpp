#include "CDatabase.h"

#include "CError.h"
#include "CQueryFunctions.h"
#include "CWalCheckpointer.h"
#include "SqlDialect.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <sqlite3.h>
#include <vector>

namespace {

// Prepared statements kept for reuse. Texts that carry their values inline
// (one per registered file) would otherwise pile up without bound.
constexpr qsizetype kCacheLimit = 256;

// Columns whose declared type names a Boolean (BOOLEAN, BOOL) read as Booleans.
bool IsBooleanType(const char* type) {
    if (!type)
        return false;
    for (const char* p = type; p[0] && p[1] && p[2] && p[3]; ++p) {
        if ((p[0] | 0x20) == 'b' && (p[1] | 0x20) == 'o' && (p[2] | 0x20) == 'o' &&
            (p[3] | 0x20) == 'l')
            return true;
    }
    return false;
}

// How long a statement waits for another program's lock before it fails
// busy, and how often the waiting program is given a turn meanwhile.
constexpr qint64 kBusyLimitMs = 5000;
constexpr qint64 kBusyTurnMs = 100;

// Journal frames (pages) after which the checkpointing thread is asked to
// copy them into the file, and after which the writer copies whatever is
// still left itself, so that the journal stays bounded.
constexpr int kBackgroundCheckpointFrames = 1024;
constexpr int kCheckpointFrames = 8192;

std::function<void()>& WaitTurn() {
    static std::function<void()> turn;
    return turn;
}

// SQLite reports a full disk met while growing a file it does not write
// through the pager (the shared-memory index) as an I/O error; the system's
// own error number tells it apart from a failing device.
int ResultCode(sqlite3* db) {
    const int code = sqlite3_extended_errcode(db);
    if ((code & 0xff) == SQLITE_IOERR) {
        const int error = sqlite3_system_errno(db);
        if (error == ENOSPC || error == EDQUOT)
            return SQLITE_FULL;
    }
    return code;
}

QString SqliteText(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

// One result row; integers of Boolean columns read as Booleans, the rest as
// int where they fit.
QVector<QVariant> ReadRow(sqlite3_stmt* stmt, const std::vector<bool>& boolean) {
    const int count = static_cast<int>(boolean.size());
    QVector<QVariant> row;
    row.reserve(count);
    for (int c = 0; c < count; ++c) {
        switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_INTEGER: {
            const qint64 v = sqlite3_column_int64(stmt, c);
            if (boolean[static_cast<size_t>(c)])
                row.append(QVariant(v != 0));
            else if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
                row.append(QVariant(static_cast<int>(v)));
            else
                row.append(QVariant(v));
            break;
        }
        case SQLITE_FLOAT:
            row.append(QVariant(sqlite3_column_double(stmt, c)));
            break;
        case SQLITE_TEXT: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            row.append(QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, c))));
            break;
        }
        case SQLITE_BLOB: {
            const auto* blob = static_cast<const char*>(sqlite3_column_blob(stmt, c));
            row.append(QVariant(QByteArray(blob, sqlite3_column_bytes(stmt, c))));
            break;
        }
        default:
            row.append(QVariant());
        }
    }
    return row;
}

} // namespace

struct CDatabase::Impl {
    struct Cached {
        sqlite3_stmt* stmt = nullptr;
        quint64 lastUse = 0;
        // Result columns as last read, so that repeated runs need not convert
        // the names again; checked against the statement each time, because
        // SQLite prepares a statement anew when the schema changes.
        QList<QByteArray> rawNames;
        QStringList names;
        std::vector<bool> boolean;
    };

    sqlite3* db = nullptr;
    QString path;
    int depth = 0;
    bool exclusive = false;
    bool readOnly = false;
    // The shared-memory index of the journal kept in the process instead,
    // for reading a repository on a disk without room for that file.
    bool privateIndex = false;
    QElapsedTimer busySince;
    QElapsedTimer sinceTurn;
    bool inTurn = false;
    QHash<QString, Cached> cache;
    quint64 clock = 0;
    // Translations of texts without date literals (those alone do not depend
    // on the locale): the bookkeeping statements recur after every statement.
    QHash<QString, QString> translations;
    // Made at the first checkpoint a writing connection needs, so that a
    // short-lived one (a command-line call) starts no thread.
    std::unique_ptr<CWalCheckpointer> checkpointer;
    int requestedAt = 0;
    // During bulk work the journal is copied in larger steps: each copy ends
    // in two disk syncs, which on ext4 also wait for every link the walk made.
    bool bulk = false;

    [[noreturn]] void Fail(const QString& what, const QString& statement) const {
        const int code = db ? ResultCode(db) : SQLITE_MISUSE;
        QString text = what;
        if (db)
            text += QStringLiteral(": ") + SqliteText(sqlite3_errmsg(db));
        if (!statement.isEmpty())
            text += QStringLiteral("\nStatement: ") + statement;
        throw CError(code, text);
    }

    // The engine may not be used from inside its own wait; whatever the
    // waiting turn runs that reaches the repository fails busy instead.
    void CheckNotWaiting(const QString& sql) const {
        if (inTurn)
            throw CError(SQLITE_BUSY,
                         QStringLiteral("The repository is waiting for another program's lock."
                                        "\nStatement: ") +
                             sql);
    }

    static int BusyWait(void* arg, int count) {
        auto* impl = static_cast<Impl*>(arg);
        if (count == 0) {
            impl->busySince.start();
            impl->sinceTurn.start();
        }
        if (impl->busySince.elapsed() >= kBusyLimitMs)
            return 0;
        QThread::msleep(count < 10 ? 5 : 20);
        // The turn keeps a window painted: only its own thread may run it; a
        // connection on another thread just waits.
        const bool windowThread =
            QCoreApplication::instance() != nullptr &&
            QThread::currentThread() == QCoreApplication::instance()->thread();
        if (WaitTurn() && windowThread && !impl->inTurn &&
            impl->sinceTurn.elapsed() >= kBusyTurnMs) {
            impl->inTurn = true;
            WaitTurn()();
            impl->inTurn = false;
            impl->sinceTurn.start();
        }
        return 1;
    }

    // After each commit, with the frames the journal now holds.
    static int Committed(void* arg, sqlite3* db, const char* name, int frames) {
        auto* impl = static_cast<Impl*>(arg);
        if (frames < impl->requestedAt)
            impl->requestedAt = 0;
        if (frames >= kCheckpointFrames) {
            // Made here, with no reader in the way it copies every page, and
            // the next commit starts the journal over from its beginning.
            if (impl->checkpointer)
                impl->checkpointer->CheckpointHere(db, name);
            else
                sqlite3_wal_checkpoint_v2(db, name, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
            return SQLITE_OK;
        }
        const int step = impl->bulk ? kCheckpointFrames / 2 : kBackgroundCheckpointFrames;
        if (frames >= impl->requestedAt + step) {
            impl->requestedAt = frames;
            if (!impl->checkpointer)
                impl->checkpointer =
                    std::make_unique<CWalCheckpointer>(QFile::encodeName(impl->path));
            impl->checkpointer->Request();
        }
        return SQLITE_OK;
    }

    void Exec(const char* sql) {
        CheckNotWaiting(QString::fromUtf8(sql));
        if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            Fail(QStringLiteral("The database %1 refused a statement").arg(path),
                 QString::fromUtf8(sql));
    }

    void Trim() {
        std::vector<quint64> uses;
        uses.reserve(cache.size());
        for (const Cached& c : std::as_const(cache))
            uses.push_back(c.lastUse);
        auto middle = uses.begin() + static_cast<std::ptrdiff_t>(uses.size() / 2);
        std::nth_element(uses.begin(), middle, uses.end());
        const quint64 cut = *middle;
        for (auto it = cache.begin(); it != cache.end();) {
            if (it->lastUse < cut) {
                sqlite3_finalize(it->stmt);
                it = cache.erase(it);
            } else {
                ++it;
            }
        }
    }

    // A text seen before runs with its literals as written (its statement is
    // cached as it stands and needs no binding); a text seen for the first
    // time is most likely one of a kind and shares the parameterized form.
    SqlDialect::Shape Translated(const QString& sql) {
        if (sql.contains(u'#'))
            return SqlDialect::Parameterize(SqlDialect::Translate(sql));
        const auto it = translations.constFind(sql);
        if (it != translations.constEnd()) {
            SqlDialect::Shape shape;
            shape.translated = *it;
            shape.text = *it;
            return shape;
        }
        SqlDialect::Shape shape = SqlDialect::Parameterize(SqlDialect::Translate(sql));
        if (translations.size() >= kCacheLimit)
            translations.clear();
        translations.insert(sql, shape.translated);
        return shape;
    }

    void ReadColumns(Cached& entry) {
        sqlite3_stmt* stmt = entry.stmt;
        const int count = sqlite3_column_count(stmt);
        bool same = entry.rawNames.size() == count;
        for (int c = 0; same && c < count; ++c)
            same = entry.rawNames.at(c) == sqlite3_column_name(stmt, c);
        if (same)
            return;
        entry.rawNames.clear();
        entry.names.clear();
        entry.boolean.assign(static_cast<size_t>(count), false);
        for (int c = 0; c < count; ++c) {
            entry.rawNames.append(QByteArray(sqlite3_column_name(stmt, c)));
            entry.names.append(QString::fromUtf8(entry.rawNames.constLast()));
            entry.boolean[static_cast<size_t>(c)] = IsBooleanType(sqlite3_column_decltype(stmt, c));
        }
    }

    Cached* Prepared(const QString& text, const QString& original) {
        auto it = cache.find(text);
        if (it != cache.end()) {
            it->lastUse = ++clock;
            return &*it;
        }
        const QByteArray utf8 = text.toUtf8();
        sqlite3_stmt* stmt = nullptr;
        const char* tail = nullptr;
        if (sqlite3_prepare_v3(db, utf8.constData(), static_cast<int>(utf8.size()),
                               SQLITE_PREPARE_PERSISTENT, &stmt, &tail) != SQLITE_OK) {
            sqlite3_finalize(stmt);
            Fail(QStringLiteral("The statement could not be prepared"), original);
        }
        // A second statement in one text is never the program's intent; it is
        // what a value that broke out of its quotes looks like.
        const char* end = utf8.constData() + utf8.size();
        while (tail && tail < end && (*tail == ';' || QChar(QLatin1Char(*tail)).isSpace()))
            ++tail;
        if (tail && tail < end) {
            sqlite3_finalize(stmt);
            throw CError(SQLITE_ERROR,
                         QStringLiteral("The text holds more than one statement.\nStatement: ") +
                             original);
        }
        if (!stmt)
            return nullptr; // blank text or only a comment
        if (cache.size() >= kCacheLimit)
            Trim();
        Cached entry;
        entry.stmt = stmt;
        entry.lastUse = ++clock;
        return &*cache.emplace(text, std::move(entry));
    }

    // Runs a prepared, bound statement to its end and reads its rows.
    CRecordset Step(Cached& entry, const QString& sql) {
        ReadColumns(entry);
        const std::vector<bool>& boolean = entry.boolean;
        QStringList columns = entry.names;
        QList<QVector<QVariant>> rows;
        StepEach(entry, sql, [&](const Row& row) {
            Q_UNUSED(row);
            rows.append(ReadRow(entry.stmt, boolean));
        });
        return CRecordset(std::move(columns), std::move(rows));
    }

    // The same, every row handed to each; the statement is left ready for
    // its next run whatever happens.
    void StepEach(Cached& entry, const QString& sql, const RowHandler& each) {
        sqlite3_stmt* stmt = entry.stmt;
        auto rewind = [stmt] {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
        };
        const Row row(stmt);
        int rc;
        try {
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
                each(row);
        } catch (...) {
            rewind();
            throw;
        }
        if (rc != SQLITE_DONE) {
            const int code = ResultCode(db);
            const QString message = SqliteText(sqlite3_errmsg(db));
            rewind();
            throw CError(code, message + QStringLiteral("\nStatement: ") + sql);
        }
        rewind();
    }

    Cached* BindDialect(const QString& sql);
    Cached* BindValues(const QString& sql, const QVariantList& values);

    void FinalizeAll() {
        for (const Cached& c : std::as_const(cache))
            sqlite3_finalize(c.stmt);
        cache.clear();
    }
};

CDatabase::CDatabase() : d(std::make_unique<Impl>()) {}

CDatabase::~CDatabase() {
    Close();
}

void CDatabase::Open(const QString& path, bool create) {
    Close();
    sqlite3* db = nullptr;
    // The private index needs the file's exclusive lock, which a handle
    // opened for reading cannot take; query_only keeps it from writing.
    const bool reading = d->readOnly && !d->privateIndex;
    int flags = (reading ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (create && !d->readOnly)
        flags |= SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const int code = db ? ResultCode(db) : rc;
        const QString message =
            db ? SqliteText(sqlite3_errmsg(db)) : SqliteText(sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw CError(code,
                     QStringLiteral("The database %1 could not be opened: %2").arg(path, message));
    }
    d->db = db;
    d->path = path;
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_handler(db, &Impl::BusyWait, d.get());
    CQueryFunctions::Register(db);
    try {
        // The first pragma reads the file header, so a file that is not a
        // database fails here rather than at some later query.
        if (d->readOnly) {
            d->Exec("PRAGMA query_only=ON");
            if (d->privateIndex)
                d->Exec("PRAGMA locking_mode=EXCLUSIVE");
            d->Exec("PRAGMA schema_version");
            return;
        }
        if (d->exclusive)
            d->Exec("PRAGMA locking_mode=EXCLUSIVE");
        d->Exec("PRAGMA journal_mode=WAL");
        d->Exec("PRAGMA synchronous=NORMAL");
        d->Exec("PRAGMA foreign_keys=ON");
        // Checkpoints are where the journal is synced to disk; a registration
        // writes a few pages per file, so the default threshold would sync
        // every hundred files or so. A file kept locked admits no second
        // connection to checkpoint from.
        if (d->exclusive)
            sqlite3_wal_autocheckpoint(db, kCheckpointFrames);
        else
            sqlite3_wal_hook(db, &Impl::Committed, d.get());
    } catch (const CError& e) {
        Close();
        // A full disk leaves no room for the shared index the journal needs
        // even for reading; with the file kept locked, the index lives in
        // memory. Writers wait until this connection closes.
        if (!d->readOnly || d->privateIndex || (e.Code() & 0xff) != SQLITE_FULL)
            throw;
        d->privateIndex = true;
        try {
            Open(path, create);
        } catch (...) {
            d->privateIndex = false;
            throw;
        }
        d->privateIndex = false;
    } catch (...) {
        Close();
        throw;
    }
}

void CDatabase::setBusyWait(const std::function<void()>& turn) {
    WaitTurn() = turn;
}

void CDatabase::Close() {
    if (!d->db)
        return;
    d->FinalizeAll();
    // The writer's connection closes last, so that it is the one that folds
    // the journal back into the file.
    d->checkpointer.reset();
    d->requestedAt = 0;
    d->bulk = false; // a connection opened again starts with the default cache
    // An open transaction is rolled back by the engine when the handle closes.
    sqlite3_close_v2(d->db);
    d->db = nullptr;
    d->depth = 0;
}

bool CDatabase::Exclusive() const {
    return d->exclusive;
}

void CDatabase::setExclusive(bool exclusive) {
    d->exclusive = exclusive;
}

bool CDatabase::ReadOnly() const {
    return d->readOnly;
}

void CDatabase::setReadOnly(bool readOnly) {
    d->readOnly = readOnly;
}

bool CDatabase::IsOpen() const {
    return d->db != nullptr;
}

QString CDatabase::Path() const {
    return d->path;
}

CDatabase::Impl::Cached* CDatabase::Impl::BindDialect(const QString& sql) {
    if (!db)
        throw CError(SQLITE_MISUSE, QStringLiteral("The database is not open.\nStatement: ") + sql);
    CheckNotWaiting(sql);
    SqlDialect::Shape shape = Translated(sql);
    Cached* entry = nullptr;
    if (!shape.values.isEmpty()) {
        // Where SQLite takes no parameter (an alias, a quoted table name) the
        // statement runs with its literals as written.
        try {
            entry = Prepared(shape.text, sql);
        } catch (const CError&) {
            entry = nullptr;
        }
        if (!entry || sqlite3_bind_parameter_count(entry->stmt) != shape.values.size())
            shape.values.clear();
    }
    if (shape.values.isEmpty())
        entry = Prepared(shape.translated, sql);
    if (!entry)
        return nullptr;
    sqlite3_stmt* stmt = entry->stmt;
    for (int k = 0; k < shape.values.size(); ++k) {
        const QByteArray utf8 = shape.values.at(k).toUtf8();
        sqlite3_bind_text(stmt, k + 1, utf8.constData(), static_cast<int>(utf8.size()),
                          SQLITE_TRANSIENT);
    }
    return entry;
}

CDatabase::Impl::Cached* CDatabase::Impl::BindValues(const QString& sql,
                                                     const QVariantList& values) {
    if (!db)
        throw CError(SQLITE_MISUSE, QStringLiteral("The database is not open.\nStatement: ") + sql);
    CheckNotWaiting(sql);
    Cached* entry = Prepared(sql, sql);
    if (!entry)
        return nullptr;
    sqlite3_stmt* stmt = entry->stmt;
    for (int k = 0; k < values.size(); ++k) {
        const QVariant& value = values.at(k);
        if (value.isNull()) {
            sqlite3_bind_null(stmt, k + 1);
        } else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int ||
                   value.typeId() == QMetaType::ULongLong || value.typeId() == QMetaType::Bool ||
                   value.typeId() == QMetaType::UInt) {
            sqlite3_bind_int64(stmt, k + 1, value.toLongLong());
        } else {
            const QByteArray utf8 = value.toString().toUtf8();
            sqlite3_bind_text(stmt, k + 1, utf8.constData(), static_cast<int>(utf8.size()),
                              SQLITE_TRANSIENT);
        }
    }
    return entry;
}

CRecordset CDatabase::Execute(const QString& sql) {
    Impl::Cached* entry = d->BindDialect(sql);
    return entry ? d->Step(*entry, sql) : CRecordset();
}

CRecordset CDatabase::ExecuteBound(const QString& sql, const QVariantList& values) {
    Impl::Cached* entry = d->BindValues(sql, values);
    return entry ? d->Step(*entry, sql) : CRecordset();
}

void CDatabase::ForEach(const QString& sql, const RowHandler& each) {
    if (Impl::Cached* entry = d->BindDialect(sql))
        d->StepEach(*entry, sql, each);
}

void CDatabase::ForEachBound(const QString& sql, const QVariantList& values,
                             const RowHandler& each) {
    if (Impl::Cached* entry = d->BindValues(sql, values))
        d->StepEach(*entry, sql, each);
}

int CDatabase::ParameterCount(const QString& sql) {
    if (!d->db)
        return -1;
    try {
        const Impl::Cached* entry = d->Prepared(sql, sql);
        return entry ? sqlite3_bind_parameter_count(entry->stmt) : -1;
    } catch (const CError&) {
        return -1;
    }
}

void CDatabase::setBulkCache(bool on) {
    // 16 MiB holds the pages 100,000 registrations touch; SQLite's own
    // default is 2 MiB.
    d->bulk = on;
    if (d->db)
        d->Exec(on ? "PRAGMA cache_size=-16384" : "PRAGMA cache_size=-2000");
}

void CDatabase::Interrupt() {
    if (d->db != nullptr)
        sqlite3_interrupt(d->db);
}

bool CDatabase::Row::IsNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 CDatabase::Row::Int(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

QString CDatabase::Row::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column)) : QString();
}

QByteArrayView CDatabase::Row::Utf8(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(m_stmt, column)) : QByteArrayView();
}

bool CDatabase::HasTable(const QString& name) {
    bool found = false;
    ForEachBound(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"),
                 {name}, [&found](const Row&) { found = true; });
    return found;
}

qint64 CDatabase::LastInsertRowId() const {
    return d->db ? sqlite3_last_insert_rowid(d->db) : 0;
}

void CDatabase::BeginTransaction() {
    if (!d->db)
        throw CError(SQLITE_MISUSE, QStringLiteral("The database is not open."));
    // A connection that may not write reads in a transaction all the same;
    // asking for the write lock would fail.
    if (d->depth == 0)
        d->Exec(d->readOnly ? "BEGIN" : "BEGIN IMMEDIATE");
    else
        d->Exec(QStringLiteral("SAVEPOINT vollo_%1").arg(d->depth).toUtf8().constData());
    ++d->depth;
}

void CDatabase::CommitTransaction() {
    if (!d->db || d->depth == 0)
        throw CError(SQLITE_MISUSE, QStringLiteral("There is no transaction to commit."));
    if (d->depth == 1) {
        if (sqlite3_get_autocommit(d->db)) {
            // The engine already rolled back after a failure such as a full disk.
            d->depth = 0;
            throw CError(SQLITE_ABORT, QStringLiteral("The transaction on %1 was rolled back by "
                                                      "an earlier failure; its changes are lost.")
                                           .arg(d->path));
        }
        d->Exec("COMMIT"); // a busy commit stays open, so the caller may retry
        d->depth = 0;
        return;
    }
    d->Exec(QStringLiteral("RELEASE vollo_%1").arg(d->depth - 1).toUtf8().constData());
    --d->depth;
}

void CDatabase::RollbackTransaction() {
    if (!d->db || d->depth == 0)
        throw CError(SQLITE_MISUSE, QStringLiteral("There is no transaction to roll back."));
    if (d->depth == 1) {
        d->depth = 0;
        if (!sqlite3_get_autocommit(d->db))
            d->Exec("ROLLBACK");
        return;
    }
    --d->depth;
    if (sqlite3_get_autocommit(d->db)) {
        d->depth = 0;
        return;
    }
    const QByteArray name = QStringLiteral("vollo_%1").arg(d->depth).toUtf8();
    d->Exec(QByteArray("ROLLBACK TO " + name + "; RELEASE " + name).constData());
}

bool CDatabase::InTransaction() const {
    return d->depth > 0;
}

int CDatabase::TransactionDepth() const {
    return d->depth;
}

QString CDatabase::TranslateDialect(const QString& sql) {
    return SqlDialect::Translate(sql);
}

#include "CDatabase.h"

#include "CError.h"
#include "JetDate.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <sqlite3.h>
#include <vector>

namespace {

// Prepared statements kept for reuse. Texts that carry their values inline
// (one per registered file) would otherwise pile up without bound.
constexpr qsizetype kCacheLimit = 256;

bool IsAsciiLetter(char16_t u) {
    return (u | 0x20) >= u'a' && (u | 0x20) <= u'z';
}

bool IsWordStart(QChar c) {
    const char16_t u = c.unicode();
    if (u < 128)
        return IsAsciiLetter(u) || u == u'_';
    return c.isLetter();
}

bool IsWordChar(QChar c) {
    const char16_t u = c.unicode();
    if (u < 128)
        return IsAsciiLetter(u) || (u >= u'0' && u <= u'9') || u == u'_' || u == u'$';
    return c.isLetterOrNumber();
}

// End (exclusive) of a run delimited by `close` that starts at `from` (the
// opening character), where a doubled closing character stands for itself.
qsizetype DelimitedEnd(const QString& s, qsizetype from, QChar close, bool doubling) {
    qsizetype j = from + 1;
    while (j < s.size()) {
        if (s.at(j) == close) {
            if (doubling && j + 1 < s.size() && s.at(j + 1) == close) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return -1;
}

qsizetype SkipSpace(const QString& s, qsizetype i) {
    while (i < s.size() && s.at(i).isSpace())
        ++i;
    return i;
}

bool WordAt(const QString& s, qsizetype i, QLatin1StringView word) {
    if (i + word.size() > s.size())
        return false;
    if (QStringView(s).mid(i, word.size()).compare(word, Qt::CaseInsensitive) != 0)
        return false;
    return i + word.size() == s.size() || !IsWordChar(s.at(i + word.size()));
}

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

// A translated statement, and the same with its string literals taken out as
// parameters: statements that differ only in their texts (one per registered
// file) then share one prepared form.
struct Shape {
    QString translated;
    QString text;
    QStringList values;
};

bool StartsDataStatement(const QString& sql) {
    const qsizetype i = SkipSpace(sql, 0);
    for (const char* word : {"SELECT", "INSERT", "UPDATE", "DELETE", "REPLACE", "WITH"}) {
        if (WordAt(sql, i, QLatin1StringView(word)))
            return true;
    }
    return false;
}

Shape Parameterize(QString translated) {
    Shape shape;
    shape.translated = std::move(translated);
    const QString& sql = shape.translated;
    shape.text = sql;
    if (!StartsDataStatement(sql))
        return shape;

    const qsizetype n = sql.size();
    QString out;
    out.reserve(n);
    QStringList values;
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        const QChar next = i + 1 < n ? sql.at(i + 1) : QChar();
        qsizetype e = -1; // end of a run copied as it stands
        if (c == u'\'') {
            e = DelimitedEnd(sql, i, u'\'', true);
            if (e < 0)
                return shape;
            if (i == 0 || !IsWordChar(sql.at(i - 1))) { // not a blob x'..'
                QString value = sql.mid(i + 1, e - i - 2);
                if (value.contains(u'\''))
                    value.replace(QStringLiteral("''"), QStringLiteral("'"));
                values.append(std::move(value));
                out += u'?';
                i = e;
                continue;
            }
        } else if (c == u'"' || c == u'`') {
            e = DelimitedEnd(sql, i, c, true);
        } else if (c == u'[') {
            e = DelimitedEnd(sql, i, u']', false);
        } else if (c == u'-' && next == u'-') {
            e = sql.indexOf(u'\n', i);
            e = e < 0 ? n : e;
        } else if (c == u'/' && next == u'*') {
            e = sql.indexOf(QStringLiteral("*/"), i + 2);
            e = e < 0 ? n : e + 2;
        } else if (c == u'?' || ((c == u':' || c == u'@' || c == u'$') && IsWordStart(next))) {
            return shape; // parameters of its own: left as written
        } else {
            out += c;
            ++i;
            continue;
        }
        if (e < 0)
            return shape;
        out += QStringView(sql).mid(i, e - i);
        i = e;
    }
    if (!values.isEmpty()) {
        shape.text = std::move(out);
        shape.values = std::move(values);
    }
    return shape;
}

QString SqliteText(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
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
    QHash<QString, Cached> cache;
    quint64 clock = 0;
    // Translations of texts without date literals (those alone do not depend
    // on the locale): the bookkeeping statements recur after every statement.
    QHash<QString, QString> translations;

    [[noreturn]] void Fail(const QString& what, const QString& statement) const {
        const int code = db ? sqlite3_extended_errcode(db) : SQLITE_MISUSE;
        QString text = what;
        if (db)
            text += QStringLiteral(": ") + SqliteText(sqlite3_errmsg(db));
        if (!statement.isEmpty())
            text += QStringLiteral("\nStatement: ") + statement;
        throw CError(code, text);
    }

    void Exec(const char* sql) {
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
    Shape Translated(const QString& sql) {
        if (sql.contains(u'#'))
            return Parameterize(TranslateDialect(sql));
        const auto it = translations.constFind(sql);
        if (it != translations.constEnd()) {
            Shape shape;
            shape.translated = *it;
            shape.text = *it;
            return shape;
        }
        Shape shape = Parameterize(TranslateDialect(sql));
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
        return &*cache.insert(text, std::move(entry));
    }

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
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (create)
        flags |= SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const int code = db ? sqlite3_extended_errcode(db) : rc;
        const QString message =
            db ? SqliteText(sqlite3_errmsg(db)) : SqliteText(sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw CError(code,
                     QStringLiteral("The database %1 could not be opened: %2").arg(path, message));
    }
    d->db = db;
    d->path = path;
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 5000);
    try {
        // The first pragma reads the file header, so a file that is not a
        // database fails here rather than at some later query.
        if (d->exclusive)
            d->Exec("PRAGMA locking_mode=EXCLUSIVE");
        d->Exec("PRAGMA journal_mode=WAL");
        d->Exec("PRAGMA synchronous=NORMAL");
        d->Exec("PRAGMA foreign_keys=ON");
        // Checkpoints are where the journal is synced to disk; a registration
        // writes a few pages per file, so the default threshold would sync
        // every hundred files or so.
        d->Exec("PRAGMA wal_autocheckpoint=8192");
    } catch (...) {
        Close();
        throw;
    }
}

void CDatabase::Close() {
    if (!d->db)
        return;
    d->FinalizeAll();
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

bool CDatabase::IsOpen() const {
    return d->db != nullptr;
}

QString CDatabase::Path() const {
    return d->path;
}

CRecordset CDatabase::Execute(const QString& sql) {
    if (!d->db)
        throw CError(SQLITE_MISUSE, QStringLiteral("The database is not open.\nStatement: ") + sql);
    Shape shape = d->Translated(sql);
    Impl::Cached* entry = nullptr;
    if (!shape.values.isEmpty()) {
        // Where SQLite takes no parameter (an alias, a quoted table name) the
        // statement runs with its literals as written.
        try {
            entry = d->Prepared(shape.text, sql);
        } catch (const CError&) {
            entry = nullptr;
        }
        if (!entry || sqlite3_bind_parameter_count(entry->stmt) != shape.values.size())
            shape.values.clear();
    }
    if (shape.values.isEmpty())
        entry = d->Prepared(shape.translated, sql);
    if (!entry)
        return CRecordset();
    sqlite3_stmt* stmt = entry->stmt;
    for (int k = 0; k < shape.values.size(); ++k) {
        const QByteArray utf8 = shape.values.at(k).toUtf8();
        sqlite3_bind_text(stmt, k + 1, utf8.constData(), static_cast<int>(utf8.size()),
                          SQLITE_TRANSIENT);
    }
    d->ReadColumns(*entry);
    const int count = static_cast<int>(entry->names.size());
    const std::vector<bool>& boolean = entry->boolean;
    QStringList columns = entry->names;

    QList<QVector<QVariant>> rows;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QVector<QVariant> row;
        row.reserve(count);
        for (int c = 0; c < count; ++c) {
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER: {
                const qint64 v = sqlite3_column_int64(stmt, c);
                if (boolean[static_cast<size_t>(c)])
                    row.append(QVariant(v != 0));
                else if (v >= std::numeric_limits<int>::min() &&
                         v <= std::numeric_limits<int>::max())
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
        rows.append(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        const int code = sqlite3_extended_errcode(d->db);
        const QString message = SqliteText(sqlite3_errmsg(d->db));
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        throw CError(code, message + QStringLiteral("\nStatement: ") + sql);
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    return CRecordset(std::move(columns), std::move(rows));
}

qint64 CDatabase::LastInsertRowId() const {
    return d->db ? sqlite3_last_insert_rowid(d->db) : 0;
}

void CDatabase::BeginTransaction() {
    if (!d->db)
        throw CError(SQLITE_MISUSE, QStringLiteral("The database is not open."));
    if (d->depth == 0)
        d->Exec("BEGIN IMMEDIATE");
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

QString CDatabase::TranslateDialect(const QString& sql) {
    const qsizetype n = sql.size();
    QString out;
    out.reserve(n + 16);

    // The statement kind decides the rewrites that only apply to it.
    qsizetype i = SkipSpace(sql, 0);
    out += QStringView(sql).left(i);
    bool isUpdate = false;
    QString updateTable;
    if (WordAt(sql, i, QLatin1StringView("DELETE"))) {
        const qsizetype star = SkipSpace(sql, i + 6);
        if (star < n && sql.at(star) == u'*') {
            const qsizetype from = SkipSpace(sql, star + 1);
            if (WordAt(sql, from, QLatin1StringView("FROM"))) {
                out += QStringView(sql).mid(i, 6);
                out += u' ';
                i = from;
            }
        }
    } else if (WordAt(sql, i, QLatin1StringView("UPDATE"))) {
        isUpdate = true;
        const qsizetype t = SkipSpace(sql, i + 6);
        qsizetype e = t;
        while (e < n && IsWordChar(sql.at(e)))
            ++e;
        updateTable = sql.mid(t, e - t);
    }

    int depth = 0;
    bool inSet = false;
    bool setDone = false;
    bool expectTarget = false;

    while (i < n) {
        const QChar c = sql.at(i);
        if (c == u'\'') {
            qsizetype e = DelimitedEnd(sql, i, u'\'', true);
            if (e < 0)
                e = n;
            out += QStringView(sql).mid(i, e - i);
            i = e;
        } else if (c == u'"') {
            const qsizetype e = DelimitedEnd(sql, i, u'"', true);
            if (e < 0) {
                out += QStringView(sql).mid(i);
                break;
            }
            out += u'\'';
            for (qsizetype k = i + 1; k < e - 1; ++k) {
                const QChar ch = sql.at(k);
                if (ch == u'"')
                    ++k; // the first of a doubled pair
                else if (ch == u'\'')
                    out += ch;
                out += ch;
            }
            out += u'\'';
            i = e;
        } else if (c == u'[' || c == u'`') {
            qsizetype e = DelimitedEnd(sql, i, c == u'[' ? u']' : u'`', c == u'`');
            if (e < 0)
                e = n;
            out += QStringView(sql).mid(i, e - i);
            i = e;
        } else if (c == u'-' && i + 1 < n && sql.at(i + 1) == u'-') {
            qsizetype e = sql.indexOf(u'\n', i);
            e = e < 0 ? n : e;
            out += QStringView(sql).mid(i, e - i);
            i = e;
        } else if (c == u'/' && i + 1 < n && sql.at(i + 1) == u'*') {
            qsizetype e = sql.indexOf(QStringLiteral("*/"), i + 2);
            e = e < 0 ? n : e + 2;
            out += QStringView(sql).mid(i, e - i);
            i = e;
        } else if (c == u'#') {
            const qsizetype e = sql.indexOf(u'#', i + 1);
            if (e < 0) {
                out += c;
                ++i;
                continue;
            }
            const QString literal = sql.mid(i + 1, e - i - 1);
            const QString iso = JetDate::ToIso(literal);
            if (iso.isEmpty())
                throw CError(SQLITE_ERROR,
                             QStringLiteral("The date #%1# is in no date form the program reads.\n"
                                            "Statement: %2")
                                 .arg(literal, sql));
            out += u'\'';
            out += iso;
            out += u'\'';
            i = e + 1;
        } else if (c == u'@' && i + 1 < n && sql.at(i + 1) == u'@' &&
                   WordAt(sql, i + 2, QLatin1StringView("IDENTITY"))) {
            out += QStringLiteral("last_insert_rowid()");
            i += 10;
        } else if (c.isDigit()) {
            qsizetype e = i;
            while (e < n && (IsWordChar(sql.at(e)) || sql.at(e) == u'.'))
                ++e;
            out += QStringView(sql).mid(i, e - i);
            i = e;
            expectTarget = false;
        } else if (IsWordStart(c)) {
            qsizetype e = i;
            while (e < n && IsWordChar(sql.at(e)))
                ++e;
            const QStringView word = QStringView(sql).mid(i, e - i);
            const bool qualified = (i > 0 && sql.at(i - 1) == u'.') || (e < n && sql.at(e) == u'.');
            if (isUpdate && depth == 0 && !inSet && !setDone &&
                word.compare(QLatin1StringView("SET"), Qt::CaseInsensitive) == 0) {
                inSet = true;
                expectTarget = true;
                out += word;
            } else if (inSet && depth == 0 &&
                       (word.compare(QLatin1StringView("WHERE"), Qt::CaseInsensitive) == 0 ||
                        word.compare(QLatin1StringView("FROM"), Qt::CaseInsensitive) == 0)) {
                inSet = false;
                setDone = true;
                out += word;
            } else if (inSet && expectTarget && e < n && sql.at(e) == u'.' &&
                       word.compare(updateTable, Qt::CaseInsensitive) == 0) {
                // SQLite names the assigned column alone; the table is implied.
                i = e + 1;
                continue;
            } else if (!qualified && (word.size() == 4 || word.size() == 5) &&
                       (word.compare(QLatin1StringView("True"), Qt::CaseInsensitive) == 0 ||
                        word.compare(QLatin1StringView("False"), Qt::CaseInsensitive) == 0)) {
                out += word.size() == 4 ? u'1' : u'0';
                expectTarget = false;
            } else {
                out += word;
                expectTarget = false;
            }
            i = e;
        } else {
            if (c == u'(')
                ++depth;
            else if (c == u')')
                --depth;
            else if (c == u',' && inSet && depth == 0)
                expectTarget = true;
            out += c;
            ++i;
        }
    }
    return out;
}

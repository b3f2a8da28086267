#pragma once

#include "CRecordset.h"

#include <QString>
#include <functional>
#include <memory>

struct sqlite3_stmt;

// One SQLite connection (RAII). Statements are written in the program's own
// dialect (double-quoted strings, #date# literals, SELECT @@IDENTITY,
// DELETE * FROM, UPDATE t set t.col=...) and translated before SQLite sees
// them; every distinct translated text is prepared once and reused.
// Failures throw CError carrying SQLite's extended result code and message.
class CDatabase {
public:
    CDatabase();
    ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // Opens an existing file; with create, makes it when missing. WAL journal.
    void Open(const QString& path, bool create = false);
    void Close();

    // With Exclusive set before Open, the connection keeps its file locked
    // from the first statement until Close: no other connection can use the
    // file meanwhile, and no statement pays for taking and dropping locks.
    bool Exclusive() const;
    void setExclusive(bool exclusive);
    // With ReadOnly set before Open, the file is opened for reading only and
    // nothing is written to it, not even the journal mode: the way to look at
    // a file before it is known to be a repository, or one on a full disk.
    // Set while open, transactions no longer ask for the write lock.
    bool ReadOnly() const;
    void setReadOnly(bool readOnly);
    bool IsOpen() const;
    QString Path() const;

    CRecordset Execute(const QString& sql);
    // Plain SQLite text (no dialect) with ? parameters bound in order:
    // integers as 64-bit integers, null QVariants as NULL, the rest as text.
    CRecordset ExecuteBound(const QString& sql, const QVariantList& values);
    qint64 LastInsertRowId() const;
    // How many parameters SQLite finds in a plain statement; -1 where it
    // cannot prepare it.
    int ParameterCount(const QString& sql);
    // Bulk work (a walk, a large drop) touches every page of the files'
    // tables and indexes; with room for them in memory, no page is read back
    // or written to the journal twice within a batch, and the journal is
    // copied into the file in fewer, larger steps. Off gives the memory back.
    void setBulkCache(bool on);
    // Whether the file holds a table of that name (tables added by later
    // versions are made on first use).
    bool HasTable(const QString& name);

    // One result row read straight from the engine, valid only inside the
    // callback it is handed to: a long result (a list of 100,000 files) costs
    // no QVariant per field.
    class Row {
    public:
        explicit Row(sqlite3_stmt* stmt) : m_stmt(stmt) {}
        bool IsNull(int column) const;
        qint64 Int(int column) const;
        QString Text(int column) const;
        // The text's UTF-8 bytes as the engine holds them, valid until the
        // next call on the row.
        QByteArrayView Utf8(int column) const;

    private:
        sqlite3_stmt* m_stmt;
    };
    using RowHandler = std::function<void(const Row& row)>;
    // For a reading of many rows while an earlier reading of the same rows
    // is held: the earlier string of the row with the given ID when it equals
    // the UTF-8 text, or else the text made anew. Each path is then held
    // once, however many lists show it.
    using SharedText = std::function<QString(qint64 id, QByteArrayView utf8)>;
    // Execute and ExecuteBound with every row handed to each instead of kept.
    void ForEach(const QString& sql, const RowHandler& each);
    void ForEachBound(const QString& sql, const QVariantList& values, const RowHandler& each);

    // Stops the statement running on the connection, from any thread: it
    // fails with SQLITE_INTERRUPT.
    void Interrupt();

    // Bulk work: one transaction around many statements. Nested calls count.
    void BeginTransaction();
    void CommitTransaction();
    void RollbackTransaction();
    bool InTransaction() const;
    // Transactions begun and not yet ended, the outermost counted as 1.
    int TransactionDepth() const;

    // A statement that waits for another program's lock waits in short
    // steps, and turn runs between them (about every tenth of a second) so
    // that a window can stay painted. Whatever turn does must not reach a
    // repository: such statements fail busy. Empty: no turn.
    static void setBusyWait(const std::function<void()>& turn);

    // The dialect translation on its own, for tests and diagnostics.
    static QString TranslateDialect(const QString& sql);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

#include "CFactStore.h"

#include "BM_Library.h"
#include "CDatabase.h"
#include "CError.h"

#include <QStringList>

namespace {

const QString kColumns =
    QStringLiteral("fileID, docPath, device, inode, size, mtime, fingerprint, missing");

// Unsigned 64-bit values are kept in SQLite's signed integers bit for bit.
qint64 Signed(quint64 value) {
    return static_cast<qint64>(value);
}

QString Text(const CRecordset& rs, int field) {
    return rs.Field(field).toString();
}
qint64 Int(const CRecordset& rs, int field) {
    return rs.Field(field).toLongLong();
}
QString Text(const CDatabase::Row& row, int field) {
    return row.Text(field);
}
qint64 Int(const CDatabase::Row& row, int field) {
    return row.Int(field);
}

template <typename Record> CFileFacts FactsWithPath(const Record& rs, QString path) {
    CFileFacts facts;
    facts.path = std::move(path);
    facts.device = quint64(Int(rs, 2));
    facts.inode = quint64(Int(rs, 3));
    facts.size = Int(rs, 4);
    facts.modified = Int(rs, 5);
    facts.fingerprint = quint64(Int(rs, 6));
    facts.missing = Int(rs, 7) != 0;
    return facts;
}

template <typename Record> CFileFacts FromRow(const Record& rs) {
    return FactsWithPath(rs, Text(rs, 1));
}

CFileFacts FromRow(const CDatabase::Row& row, const CDatabase::SharedText& sharedPath) {
    return FactsWithPath(row, sharedPath ? sharedPath(row.Int(0), row.Utf8(1)) : row.Text(1));
}

// The document a shortcut points to; empty when the shortcut cannot be read.
QString TargetOf(const QString& shortcutPath) {
    try {
        return BM_Library::ShortcutTarget(shortcutPath);
    } catch (const CError&) {
        return QString();
    }
}

// Picks the facts of files given as one JSON array of IDs: one statement
// for any number of files.
const QString kPicked =
    QStringLiteral(" FROM filefacts WHERE fileID IN (SELECT value FROM json_each(?))");

QString IdArray(const QList<qint32>& fileIDs) {
    QStringList ids;
    ids.reserve(fileIDs.size());
    for (qint32 id : fileIDs)
        ids << QString::number(id);
    return QStringLiteral("[") + ids.join(u',') + QStringLiteral("]");
}

} // namespace

CFactStore::CFactStore(CDatabase& connection) : m_connection(connection) {}

QString CFactStore::TableDefinition() {
    return QStringLiteral(
        "CREATE TABLE IF NOT EXISTS filefacts ("
        " fileID INTEGER PRIMARY KEY REFERENCES files (ID) ON DELETE CASCADE,"
        " docPath TEXT NOT NULL, device INTEGER, inode INTEGER, size INTEGER,"
        " mtime INTEGER, fingerprint INTEGER, missing INTEGER NOT NULL DEFAULT 0)");
}

int CFactStore::SchemaVersion(CDatabase& connection) {
    return connection.ExecuteBound(QStringLiteral("PRAGMA user_version"), {}).Field(0).toInt();
}

bool CFactStore::HasTable(CDatabase& connection) {
    return connection.HasTable(QStringLiteral("filefacts"));
}

void CFactStore::Upgrade(CDatabase& connection, const Progress& progress) {
    if (SchemaVersion(connection) >= kSchemaVersion)
        return;
    connection.BeginTransaction();
    try {
        connection.ExecuteBound(TableDefinition(), {});
        connection.ExecuteBound(QStringLiteral("CREATE INDEX IF NOT EXISTS filefactsByInode ON "
                                               "filefacts (device, inode)"),
                                {});
        connection.ExecuteBound(QStringLiteral("CREATE INDEX IF NOT EXISTS filefactsByFingerprint "
                                               "ON filefacts (fingerprint)"),
                                {});
        CRecordset files =
            connection.ExecuteBound(QStringLiteral("SELECT ID, path FROM files ORDER BY ID"), {});
        CFactStore store(connection);
        const qint64 total = files.RecordCount();
        qint64 done = 0;
        for (files.MoveFirst(); !files.IsEOF(); files.MoveNext()) {
            store.Record(files.Field(0).toInt(), files.Field(1).toString());
            if (progress && (++done % 64 == 0 || done == total))
                progress(done, total);
        }
        connection.ExecuteBound(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion), {});
        connection.CommitTransaction();
    } catch (...) {
        connection.RollbackTransaction();
        throw;
    }
}

void CFactStore::Record(qint32 fileID, const QString& shortcutPath) {
    const QString target = TargetOf(shortcutPath);
    if (target.isEmpty())
        return;
    Record(fileID, CFileFacts::Stat(target));
}

void CFactStore::Record(qint32 fileID, const CFileFacts& fresh) {
    const QString& target = fresh.path;
    CFileFacts stored;
    // An unchanged document keeps its fingerprint.
    if (Load(fileID, &stored) && stored.path == target && fresh.SameFile(stored))
        return;
    // The contents are read later, away from the collecting (see
    // CFingerprintWorker): registering never waits for a document's bytes.
    Store(fileID, fresh);
}

void CFactStore::Store(qint32 fileID, const CFileFacts& facts) {
    if (facts.missing && facts.size == 0 && facts.inode == 0) {
        // Nothing is known but the path: older facts of the same path stay.
        m_connection.ExecuteBound(
            QStringLiteral("INSERT INTO filefacts (fileID, docPath, missing) VALUES (?, ?, 1) "
                           "ON CONFLICT (fileID) DO UPDATE SET missing = 1, "
                           "docPath = excluded.docPath"),
            {fileID, facts.path});
        return;
    }
    // Once per registered file: the text is made once.
    static const QString insert = QStringLiteral("INSERT OR REPLACE INTO filefacts (") + kColumns +
                                  QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    m_connection.ExecuteBound(
        insert,
        {fileID, facts.path, Signed(facts.device), Signed(facts.inode), facts.size, facts.modified,
         // No fingerprint yet: the row is on the to-do list.
         facts.fingerprint != 0 ? QVariant(Signed(facts.fingerprint)) : QVariant(),
         int(facts.missing)});
}

void CFactStore::MarkMissing(qint32 fileID) {
    m_connection.ExecuteBound(QStringLiteral("UPDATE filefacts SET missing = 1 WHERE fileID = ?"),
                              {fileID});
}

QHash<qint32, CFileFacts> CFactStore::Load(const QList<qint32>& fileIDs) {
    QHash<qint32, CFileFacts> result;
    // Read row by row from the engine: the whole table of a large repository
    // is read when a long list is filled.
    auto take = [&result](const CDatabase::Row& row) {
        result.insert(qint32(row.Int(0)), FromRow(row));
    };
    if (fileIDs.isEmpty()) {
        m_connection.ForEachBound(
            QStringLiteral("SELECT ") + kColumns + QStringLiteral(" FROM filefacts"), {}, take);
        return result;
    }
    result.reserve(fileIDs.size());
    m_connection.ForEachBound(QStringLiteral("SELECT ") + kColumns + kPicked, {IdArray(fileIDs)},
                              take);
    return result;
}

CFactStore::FactList CFactStore::LoadAll(const CDatabase::SharedText& sharedPath) {
    FactList result;
    // Grown by doubling, a list of every document's facts would leave the
    // smaller copies behind as holes in the heap.
    result.reserve(Count());
    m_connection.ForEachBound(QStringLiteral("SELECT ") + kColumns +
                                  QStringLiteral(" FROM filefacts ORDER BY fileID"),
                              {}, [&result, &sharedPath](const CDatabase::Row& row) {
                                  result.emplaceBack(qint32(row.Int(0)), FromRow(row, sharedPath));
                              });
    return result;
}

CFactStore::FactList CFactStore::LoadList(const QList<qint32>& fileIDs,
                                          const CDatabase::SharedText& sharedPath) {
    FactList result;
    if (fileIDs.isEmpty())
        return result;
    result.reserve(fileIDs.size());
    m_connection.ForEachBound(
        QStringLiteral("SELECT ") + kColumns + kPicked + QStringLiteral(" ORDER BY fileID"),
        {IdArray(fileIDs)}, [&result, &sharedPath](const CDatabase::Row& row) {
            result.emplaceBack(qint32(row.Int(0)), FromRow(row, sharedPath));
        });
    return result;
}

qint64 CFactStore::Count() {
    return m_connection.Execute(QStringLiteral("SELECT count(*) FROM filefacts"))
        .Field(0)
        .toLongLong();
}

bool CFactStore::Load(qint32 fileID, CFileFacts* facts) {
    CRecordset rs = m_connection.ExecuteBound(
        QStringLiteral("SELECT ") + kColumns + QStringLiteral(" FROM filefacts WHERE fileID = ?"),
        {fileID});
    if (rs.IsEOF())
        return false;
    *facts = FromRow(rs);
    return true;
}

CFactStore::FactList CFactStore::Unprinted(qint32 afterID, int limit) {
    FactList result;
    // The index on the fingerprint keeps the NULL rows in ID order: no sort,
    // and no pass over the rows already done.
    m_connection.ForEachBound(QStringLiteral("SELECT ") + kColumns +
                                  QStringLiteral(" FROM filefacts WHERE fingerprint IS NULL AND "
                                                 "missing = 0 AND fileID > ? ORDER BY fileID "
                                                 "LIMIT ?"),
                              {afterID, limit}, [&result](const CDatabase::Row& row) {
                                  result.emplaceBack(qint32(row.Int(0)), FromRow(row));
                              });
    return result;
}

qint64 CFactStore::UnprintedCount() {
    return m_connection
        .ExecuteBound(QStringLiteral("SELECT count(*) FROM filefacts WHERE fingerprint IS NULL "
                                     "AND missing = 0"),
                      {})
        .Field(0)
        .toLongLong();
}

void CFactStore::StoreFingerprints(const FactList& printed) {
    if (printed.isEmpty())
        return;
    m_connection.BeginTransaction();
    try {
        for (const auto& [fileID, facts] : printed)
            m_connection.ExecuteBound(
                QStringLiteral("UPDATE filefacts SET fingerprint = ? WHERE fileID = ? AND "
                               "fingerprint IS NULL AND docPath = ? AND device = ? AND inode = ? "
                               "AND size = ? AND mtime = ?"),
                {Signed(facts.fingerprint), fileID, facts.path, Signed(facts.device),
                 Signed(facts.inode), facts.size, facts.modified});
        m_connection.CommitTransaction();
    } catch (...) {
        m_connection.RollbackTransaction();
        throw;
    }
}

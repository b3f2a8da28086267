#pragma once

#include "CDatabase.h"
#include "CFileFacts.h"

#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <utility>

// The facts table beside the repository's own tables: one row per registered
// file, keyed by the file's ID and dropped with it.
//
//   filefacts (fileID PK -> files.ID ON DELETE CASCADE, docPath, device,
//              inode, size, mtime, fingerprint, missing)
//
// The schema version (PRAGMA user_version) tells whether a repository has the
// table: repositories from before it have version 0.
class CFactStore {
public:
    static constexpr int kSchemaVersion = 1;
    // Done and total files of an upgrade, told every few files.
    using Progress = std::function<void(qint64 done, qint64 total)>;

    explicit CFactStore(CDatabase& connection);

    static int SchemaVersion(CDatabase& connection);
    // Whether the connected repository holds the table.
    static bool HasTable(CDatabase& connection);
    // Brings a repository of an older version up to date in one transaction:
    // the table is made and filled from every registered shortcut, and the
    // version set. Nothing is done to a repository already up to date.
    static void Upgrade(CDatabase& connection, const Progress& progress);
    // The statements that make the table (also run by the template script).
    static QString TableDefinition();

    // Takes the facts of the shortcut's document (one stat, its contents
    // unread) and stores them; facts that still hold are kept, fingerprint
    // included. A document stored without a fingerprint waits for Unprinted.
    void Record(qint32 fileID, const QString& shortcutPath);
    // The same with the facts of the shortcut's target already taken.
    void Record(qint32 fileID, const CFileFacts& fresh);
    void Store(qint32 fileID, const CFileFacts& facts);
    // Keeps the stored facts but marks the document as not found.
    void MarkMissing(qint32 fileID);
    // The stored facts of the given files (all files when fileIDs is empty);
    // files without facts are not in the result.
    QHash<qint32, CFileFacts> Load(const QList<qint32>& fileIDs = {});
    bool Load(qint32 fileID, CFileFacts* facts);
    // Every file's stored facts in the order of the files' IDs.
    using FactList = QList<std::pair<qint32, CFileFacts>>;
    // sharedPath: where the documents' path strings may come from.
    FactList LoadAll(const CDatabase::SharedText& sharedPath = {});
    // The same for the given files only.
    FactList LoadList(const QList<qint32>& fileIDs, const CDatabase::SharedText& sharedPath = {});
    // How many files have facts stored.
    qint64 Count();

    // Documents found when last looked at whose fingerprint is not taken yet,
    // in the order of their IDs from the first ID above afterID; at most limit.
    FactList Unprinted(qint32 afterID, int limit);
    qint64 UnprintedCount();
    // Stores the fingerprints of documents taken as Unprinted returned them;
    // a row that changed meanwhile (other facts stored, the document
    // relinked) is left as it now is. One transaction for the lot.
    void StoreFingerprints(const FactList& printed);

private:
    CDatabase& m_connection;
};

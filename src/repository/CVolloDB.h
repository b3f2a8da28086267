#pragma once

#include "CFileDB.h"
#include "CRecordset.h"

#include <QHash>
#include <QList>

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

// The repository as the rest of the program sees it.
class CVolloDB {
public:
    CVolloDB();
    ~CVolloDB();

    QString ShortcutFolder() const;
    QString INIFileName() const;
    bool IsFirstExecution() const;
    void Create();
    // See CFileDB: a refused repository moved aside, and the reason a
    // repository opened for reading only.
    QString SetAside();
    bool IsReadOnly() const;
    QString ReadOnlyNotice() const;
    // See CFileDB: the repository's folder went away while the program runs.
    bool CheckGone();
    bool IsGone() const;
    qint32 AddFileName(const QString& FileName);
    qint32 AddTag(const QString& TagName);
    qint32 AddFileTag(qint32 FileID, qint32 TagID);
    void DelFileName(const QString& FileName);
    void DelTag(const QString& TagName);
    void DelFileTag(qint32 FileID, qint32 TagID);
    qint32 MakeShortCut(const QString& FilePath);
    QVariant ClassDebugID() const;
    CRecordset GetTagName();
    CRecordset GetFileOfTag(qint32 TagID);
    CRecordset RunSQL(const QString& strSql);
    // Whether the repository holds a table of that name, asked as RunSQL
    // asks, with its bookkeeping.
    bool HasTable(const QString& Name);
    // See CFileDB: IDs and shortcut paths of a file list, without a recordset.
    QList<std::pair<qint32, QString>> RunFileList(const QString& strSql,
                                                  const CDatabase::SharedText& shared = {});
    // Several writes whose results nobody reads, with one bookkeeping step.
    void RunSQLBatch(const QStringList& Statements);
    // See CFileDB: one statement with ?1, ?2 … for many lists of values.
    void RunSQLBatch(const QString& Statement, const QList<QVariantList>& Values);
    QString GetQuery(const QString& Key);
    CRecordset RunQuery(const QString& Key);
    qint32 UpdateItem(const QString& sqlSelect, const QString& sqlInsert, bool* added = nullptr);
    // The same for statements shaped once (a walk's), filled with value.
    qint32 UpdateItem(const CStatementShape& select, const CStatementShape& insert,
                      const QString& value, bool* added = nullptr);
    CRecordset GetTagOfFile(qint32 FileID);

    // Stored facts of registered documents (see CFactStore). Without a facts
    // table, or on a repository open for reading, writes do nothing and
    // reads find nothing.
    bool HasFacts();
    void RecordFacts(qint32 FileID, const QString& ShortcutPath);
    // The same with the facts of the shortcut's target already taken.
    void RecordFacts(qint32 FileID, const CFileFacts& Facts);
    void StoreFacts(qint32 FileID, const CFileFacts& Facts);
    void MarkMissing(qint32 FileID);
    // All files' facts when FileIDs is empty.
    QHash<qint32, CFileFacts> FactsOf(const QList<qint32>& FileIDs = {});
    // All files' facts, in the order of their IDs (for long lists).
    // sharedPath: where the documents' path strings may come from.
    CFactStore::FactList AllFacts(const CDatabase::SharedText& sharedPath = {});
    CFactStore::FactList FactListOf(const QList<qint32>& FileIDs,
                                    const CDatabase::SharedText& sharedPath = {});
    qint64 FactCount();
    // At least the number of registered files, read without counting them:
    // IDs are handed out in rising order, so gaps only make it larger.
    qint64 FileCountAtMost();
    // The open connection, for statements made elsewhere (queries).
    CDatabase& Connection();
    // Told how the upgrade of an older repository in Create advances.
    void setUpgradeProgress(const CFactStore::Progress& Progress);
    // Set before Create by a caller that only reads: no read of the whole
    // file for damage first.
    void setSkipWholeCheck(bool Skip);

    // One transaction around a bulk job (first-start walk, large drop).
    void BeginTransaction();
    void CommitTransaction();
    void RollbackTransaction();

private:
    qint32 m_classDebugID;
    std::unique_ptr<CFileDB> m_fileDB;
};

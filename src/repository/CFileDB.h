#pragma once

#include "CDatabase.h"
#include "CError.h"
#include "CFactStore.h"
#include "CRecordset.h"
#include "CStatementShape.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

// The repository engine: where the repository lives, its creation from the
// template on the first run, the open connection, statements by key.
class CFileDB {
public:
    CFileDB();
    ~CFileDB();

    CRecordset RunSQL(const QString& strSql);
    // RunSQL of the statement stored under Key.
    CRecordset RunQuery(const QString& Key);
    // RunSQL for a statement whose rows carry a file's ID and shortcut path
    // (fields 0 and 1): read without a recordset, for lists of any length.
    // shared: where the path strings may come from (see CDatabase::SharedText).
    QList<std::pair<qint32, QString>> RunFileList(const QString& strSql,
                                                  const CDatabase::SharedText& shared = {});
    qint32 AddItem(const QString& strSql);
    // The row's identity found by the select, or that of the row the insert adds.
    // added: set to whether the row was made here rather than found.
    qint32 UpdateItem(const QString& sqlSelect, const QString& sqlInsert, bool* added = nullptr);
    // The same for statements shaped once (a walk's), filled with value.
    qint32 UpdateItem(const CStatementShape& select, const CStatementShape& insert,
                      const QString& value, bool* added = nullptr);
    // Runs writes whose results nobody reads (links of many documents) and
    // keeps the bookkeeping once for all of them instead of once each.
    void RunSQLBatch(const QStringList& Statements);
    // One statement, its values written ?1, ?2 …, run for each list of
    // values in turn: translated and prepared once for all of them.
    void RunSQLBatch(const QString& Statement, const QList<QVariantList>& Values);
    qint32 MakeShortCut(const QString& FilePath);
    QString GetQuery(const QString& Key);
    void DelTag(qint32 FileID, qint32 TagID);
    void AddTag(qint32 FileID, qint32 TagID);
    // Opens the repository, making it from the template when there is none.
    // A file that is no repository, or a damaged one, is refused without a
    // byte written to it (CanSetAside tells such refusals); a repository that
    // cannot be written opens for reading, with ReadOnlyNotice saying why.
    void Create();
    // Moves a refused repository aside under a dated name in the same folder
    // and returns that name; the next Create starts a fresh repository.
    QString SetAside();
    static bool CanSetAside(const CError& refusal);
    bool IsReadOnly() const;
    QString ReadOnlyNotice() const;
    // Whether the repository file at its place is no longer the one open: its
    // folder was deleted, moved or replaced while the program runs. The open
    // file can still be read, but what is written to it would be lost, so
    // from the first such finding on the repository is read-only, with a
    // notice saying what happened and what to do. One stat per call.
    bool CheckGone();
    bool IsGone() const { return m_gone; }

    QString ShortcutFolder() const;
    QString INIFileName() const;
    bool IsFirstExecution() const;
    QString TemplatePath() const;

    void BeginTransaction();
    void CommitTransaction();
    void RollbackTransaction();

    // The stored facts of registered documents: null while the repository
    // has no facts table (one open for reading that was never upgraded).
    CFactStore* Facts();
    // The open connection, for statements made elsewhere (queries).
    CDatabase& Connection() { return m_connection; }
    // Told how an upgrade of the next Create advances.
    void setUpgradeProgress(const CFactStore::Progress& progress);
    // Set before Create by a caller that only reads: the file is not read
    // through for damage first (a tenth of a second at 100,000 documents);
    // damage met on the pages the caller reads still fails as damage.
    void setSkipWholeCheck(bool skip);

private:
    // The change flag as the last statement left it: kept here, and written
    // with the next commit of a change (or before a statement that may read
    // it, or when the connection closes), so that no statement pays a
    // write of its own for it.
    void KeepBookkeeping(bool changed);
    void WriteFlag(bool changed);
    void FlushFlag();
    void CloseConnection();
    // Work that writes, with its flag, in one transaction unless one is open.
    // The row the lookup finds, or the one add makes, in one transaction.
    template <typename LookUp, typename Add>
    qint32 LookUpOrAdd(LookUp&& lookUp, Add&& add, bool* added);
    template <typename Work> void InOwnTransaction(Work&& work);
    void UpgradeSchema();
    void CreateFromTemplate();
    void OpenForWriting();
    void AddMissingStatements();
    void OpenForReading(const QString& notice);
    QString FullNotice() const;
    QString ReadOnlyFileNotice() const;
    QString GoneNotice() const;
    void RememberIdentity();

    QString m_iniFileName;
    bool m_isFirstExecution = false;
    QString m_shortcutFolder;
    CDatabase m_connection;
    QString m_templatePath;
    QString m_readOnlyNotice;
    // Identity of the repository file as opened, for CheckGone.
    quint64 m_device = 0;
    quint64 m_inode = 0;
    bool m_gone = false;
    // Stored statements as read from this connection's repository: the
    // program never rewrites them while it runs, and reading the table again
    // for every statement cost a read transaction each.
    QHash<QString, QString> m_statements;
    // Rows of the settings the program only ever reads (written by the
    // template alone), kept for the same reason.
    QHash<QString, CRecordset> m_settled;
    CFactStore m_facts{m_connection};
    bool m_hasFacts = false;
    bool m_skipWholeCheck = false;
    // Opened after a whole check, or as a file no one wrote since one.
    bool m_knownSound = false;
    CFactStore::Progress m_upgradeProgress;
    std::optional<bool> m_flagStored; // as the connection sees the row now
    std::optional<bool> m_flagWanted; // as the last statement left it
    // Both as they were when the outermost transaction began, for its rollback.
    std::optional<bool> m_flagAtBegin;
    std::optional<bool> m_flagWantedAtBegin;
};

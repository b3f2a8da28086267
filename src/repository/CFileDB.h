#pragma once

#include "CDatabase.h"
#include "CError.h"
#include "CFactStore.h"
#include "CRecordset.h"

#include <QString>

// The repository engine: where the repository lives, its creation from the
// template on the first run, the open connection, statements by key.
class CFileDB {
public:
    CFileDB();
    ~CFileDB();

    CRecordset RunSQL(const QString& strSql);
    qint32 AddItem(const QString& strSql);
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
    // Told how an upgrade of the next Create advances.
    void setUpgradeProgress(const CFactStore::Progress& progress);

private:
    void UpgradeSchema();
    void CreateFromTemplate();
    void OpenForWriting();
    void OpenForReading(const QString& notice);
    QString FullNotice() const;
    QString ReadOnlyFileNotice() const;

    QString m_iniFileName;
    bool m_isFirstExecution = false;
    QString m_shortcutFolder;
    CDatabase m_connection;
    QString m_templatePath;
    QString m_readOnlyNotice;
    CFactStore m_facts{m_connection};
    bool m_hasFacts = false;
    CFactStore::Progress m_upgradeProgress;
};

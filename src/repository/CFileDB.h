#pragma once

#include "CDatabase.h"
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
    void Create();

    QString ShortcutFolder() const;
    QString INIFileName() const;
    bool IsFirstExecution() const;
    QString TemplatePath() const;

    void BeginTransaction();
    void CommitTransaction();
    void RollbackTransaction();

private:
    QString m_iniFileName;
    bool m_isFirstExecution = false;
    QString m_shortcutFolder;
    CDatabase m_connection;
    QString m_templatePath;
};

#pragma once

#include "CLeftOut.h"

#include <QObject>
#include <QString>
#include <memory>

class CDatabase;

// The documents the user opened most recently. The desktop records them in
// $XDG_DATA_HOME/recently-used.xbel; before each walk they are mirrored into
// the recent folder (FilePath) as one shortcut per document, dated by its last
// use. The walk reads that folder into recent.db (table tableRecent), sorts it
// newest first and reports the newest FileCount shortcuts whose documents
// still exist. Events arrive synchronously inside FindFile.
class CRecentFiles : public QObject {
    Q_OBJECT
public:
    // Opens (creating when missing) $XDG_CACHE_HOME/Vollo/recent.db; throws
    // CError when it cannot.
    explicit CRecentFiles(QObject* parent = nullptr);
    ~CRecentFiles() override;

    qint32 FileCount() const { return m_fileCount; }
    void setFileCount(qint32 value) { m_fileCount = value; }
    bool IncludeFolder() const { return m_includeFolder; }
    void setIncludeFolder(bool value) { m_includeFolder = value; }
    // The recent folder, with trailing separator.
    QString FilePath() const { return m_filePath; }

    // Database failures throw CError (OnFinish is then not raised).
    void FindFile();

    // The desktop's entries the last FindFile could not list, and why.
    const CLeftOut& LeftOut() const { return m_leftOut; }

    // The database file in use.
    QString DatabasePath() const { return m_databasePath; }

signals:
    void OnBegin();
    void OnFound(const QString& FileName);
    void OnFinish(qint32 FileCount);

private:
    qint32 m_fileCount = 15;
    bool m_includeFolder = false;
    QString m_filePath;
    QString m_databasePath;
    std::unique_ptr<CDatabase> m_connection;
    qint32 m_foundCount = 0;
    CLeftOut m_leftOut;
};

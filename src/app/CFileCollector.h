#pragma once

#include "CLeftOut.h"

#include <QHash>
#include <QString>
#include <QStringList>

class CVolloDB;
class QMimeData;

// Takes documents into the repository: one shortcut per document in the
// repository folder, one file row per shortcut, and the links of dropped
// files to the category they were dropped on.
//
// During a batch (BeginBatch ... EndBatch, e.g. the first-start walk) the
// stored statements and the collected extensions are read once instead of
// once per document; nothing else changes.
class CFileCollector {
public:
    explicit CFileCollector(CVolloDB& repository);

    // The file ID of a shortcut path, registering it first when unknown.
    qint32 RegisterFile(const QString& FileName);
    // Links a file to a category unless the link exists, the category is the
    // root (0) or the file is no registered file (an ID below 1).
    void LinkFileToTag(qint32 FileID, qint32 TagID);

    // The local files of a drop, in its order; folders and other URLs are
    // left out.
    static QStringList DroppedFiles(const QMimeData* Data);
    // Collects every file and links it to TagID. Errors stop at the failing
    // file; the files before it stay collected.
    void AddDroppedFiles(const QStringList& Files, qint32 TagID);

    // One document found by a walk: collected when its extension occurs in
    // the text of the collected extensions (letter case ignored). Returns
    // whether it was collected; a document whose shortcut cannot be made is
    // added to LeftOut instead of stopping the walk.
    bool CollectFound(const QString& FileName);
    // An entry the walk could not take: kept in LeftOut when it is a folder
    // or a document of a collected type.
    void LeftOutFound(const QString& FilePath, const QString& Reason);
    // What the collecting since the last Clear could not take.
    CLeftOut& LeftOut() { return m_leftOut; }
    // A shortcut of the recent folder: copied into the repository folder
    // (once) and registered. Returns the file ID.
    qint32 CollectRecent(const QString& FileName);

    void BeginBatch();
    void EndBatch();

private:
    QString Query(const QString& Key);
    bool IsCollectedExtension(const QString& ext);

    CVolloDB& m_repository;
    bool m_batch = false;
    QHash<QString, QString> m_queries;
    bool m_haveExtensions = false;
    QStringList m_extensionTexts;          // column 0 of every getFileExt row, lower case
    QHash<QString, bool> m_extensionCache; // lower-case extension -> collected
    CLeftOut m_leftOut;
};

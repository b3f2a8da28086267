#pragma once

#include "CFileFacts.h"
#include "CLeftOut.h"
#include "CShortcutsAhead.h"
#include "CStatementShape.h"

#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>

struct stat;

class CTagImport;
class CTagMirror;
class CVolloDB;
class QMimeData;
class QUrl;

// Takes documents into the repository: one shortcut per document in the
// repository folder, one file row per shortcut, and the links of dropped
// files to the category they were dropped on.
//
// During a batch (BeginBatch ... EndBatch, e.g. the first-start walk) the
// stored statements and the collected extensions are read once instead of
// once per document; nothing else changes.
class CFileCollector {
    Q_DECLARE_TR_FUNCTIONS(CFileCollector)
public:
    explicit CFileCollector(CVolloDB& repository);

    // The file ID of a shortcut path, registering it first when unknown.
    qint32 RegisterFile(const QString& FileName);
    // The same for a shortcut just made to a document whose facts the caller
    // took (the document's path is the shortcut's target): nothing is read again.
    qint32 RegisterFile(const QString& FileName, const CFileFacts& Document);
    // Links a file to a category unless the link exists, the category is the
    // root (0) or the file is no registered file (an ID below 1).
    void LinkFileToTag(qint32 FileID, qint32 TagID);

    // The local files of a drop, in its order. Dropped folders go to Folders;
    // what cannot be collected (a web link, another computer's file, a file
    // that cannot be read) goes to LeftOut with its reason.
    static QStringList DroppedFiles(const QMimeData* Data, QStringList* Folders = nullptr,
                                    CLeftOut* LeftOut = nullptr);
    // Why a dropped URL cannot be collected; empty when it can.
    static QString DropRefusal(const QUrl& Url);
    // The same for a local path, with what lstat found of it (set when the
    // answer is no refusal).
    static QString DropRefusal(const QString& Path, struct stat* Found);
    // Why the file at Path, links followed, is no document (a FIFO, a
    // device, a socket, a folder, a link to nothing or to itself); empty
    // when it is a regular file.
    static QString NotDocumentReason(const QString& Path);
    // The same, with the facts of a regular file given to Facts. Seen is an
    // lstat of Path made already, if any: a regular file that is no link
    // needs no second look.
    static QString NotDocumentReason(const QString& Path, CFileFacts* Facts,
                                     const struct stat* Seen = nullptr);
    // Collects every file and links it to TagID. A file whose shortcut cannot
    // be made goes to LeftOut; the others are still collected. Repository
    // errors reach the caller.
    void AddDroppedFiles(const QStringList& Files, qint32 TagID);
    // One named file, as a drop takes it: its file ID, or 0 when it cannot
    // be collected (it is then in LeftOut with the reason).
    qint32 CollectFile(const QString& File);

    // One document found by a walk: collected when its extension occurs in
    // the text of the collected extensions (letter case ignored). Returns
    // whether it was collected; a document whose shortcut cannot be made is
    // added to LeftOut instead of stopping the walk.
    // A TagID above 0 links the document to that category too. Found is what
    // the walk read of the entry without following a link, when it has it.
    bool CollectFound(const QString& FileName, qint32 TagID = 0,
                      const struct stat* Found = nullptr);
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

    // Within a batch: from here CollectFound hands each document's shortcut
    // to a thread of its own and registers, in the order found, what that
    // thread has made so far. The batch's end drops what was not settled.
    void BeginAhead();
    // Registers every document handed on: a cancelled walk keeps what it
    // found, as it does without a thread.
    void SettleAhead();
    // Documents CollectFound registered since the collector was made.
    qint64 Collected() const { return m_collected; }

    // Told the documents linked here (at the end of a batch); the import
    // reads the desktop tags of every document registered.
    void setTagMirror(CTagMirror* Mirror) { m_mirror = Mirror; }
    void setTagImport(CTagImport* Import) { m_import = Import; }

private:
    QString Query(const QString& Key);
    // Why File cannot be collected as a drop takes it; empty when it can,
    // with its facts in Document.
    static QString Refusal(const QString& File, CFileFacts* Document);
    bool IsCollectedExtension(const QString& ext);

    CVolloDB& m_repository;
    bool m_batch = false;
    QHash<QString, QString> m_queries;
    CStatementShape m_selectShape; // during a batch: the lookup of a path
    CStatementShape m_insertShape; // and its new row, for today
    bool m_haveExtensions = false;
    QString m_today;                       // the day's literal for new rows
    qint64 m_todaySince = 0;               // when it was taken (seconds since the epoch)
    QStringList m_extensionTexts;          // column 0 of every getFileExt row, lower case
    QHash<QString, bool> m_extensionCache; // lower-case extension -> collected
    // The file row of a shortcut path, added when missing; nothing else.
    qint32 AddFileRow(const QString& FileName, bool* added = nullptr);
    CLeftOut m_leftOut;
    CTagMirror* m_mirror = nullptr;
    CTagImport* m_import = nullptr;
    QList<qint32> m_linked; // during a batch, for the mirror

    // A document found while shortcuts are made ahead, or what was left out
    // between such documents (Refusal set), in the order found.
    struct Pending {
        QString path;
        CFileFacts document;
        qint32 tag = 0;
        QString refusal;
    };
    // A document whose shortcut the thread is to make (there must be one).
    void HandOn(const QString& Path, CFileFacts&& Document, qint32 TagID);
    void LeaveOut(const QString& Path, const QString& Reason);
    // Registers what was made, waiting until at most Unmade are still to be made.
    void TakeAhead(qsizetype Unmade);
    // RegisterFile, with the document's tags when the thread read them.
    qint32 RegisterDocument(const QString& FileName, const CFileFacts& Document,
                            const CShortcutsAhead::Made* Made);
    std::unique_ptr<CShortcutsAhead> m_ahead;
    std::deque<Pending> m_pending;
    qint64 m_collected = 0;
};

#pragma once

#include "CMoveMatcher.h"
#include "CMoveRepair.h"
#include "CMoveSearch.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class CMoveWatcher;
class QWidget;

// Keeps the shortcuts pointing at documents that move. While the program
// runs it watches the folders of the registered documents and re-points a
// shortcut as soon as its document is renamed or moved between them; at
// start and on command it looks for the documents that went missing while it
// was not watching, and relinks those it can tell for certain.
class CMoveFollower : public QObject {
    Q_OBJECT
public:
    using Document = CMoveRepair::Document;
    struct Relinked {
        QString Shortcut;
        QString OldPath;
        QString NewPath;
    };

    explicit CMoveFollower(QWidget* owner);
    ~CMoveFollower() override;

    // The documents to follow, all at once (the folders of new ones are
    // watched; watches of documents gone stay until the next start).
    void setDocuments(QList<Document> documents);
    void Follow(const Document& document);
    const QList<Document>& Documents() const { return m_documents; }
    CMoveWatcher* Watcher() const { return m_watcher; }
    void setFingerprinter(CMoveSearch::Fingerprinter f) { m_fingerprint = std::move(f); }

    // Looks for the missing documents in one walk, with the progress window
    // and its Cancel; asks the user where the facts allow more than one
    // file; relinks and reports in one message. Quiet leaves out the
    // messages for "nothing missing" and "nothing found" and passes over
    // documents known to be missing (the start).
    // Returns what was relinked.
    QList<Relinked> Repair(bool Quiet);

    // "N 件の文書をつなぎ直しました。" and the first few old -> new paths.
    static QString Report(const QList<Relinked>& relinked, qint32 Shown = 5);

signals:
    void OnRelinked(qint32 FileID, const QString& Shortcut, const QString& OldPath,
                    const QString& NewPath);
    // A missing document the search could not find.
    void OnStillMissing(qint32 FileID);
    // A followed document deleted, or moved where no watch sees it, while
    // the program runs.
    void OnGone(qint32 FileID);
    // Moves were lost while the program ran (the system's event queue
    // overflowed) and the burst is over: the owner should run the repair.
    void OnMovesLost();

private slots:
    void Watcher_OnMoved(const QString& From, const QString& To, bool IsFolder);
    void Watcher_OnWatchLimit();
    void Watcher_OnGone(const QString& Path, bool IsFolder);

private:
    bool Relink(qsizetype index, const QString& newPath);
    QList<Relinked> FollowSwaps(const QList<qsizetype>& displaced);
    QList<CMoveMatcher::Outcome> Search(CMoveRepair& repair, const QList<qsizetype>& missing);
    void WatchAround(const QString& path);
    void Tell(const QString& name, const QString& text);

    QPointer<QWidget> m_owner;
    CMoveWatcher* m_watcher = nullptr;
    CMoveSearch::Fingerprinter m_fingerprint;
    QList<Document> m_documents;
    // Document path -> index in m_documents, made on first use.
    QHash<QString, qsizetype>& ByPath();
    QHash<QString, qsizetype> m_byPath;
    bool m_byPathMade = false;
    struct Earlier {
        QString path;  // before the last re-pointing
        qint64 at = 0; // when that was, ms since the epoch
    };
    QHash<qsizetype, Earlier> m_earlier;
    QTimer* m_lost = nullptr; // restarted by each overflow of a burst
    bool m_repairing = false;
};

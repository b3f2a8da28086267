#pragma once

#include "CFactStore.h"
#include "CFileFacts.h"
#include "CMoveMatcher.h"
#include "CMoveSearch.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <optional>

class CVolloDB;

// Finding where registered documents went while nobody watched, without any
// window: which documents are missing or hold another file under their
// path, the certain answers for documents that traded names, and one walk
// of the likely folders deciding each missing one. The window adds its
// progress and questions; the command line prints. Both re-point a shortcut
// with CShortcutRelinker and then store the document's new facts here.
class CMoveRepair : public QObject {
    Q_OBJECT
public:
    // A registered document: its shortcut and the facts stored for it (Path
    // is where the document was last seen).
    struct Document {
        qint32 FileID = 0;
        QString Shortcut;
        CMoveMatcher::Facts Stored;
        // Already known to be missing: searched for only on command, so a
        // document deleted for good does not cost a walk at every start.
        bool KnownMissing = false;
    };
    // A document (index into the documents) and the one path it is now at.
    using Move = QPair<qsizetype, QString>;

    explicit CMoveRepair(QObject* parent = nullptr);

    void setFingerprinter(CMoveSearch::Fingerprinter f);

    // The registered documents that have stored facts.
    static QList<Document> Registered(CVolloDB& repository);
    // The same from every registered file (ID and shortcut) and every file's
    // facts in the order of their IDs, as read already.
    static QList<Document> Registered(QList<std::pair<qint32, QString>> files,
                                      const CFactStore::FactList& facts);
    // Sorts Documents into those gone from their path and those whose path
    // holds another file now. SkipKnownMissing passes over the documents
    // already known to be missing.
    static void Sort(const QList<Document>& Documents, bool SkipKnownMissing,
                     QList<qsizetype>* Missing, QList<qsizetype>* Displaced);
    // Documents renamed in turn (each holding the other's path): the certain
    // moves among Displaced.
    QList<Move> FollowSwaps(const QList<Document>& Documents,
                            const QList<qsizetype>& Displaced) const;
    // One walk for the documents of Missing; an outcome per document, its
    // Missing field an index into Missing. Nothing when cancelled: a cut-short
    // walk may have missed the second copy that makes a match ambiguous.
    QList<CMoveMatcher::Outcome> Search(const QList<Document>& Documents,
                                        const QList<qsizetype>& Missing);
    bool IsCanceled() const { return m_canceled; }
    // Files looked at so far by the walk.
    qint64 FileCount() const { return m_search.FileCount(); }

    // The document FileID was re-pointed at NewPath: its new facts are
    // stored and returned.
    static CFileFacts StoreRelinked(CVolloDB& repository, qint32 FileID, const QString& NewPath);
    // Whether anything (a dangling link too) is at path.
    static bool Exists(const QString& path);

public slots:
    void Cancel() { m_search.Cancel(); }

signals:
    // The walk enters a folder, for progress display.
    void OnFolder(const QString& folder);

private:
    CMoveSearch::Fingerprinter Fingerprinter() const;

    CMoveSearch m_search;
    CMoveSearch::Fingerprinter m_fingerprint;
    bool m_canceled = false;
};

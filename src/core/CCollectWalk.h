#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class CBatchTransaction;
class CFileCollector;
class CPathFinder;
class CVolloDB;

// Collects the documents of a folder tree: walks it with the path finder,
// takes every document it reports and commits in batches. What the walk
// cannot take is kept in the collector's LeftOut for the caller to tell once
// the walk is over. The finder's OnFound reaches Found through the owner of
// the finder; progress is told by signals, for a window or a terminal.
class CCollectWalk : public QObject {
    Q_OBJECT
public:
    CCollectWalk(CVolloDB& repository, CPathFinder& Finder, CFileCollector& Collector);

    // Walks folder and collects what it finds, linked to TagID when above 0;
    // returns false when the walk was cancelled. Errors reach the caller; the
    // batches committed before stay.
    bool Run(const QString& folder, qint32 TagID = 0);
    // Collects a drop in one transaction: its files linked to TagID, then
    // its folders walked. The transaction commits also when a file fails, so
    // the files before it stay; Cancel stops the whole drop.
    void CollectDrop(const QStringList& Files, const QStringList& Folders, qint32 TagID);
    // A document the finder reported during Run. Not guarded: an error ends
    // the walk, and the walk's caller reports it.
    void Found(const QString& FileName);

    // Documents collected by the last walk.
    qint64 Count() const { return m_count; }

public slots:
    // Stops the running walk after the entry at hand.
    void Cancel();

signals:
    void OnBegin();
    void OnFolder(const QString& Folder);
    void OnCount(qint64 Count);
    void OnEnd();

private:
    CVolloDB& m_repository;
    CPathFinder& m_finder;
    CFileCollector& m_collector;
    CBatchTransaction* m_batch = nullptr;
    qint64 m_count = 0;
    qint64 m_countFrom = 0; // the collector's count when the walk began
    qint32 m_tag = 0;       // category the running walk links its documents to
    bool m_canceled = false;
};

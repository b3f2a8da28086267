#include "CDocumentWalk.h"

#include "CBatchTransaction.h"
#include "CBusyIndicator.h"
#include "CFileCollector.h"
#include "CPathFinder.h"
#include "CTransactionScope.h"
#include "CWalkProgress.h"

#include <QScopeGuard>
#include <QWidget>

CDocumentWalk::CDocumentWalk(CVolloDB& repository, CPathFinder& Finder, CFileCollector& Collector,
                             QWidget* owner)
    : m_repository(repository), m_finder(Finder), m_collector(Collector), m_owner(owner) {}

bool CDocumentWalk::Run(const QString& folder, qint32 TagID) {
    CBusyIndicator busy;
    // Committed in batches: an interrupted walk loses one batch at most, and
    // a small disk keeps what fitted.
    CBatchTransaction transaction(m_repository);
    CWalkProgress progress(m_owner);
    m_progress = &progress;
    m_count = 0;
    m_batch = &transaction;
    m_tag = TagID;
    const QMetaObject::Connection onFolder =
        connect(&m_finder, &CPathFinder::OnFolder, &progress, [&progress](const QString& f) {
            progress.setFolder(f);
            progress.Pump();
        });
    // What the walk cannot take is told once it is over, never per entry.
    const QMetaObject::Connection onLeftOut =
        connect(&m_finder, &CPathFinder::OnLeftOut, this,
                [this](const QString& path, const QString& reason) {
                    m_collector.LeftOutFound(path, reason);
                });
    connect(&progress, &CWalkProgress::OnCancel, &m_finder, &CPathFinder::Cancel);
    bool canceled = false;
    connect(&progress, &CWalkProgress::OnCancel, &progress, [&canceled] { canceled = true; });
    m_collector.BeginBatch();
    const auto batchEnd = qScopeGuard([this] { m_collector.EndBatch(); });
    {
        progress.Begin();
        const auto walkEnd = qScopeGuard([&] {
            progress.End();
            disconnect(onFolder);
            disconnect(onLeftOut);
            m_progress = nullptr;
            m_batch = nullptr;
        });
        m_finder.FindFile(folder);
    }
    transaction.Commit();
    return !canceled;
}

void CDocumentWalk::CollectDrop(const QStringList& Files, const QStringList& Folders,
                                qint32 TagID) {
    CBusyIndicator busy;
    CTransactionScope transaction(m_repository);
    m_collector.AddDroppedFiles(Files, TagID);
    for (const QString& folder : Folders) {
        if (!Run(folder, TagID))
            break; // what was taken stays
    }
    transaction.Commit();
}

void CDocumentWalk::Found(const QString& FileName) {
    if (m_collector.CollectFound(FileName, m_tag))
        ++m_count;
    if (m_batch)
        m_batch->Step();
    if (m_progress) {
        m_progress->setCount(m_count);
        m_progress->Pump();
    }
}

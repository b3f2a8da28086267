#include "CCollectWalk.h"

#include "CBatchTransaction.h"
#include "CBusyIndicator.h"
#include "CFileCollector.h"
#include "CPathFinder.h"
#include "CTransactionScope.h"

#include <QScopeGuard>

namespace {

constexpr int kWalkBatch = 20000;
constexpr int kWalkBatchMs = 5000;

} // namespace

CCollectWalk::CCollectWalk(CVolloDB& repository, CPathFinder& Finder, CFileCollector& Collector)
    : m_repository(repository), m_finder(Finder), m_collector(Collector) {}

void CCollectWalk::Cancel() {
    m_canceled = true;
    m_finder.Cancel();
}

bool CCollectWalk::Run(const QString& folder, qint32 TagID) {
    CBusyIndicator busy;
    // Committed in batches: an interrupted walk loses one batch at most, and
    // a small disk keeps what fitted. Each commit writes the pages of the
    // files' indexes again, which registrations in the order of a walk touch
    // all over; batches are counted in files rather than seconds, so that a
    // slow disk does not also get more commits to write.
    CBatchTransaction transaction(m_repository, kWalkBatch, kWalkBatchMs);
    m_count = 0;
    m_batch = &transaction;
    m_tag = TagID;
    m_canceled = false;
    const QMetaObject::Connection onFolder =
        connect(&m_finder, &CPathFinder::OnFolder, this, &CCollectWalk::OnFolder);
    // What the walk cannot take is told once it is over, never per entry.
    const QMetaObject::Connection onLeftOut =
        connect(&m_finder, &CPathFinder::OnLeftOut, this,
                [this](const QString& path, const QString& reason) {
                    m_collector.LeftOutFound(path, reason);
                });
    m_collector.BeginBatch();
    const auto batchEnd = qScopeGuard([this] { m_collector.EndBatch(); });
    // The shortcuts are made on a second thread while this one walks and
    // registers: on a slow disk making them is most of the time.
    m_collector.BeginAhead();
    m_countFrom = m_collector.Collected();
    {
        emit OnBegin();
        const auto walkEnd = qScopeGuard([&] {
            emit OnEnd();
            disconnect(onFolder);
            disconnect(onLeftOut);
            m_batch = nullptr;
        });
        m_finder.FindFile(folder);
        m_collector.SettleAhead();
        m_count = m_collector.Collected() - m_countFrom;
        emit OnCount(m_count);
    }
    transaction.Commit();
    return !m_canceled;
}

void CCollectWalk::CollectDrop(const QStringList& Files, const QStringList& Folders, qint32 TagID) {
    CBusyIndicator busy;
    CTransactionScope transaction(m_repository);
    m_collector.AddDroppedFiles(Files, TagID);
    for (const QString& folder : Folders) {
        if (!Run(folder, TagID))
            break; // what was taken stays
    }
    transaction.Commit();
}

void CCollectWalk::Found(const QString& FileName) {
    m_collector.CollectFound(FileName, m_tag, m_finder.FoundStat());
    m_count = m_collector.Collected() - m_countFrom;
    if (m_batch)
        m_batch->Step();
    emit OnCount(m_count);
}

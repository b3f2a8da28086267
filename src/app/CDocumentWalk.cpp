#include "CDocumentWalk.h"

#include <QWidget>

CDocumentWalk::CDocumentWalk(CVolloDB& repository, CPathFinder& Finder, CFileCollector& Collector,
                             QWidget* owner)
    : m_walk(repository, Finder, Collector), m_owner(owner) {
    connect(&m_walk, &CCollectWalk::OnBegin, this, &CDocumentWalk::Walk_OnBegin);
    connect(&m_walk, &CCollectWalk::OnEnd, this, &CDocumentWalk::Walk_OnEnd);
    connect(&m_walk, &CCollectWalk::OnFolder, this, [this](const QString& folder) {
        if (m_progress) {
            m_progress->setFolder(folder);
            m_progress->Pump();
        }
    });
    connect(&m_walk, &CCollectWalk::OnCount, this, [this](qint64 count) {
        if (m_progress) {
            m_progress->setCount(count);
            m_progress->Pump();
        }
    });
}

CDocumentWalk::~CDocumentWalk() = default;

void CDocumentWalk::Walk_OnBegin() {
    m_progress = std::make_unique<CWalkProgress>(m_owner);
    connect(m_progress.get(), &CWalkProgress::OnCancel, &m_walk, &CCollectWalk::Cancel);
    m_progress->Begin();
}

void CDocumentWalk::Walk_OnEnd() {
    if (!m_progress)
        return;
    m_progress->End();
    m_progress.reset();
}

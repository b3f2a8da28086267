#include "CBatchTransaction.h"

#include "CError.h"
#include "CVolloDB.h"

#include <QtGlobal>

CBatchTransaction::CBatchTransaction(CVolloDB& repository, int count, int intervalMs)
    : m_repository(repository), m_count(count), m_intervalMs(intervalMs) {
    m_repository.BeginTransaction();
    m_active = true;
    m_clock.start();
}

CBatchTransaction::~CBatchTransaction() {
    if (!m_active)
        return;
    try {
        Commit();
    } catch (const CError& e) {
        qWarning("Vollo: a batch of collected documents could not be committed: %s",
                 qUtf8Printable(e.Text()));
    }
}

bool CBatchTransaction::Step() {
    ++m_done;
    if (!m_active || (m_done - m_committed < m_count && !m_clock.hasExpired(m_intervalMs)))
        return false;
    Commit();
    m_repository.BeginTransaction();
    m_active = true;
    m_clock.restart();
    return true;
}

void CBatchTransaction::Commit() {
    if (!m_active)
        return;
    m_active = false;
    try {
        m_repository.CommitTransaction();
    } catch (const CError&) {
        // A commit that failed (a full disk) may leave its transaction open:
        // it is given up, so no later statement lands in it unawares.
        try {
            m_repository.RollbackTransaction();
        } catch (const CError&) {
        }
        throw;
    }
    m_committed = m_done;
}

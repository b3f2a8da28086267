#pragma once

#include <QElapsedTimer>

class CVolloDB;

// A long job (a walk, a large drop) committed in batches: every `count`
// items or every `intervalMs` milliseconds, whichever comes first. An
// interruption loses at most one batch, and a disk that fills up keeps what
// fitted before. The destructor commits the open batch, also while an error
// unwinds the job; its own failure is then only logged.
class CBatchTransaction {
public:
    explicit CBatchTransaction(CVolloDB& repository, int count = 2000, int intervalMs = 1000);
    ~CBatchTransaction();
    CBatchTransaction(const CBatchTransaction&) = delete;
    CBatchTransaction& operator=(const CBatchTransaction&) = delete;

    // Counts one item done; commits and opens the next batch when this one
    // is full. Returns whether it committed. Errors reach the caller.
    bool Step();
    // Commits the open batch and ends; errors reach the caller.
    void Commit();
    // Items committed so far.
    qint64 Committed() const { return m_committed; }

private:
    CVolloDB& m_repository;
    int m_count;
    int m_intervalMs;
    bool m_active = false;
    qint64 m_done = 0;
    qint64 m_committed = 0;
    QElapsedTimer m_clock;
};

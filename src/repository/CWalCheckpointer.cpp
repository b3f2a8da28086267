#include "CWalCheckpointer.h"

#include <sqlite3.h>
#include <utility>

CWalCheckpointer::CWalCheckpointer(QByteArray path)
    : m_path(std::move(path)), m_thread([this] { Run(); }) {}

CWalCheckpointer::~CWalCheckpointer() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void CWalCheckpointer::Request() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_requested = true;
    }
    m_wake.notify_one();
}

void CWalCheckpointer::CheckpointHere(sqlite3* db, const char* name) {
    const std::lock_guard<std::mutex> running(m_checkpointing);
    sqlite3_wal_checkpoint_v2(db, name, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
}

void CWalCheckpointer::Run() {
    sqlite3* db = nullptr;
    // Never creates the file: the writer's connection made it already, and a
    // file that has gone since is not to be brought back.
    if (sqlite3_open_v2(m_path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK ||
        // Until a statement has read the file, the connection does not know
        // the file keeps a journal, and a checkpoint does nothing.
        sqlite3_exec(db, "PRAGMA schema_version", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        db = nullptr;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_requested || m_stopping; });
        if (m_stopping)
            break;
        m_requested = false;
        lock.unlock();
        // A failure (busy with another checkpoint, a full disk) leaves the
        // pages in the journal, where they stay valid; the writer's own
        // checkpoint at the larger threshold catches up.
        if (db) {
            const std::lock_guard<std::mutex> running(m_checkpointing);
            sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        }
        lock.lock();
    }
    lock.unlock();
    sqlite3_close_v2(db);
}

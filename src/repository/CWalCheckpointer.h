#pragma once

#include <QByteArray>
#include <condition_variable>
#include <mutex>
#include <thread>

struct sqlite3;

// Copies the journal's pages into a repository file on a thread and a
// connection of its own. A checkpoint ends in two disk syncs; made by the
// writing connection after its commit, they would stall every registration
// that happened to cross the threshold. Passive only: it never waits for or
// blocks the writer or a reader.
class CWalCheckpointer {
public:
    explicit CWalCheckpointer(QByteArray path);
    // Waits for a checkpoint under way, then closes the connection.
    ~CWalCheckpointer();
    CWalCheckpointer(const CWalCheckpointer&) = delete;
    CWalCheckpointer& operator=(const CWalCheckpointer&) = delete;

    // Asks for one more checkpoint and returns at once; requests made while
    // one runs fold into the next.
    void Request();
    // Checkpoints on the caller's connection once a checkpoint of the
    // thread's is over. A writer uses it when the journal has grown past
    // its bound: its own attempt made beside the thread's would be turned
    // away as busy, and the journal would grow on.
    void CheckpointHere(sqlite3* db, const char* name);

private:
    void Run();

    const QByteArray m_path;
    std::mutex m_mutex;
    // Held while a checkpoint runs, by the thread or by a caller.
    std::mutex m_checkpointing;
    std::condition_variable m_wake;
    bool m_requested = false;
    bool m_stopping = false;
    std::thread m_thread;
};

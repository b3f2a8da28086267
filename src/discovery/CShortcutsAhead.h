#pragma once

#include "CError.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Makes shortcuts on a thread of its own while its caller goes on walking and
// registering. Making the link is most of what a document costs on a slow
// disk, and the repository's work can go on beside it. Shortcuts come back in
// the order their documents were handed in, so numbered names ("a#1.txt.lnk")
// fall as they would one by one.
class CShortcutsAhead {
public:
    struct Made {
        QString shortcut;            // empty when none was made
        std::optional<CError> error; // and why
        // The document's desktop tags, when they were asked for: what
        // CXdgTags::Read returned and the value it read.
        int tagsRead = -1;
        QByteArray tags;
    };

    // ReadTags also reads each document's desktop tags beside its shortcut.
    CShortcutsAhead(const QString& Folder, bool ReadTags);
    // Makes no more and waits for the thread; what was not taken is lost
    // (its shortcuts stay in the folder for the next start's check).
    ~CShortcutsAhead();
    CShortcutsAhead(const CShortcutsAhead&) = delete;
    CShortcutsAhead& operator=(const CShortcutsAhead&) = delete;

    void Add(const QString& Document);
    // What was made since the last call, in the order handed in. Waits until
    // at most Unmade documents handed in are still to be made.
    std::vector<Made> Take(qsizetype Unmade);

private:
    void Hand();
    void Work();

    const QString m_folder;
    const bool m_readTags;
    std::vector<QString> m_gathered; // the caller's, not yet handed over

    std::mutex m_mutex;
    std::condition_variable m_wake;  // the worker: documents to make, or the end
    std::condition_variable m_ready; // the caller: something made
    std::deque<QString> m_waiting;
    std::vector<Made> m_made;
    qsizetype m_unmade = 0; // handed over and not yet in m_made
    // Set once, by the destructor: the thread makes no more and ends. Read
    // without the lock between documents too.
    std::atomic_bool m_end = false;
    std::thread m_thread; // last: it starts once everything above is made
};

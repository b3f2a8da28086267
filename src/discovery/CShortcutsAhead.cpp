#include "CShortcutsAhead.h"

#include "CXdgTags.h"
#include "SM_Shortcut.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <utility>

namespace {

// Handed over in groups: a lock per document would cost the walk more than
// the worker saves it on a fast disk.
constexpr size_t kHandEvery = 64;

} // namespace

CShortcutsAhead::CShortcutsAhead(const QString& Folder, bool ReadTags)
    : m_folder(Folder), m_readTags(ReadTags), m_thread([this] { Work(); }) {}

CShortcutsAhead::~CShortcutsAhead() {
    {
        const std::lock_guard lock(m_mutex);
        m_end = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void CShortcutsAhead::Add(const QString& Document) {
    m_gathered.push_back(Document);
    if (m_gathered.size() >= kHandEvery)
        Hand();
}

void CShortcutsAhead::Hand() {
    if (m_gathered.empty())
        return;
    {
        const std::lock_guard lock(m_mutex);
        for (QString& document : m_gathered)
            m_waiting.push_back(std::move(document));
        m_unmade += qsizetype(m_gathered.size());
    }
    m_gathered.clear();
    m_wake.notify_all();
}

std::vector<CShortcutsAhead::Made> CShortcutsAhead::Take(qsizetype Unmade) {
    if (qsizetype(m_gathered.size()) > Unmade)
        Hand();
    std::unique_lock lock(m_mutex);
    m_ready.wait(lock, [&] { return m_unmade <= Unmade; });
    return std::exchange(m_made, {});
}

void CShortcutsAhead::Work() {
    std::vector<QString> batch;
    std::vector<Made> made;
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return !m_waiting.empty() || m_end; });
            if (m_waiting.empty())
                return;
            const size_t count = std::min(m_waiting.size(), kHandEvery);
            batch.assign(std::make_move_iterator(m_waiting.begin()),
                         std::make_move_iterator(m_waiting.begin() + qsizetype(count)));
            m_waiting.erase(m_waiting.begin(), m_waiting.begin() + qsizetype(count));
        }
        made.resize(batch.size());
        for (size_t i = 0; i < batch.size(); ++i) {
            Made& one = made[i];
            one = Made();
            if (m_end)
                continue;
            try {
                one.shortcut = SM_Shortcut::MakeShortcutFile(m_folder, batch[i]);
            } catch (const CError& e) {
                one.error = e;
                continue;
            } catch (const std::exception& e) {
                // Nothing may leave the thread: the caller waits for every answer.
                one.error = CError(0, QString::fromLocal8Bit(e.what()));
                continue;
            }
            if (m_readTags)
                one.tagsRead = CXdgTags::Read(batch[i], &one.tags);
        }
        {
            const std::lock_guard lock(m_mutex);
            for (Made& one : made)
                m_made.push_back(std::move(one));
            m_unmade -= qsizetype(made.size());
        }
        m_ready.notify_all();
    }
}

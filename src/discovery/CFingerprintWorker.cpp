#include "CFingerprintWorker.h"

#include "CDatabase.h"
#include "CError.h"
#include "CFactStore.h"

#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Documents per transaction: few enough that the collecting, which shares
// the write lock, never waits long; many enough that the commits cost little.
constexpr int kBatch = 256;
// How long a batch that found the repository busy waits before it tries again.
constexpr unsigned long kBusyWaitMsecs = 250;

// Niceness and I/O class of the calling thread alone: the window and the
// collecting come first.
void LowerPriority() {
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    setpriority(PRIO_PROCESS, tid, 19);
    constexpr int kClassShift = 13;
    constexpr int kBestEffort = 2;
    constexpr int kLowest = 7;
    constexpr int kWhoProcess = 1;
    syscall(SYS_ioprio_set, kWhoProcess, static_cast<int>(tid),
            (kBestEffort << kClassShift) | kLowest);
}

bool IsBusy(const CError& e) {
    const int primary = e.Code() & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

} // namespace

CFingerprintWorker::CFingerprintWorker(QObject* parent) : QObject(parent) {}

CFingerprintWorker::~CFingerprintWorker() {
    Stop();
}

qsizetype CFingerprintWorker::RunBatch(CFactStore& store, qint32* afterID, int batch) {
    const CFactStore::FactList todo = store.Unprinted(*afterID, batch);
    if (todo.isEmpty())
        return 0;
    *afterID = todo.constLast().first;
    CFactStore::FactList printed;
    printed.reserve(todo.size());
    for (const auto& [fileID, stored] : todo) {
        const CFileFacts fresh = CFileFacts::Read(stored.path);
        // A document changed since it was registered is left to the list's
        // own check, which stores all its facts anew.
        if (!fresh.missing && fresh.fingerprint != 0 && fresh.SameFile(stored))
            printed.emplaceBack(fileID, CFileFacts(stored)).second.fingerprint = fresh.fingerprint;
    }
    store.StoreFingerprints(printed);
    return todo.size();
}

void CFingerprintWorker::Work(const QString& repositoryFile) {
    const std::shared_ptr<Flags> flags = m_flags;
    LowerPriority();
    CDatabase connection;
    try {
        connection.Open(repositoryFile);
        CFactStore store(connection);
        do {
            const qint64 total = store.UnprintedCount();
            qint64 done = 0;
            qint32 after = 0;
            while (!flags->cancel) {
                qint32 next = after;
                qsizetype looked = 0;
                try {
                    looked = RunBatch(store, &next, kBatch);
                } catch (const CError& e) {
                    if (!IsBusy(e))
                        throw;
                    QThread::msleep(kBusyWaitMsecs);
                    continue;
                }
                if (looked == 0)
                    break;
                after = next;
                done += looked;
                emit OnProgress(qMin(done, total), total);
            }
        } while (TakeAgain(*flags));
    } catch (const CError& e) {
        // The fingerprints only help to find moved documents: the rows stay
        // on the to-do list for the next start.
        qWarning("Vollo: fingerprints left for later: %s", qUtf8Printable(e.Text()));
        const std::lock_guard<std::mutex> guard(flags->lock);
        flags->ended = true;
    }
    emit OnFinished();
}

bool CFingerprintWorker::TakeAgain(Flags& flags) {
    const std::lock_guard<std::mutex> guard(flags.lock);
    if (flags.again && !flags.cancel) {
        flags.again = false;
        return true;
    }
    flags.ended = true;
    return false;
}

void CFingerprintWorker::Start(const QString& repositoryFile) {
    if (m_flags && !m_flags->cancel) {
        const std::lock_guard<std::mutex> guard(m_flags->lock);
        if (!m_flags->ended) {
            m_flags->again = true;
            return;
        }
    }
    Stop();
    m_flags = std::make_shared<Flags>();
    m_thread = QThread::create([this, repositoryFile] { Work(repositoryFile); });
    m_thread->start();
}

void CFingerprintWorker::Stop() {
    if (m_flags)
        m_flags->cancel = true;
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
}

bool CFingerprintWorker::IsRunning() const {
    return m_thread && m_thread->isRunning();
}

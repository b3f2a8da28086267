#include "CFactChecker.h"

#include "BM_Library.h"
#include "CError.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>

namespace {

// Rows per batch, and the longest a batch waits before it goes.
constexpr qsizetype kBatchRows = 512;
constexpr qint64 kBatchMsecs = 100;

} // namespace

CFactChecker::CFactChecker(QObject* parent) : QObject(parent) {
    qRegisterMetaType<CFactCheck>();
    qRegisterMetaType<QList<CFactCheck>>();
}

CFactChecker::~CFactChecker() {
    Stop();
}

void CFactChecker::Check(CFactCheck& row) {
    struct stat st {};
    if (lstat(QFile::encodeName(row.shortcut).constData(), &st) != 0) {
        row.outcome =
            errno == ENOENT || errno == ENOTDIR ? CFactCheck::Vanished : CFactCheck::Unknown;
        return;
    }
    QString target;
    try {
        target = BM_Library::ShortcutTarget(row.shortcut);
    } catch (const CError&) {
        row.outcome = CFactCheck::Unknown;
        return;
    }
    CFileFacts fresh = CFileFacts::Stat(target);
    if (fresh.missing) {
        row.outcome = CFactCheck::Missing;
        fresh.path = target;
        row.fresh = std::make_shared<const CFileFacts>(std::move(fresh));
        return;
    }
    if (row.known && row.stored.path == target && fresh.SameFile(row.stored)) {
        row.outcome = CFactCheck::Unchanged;
        return;
    }
    // Only a document that changed is read for its fingerprint.
    fresh = CFileFacts::Read(target);
    row.outcome = fresh.missing ? CFactCheck::Missing : CFactCheck::Changed;
    row.fresh = std::make_shared<const CFileFacts>(std::move(fresh));
}

quint64 CFactChecker::Start(qsizetype count, RowSource row) {
    Stop();
    const quint64 run = ++m_run;
    auto cancel = std::make_shared<std::atomic_bool>(false);
    m_cancel = cancel;
    m_thread = QThread::create([this, run, cancel, count, row = std::move(row)]() mutable {
        QList<CFactCheck> batch;
        QElapsedTimer clock;
        clock.start();
        for (qsizetype i = 0; i < count && !*cancel; ++i) {
            CFactCheck checked = row(i);
            Check(checked);
            if (checked.outcome != CFactCheck::Unchanged)
                batch.append(std::move(checked));
            if (batch.size() >= kBatchRows || (!batch.isEmpty() && clock.elapsed() > kBatchMsecs)) {
                Deliver(run, batch, false);
                batch.clear();
                clock.restart();
            }
        }
        if (!*cancel)
            Deliver(run, batch, true);
        // The thread object lives until the next check; what the rows are
        // made from need not.
        row = nullptr;
    });
    // The thread starts once the owner's thread is back in its event loop:
    // the rows just added are shown first, without the check competing.
    QMetaObject::invokeMethod(
        this,
        [this, run] {
            if (run == m_run && m_thread)
                m_thread->start(QThread::LowPriority);
        },
        Qt::QueuedConnection);
    return run;
}

void CFactChecker::Deliver(quint64 run, const QList<CFactCheck>& batch, bool last) {
    // Queued to the owner's thread; a run stopped meanwhile is told apart there.
    QMetaObject::invokeMethod(
        this,
        [this, run, batch, last] {
            if (run != m_run)
                return;
            if (!batch.isEmpty())
                emit OnChecked(run, batch);
            if (last)
                emit OnFinished(run);
        },
        Qt::QueuedConnection);
}

void CFactChecker::Stop() {
    if (m_cancel)
        *m_cancel = true;
    if (m_thread) {
        // The thread stops after the file it is looking at.
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
    ++m_run;
}

bool CFactChecker::IsRunning() const {
    return m_thread && m_thread->isRunning();
}

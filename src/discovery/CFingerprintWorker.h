#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <memory>
#include <mutex>

class CFactStore;

// Takes the fingerprints that collecting left out, in a thread of its own at
// low priority and through a connection of its own, a batch at a time, so
// that collecting never waits for a document's contents. The to-do list is
// the repository itself (facts without a fingerprint): work cut short by the
// end of the program goes on at the next start.
class CFingerprintWorker : public QObject {
    Q_OBJECT
public:
    explicit CFingerprintWorker(QObject* parent = nullptr);
    ~CFingerprintWorker() override;

    // Starts on the repository file; while running, it looks once more for
    // new work when it is done.
    void Start(const QString& repositoryFile);
    // Ends the work after the document at hand; what is left waits.
    void Stop();
    bool IsRunning() const;

    // Fingerprints of up to batch documents from the to-do list, taken and
    // stored in one go; the count of documents looked at (0 when none are left).
    static qsizetype RunBatch(CFactStore& store, qint32* afterID, int batch);

signals:
    // Documents looked at so far of those waiting at the start; told from
    // the worker's thread.
    void OnProgress(qint64 Done, qint64 Total);
    void OnFinished();

private:
    void Work(const QString& repositoryFile);

    struct Flags {
        std::atomic_bool cancel{false};
        // Asked for more while running, and whether the run has ended; both
        // under the lock, so that work asked for at the end is never lost.
        std::mutex lock;
        bool again = false;
        bool ended = false;
    };
    // Whether the run goes on for work asked for meanwhile; when not, it ends.
    static bool TakeAgain(Flags& flags);
    std::shared_ptr<Flags> m_flags;
    QThread* m_thread = nullptr;
};

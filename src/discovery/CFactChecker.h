#pragma once

#include "CFactCheck.h"

#include <QList>
#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

// Looks at the documents of a shown list in a thread of its own: whether each
// shortcut and its document are still there, with their size and date now.
// Results come back on the owner's thread in batches, each tagged with the
// run it belongs to; starting a run ends the one before, whose remaining
// results are dropped.
class CFactChecker : public QObject {
    Q_OBJECT
public:
    explicit CFactChecker(QObject* parent = nullptr);
    ~CFactChecker() override;

    // Makes the check's row at an index, on the check's thread.
    using RowSource = std::function<CFactCheck(qsizetype)>;

    // Starts checking count rows, each made by row only when the check comes
    // to it: a list of a million rows is not copied whole beside itself.
    // Returns the run's number.
    quint64 Start(qsizetype count, RowSource row);
    // Ends the current run; no more of its batches arrive.
    void Stop();
    bool IsRunning() const;
    quint64 Run() const { return m_run; }

    // The check of one row, as the thread does it (no repository, no GUI).
    static void Check(CFactCheck& row);

signals:
    void OnChecked(quint64 Run, const QList<CFactCheck>& Batch);
    void OnFinished(quint64 Run);

private:
    void Deliver(quint64 run, const QList<CFactCheck>& batch, bool last);

    quint64 m_run = 0;
    std::shared_ptr<std::atomic_bool> m_cancel;
    QThread* m_thread = nullptr;
};

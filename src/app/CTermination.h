#pragma once

#include <QObject>

class QSocketNotifier;

// The desktop ends programs with SIGTERM (at logout, or `kill`), a terminal
// with SIGINT or SIGHUP. Vollo then ends the way closing its window does: the
// window stores its placement and the repository closes cleanly. The signal
// handler only writes a byte to a pipe; the event loop reads it and raises
// OnTerminate, where any Qt call is safe.
class CTermination : public QObject {
    Q_OBJECT
public:
    explicit CTermination(QObject* parent = nullptr);
    ~CTermination() override;

    // Whether the handlers are in place (a pipe could be made).
    bool IsActive() const { return m_notifier != nullptr; }

signals:
    void OnTerminate();

private:
    void Notifier_OnActivated();

    QSocketNotifier* m_notifier = nullptr;
};

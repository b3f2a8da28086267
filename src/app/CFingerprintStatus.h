#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QPointer>

class CFingerprintWorker;
class QLabel;
class QLineEdit;

// The background taking of fingerprints, shown quietly at the right end of
// the status line while it runs: collecting has long finished, the lists are
// usable, and nothing asks for the user's attention.
class CFingerprintStatus : public QObject {
    Q_OBJECT
public:
    explicit CFingerprintStatus(QLineEdit* statusLine);
    ~CFingerprintStatus() override;

    // Starts on the open repository unless it cannot be written; while
    // running, it looks for new work once it is done.
    void Start();
    void Stop();
    CFingerprintWorker* Worker() const { return m_worker; }

    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void Worker_OnProgress(qint64 Done, qint64 Total);
    void Worker_OnFinished();

private:
    void Place();

    QPointer<QLineEdit> m_statusLine;
    QLabel* m_label = nullptr;
    CFingerprintWorker* m_worker = nullptr;
};

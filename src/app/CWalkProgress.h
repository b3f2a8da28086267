#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QPushButton;

// The small window shown while the documents folder is walked: how many
// documents were collected so far and which folder is being read. It is
// application-modal, so while the walk yields to the event loop only this
// window takes input; the rest of the program merely repaints.
class CWalkProgress : public QDialog {
    Q_OBJECT
public:
    explicit CWalkProgress(QWidget* parent = nullptr);

    // Opens the window and paints it once before the walk starts.
    void Begin();
    // Closes the window; safe to call more than once.
    void End();

    // The line above the count, for walks that do not collect.
    void setTitle(const QString& title);
    void setCount(qint64 count);
    qint64 Count() const { return m_count; }
    void setFolder(const QString& folder);
    QString Folder() const { return m_folder; }

    // Lets the window repaint and answer its Cancel button, at most once per
    // interval, so a walk over many small files is not slowed by painting.
    void Pump();

    static constexpr int PumpIntervalMs = 50;

signals:
    void OnCancel();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Cancel();
    void ShowCount();

    QLabel* m_titleLabel = nullptr;
    QLabel* m_countLabel = nullptr;
    QLabel* m_folderLabel = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QElapsedTimer m_sincePump;
    qint64 m_count = 0;
    QString m_folder;
    bool m_canceled = false;
    bool m_running = false;
};

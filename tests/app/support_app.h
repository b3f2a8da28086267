#pragma once

#include <QtWidgets>
#include <functional>

// Answers the message boxes a test provokes: every modal QMessageBox that
// shows up is recorded and closed with the button given, so a test can run
// code that asks the user and then check what was asked. NoButton answers
// with Enter, as a user who accepts the proposal does.
class ModalAnswerer : public QObject {
    Q_OBJECT
public:
    explicit ModalAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok)
        : m_answer(answer) {
        connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::Poll);
        m_timer.start(20);
    }
    // Runs once, while the first message box is up and before it is answered.
    void setBeforeAnswer(std::function<void()> f) { m_beforeAnswer = std::move(f); }
    QStringList Texts() const { return m_texts; }
    int Count() const { return static_cast<int>(m_texts.size()); }

private:
    void Poll();

    QTimer m_timer;
    QMessageBox::StandardButton m_answer;
    QStringList m_texts;
    std::function<void()> m_beforeAnswer;
};

namespace AppTest {

// $HOME/Documents, where the first start walks.
QString DocumentsFolder();
// Where the program keeps its repository and shortcuts.
QString RepositoryFolder();
// Removes the repository folder and the program's cache, and empties the
// documents folder, so the next start is a first start.
void ResetAll();
// Writes a file (folders made as needed) and returns its absolute path.
QString WriteFile(const QString& path, const QByteArray& content = "x");
// The same for a path given as raw bytes (names that are not valid text).
void WriteRaw(const QByteArray& path);
// Makes a symbolic link at link pointing to target.
void MakeLink(const QString& target, const QString& link);
// Adds an entry to the desktop's recent list ($XDG_DATA_HOME/recently-used.xbel)
// through GLib's bookmark file, the way GTK applications record it. A path
// starting with "file:" is taken as the URI itself.
void AddRecentEntry(const QString& path, const QDateTime& when);
// Names of the shortcuts in the repository folder.
QStringList Shortcuts();

// Sends a real drag enter / move / drop of local files to a widget at pos.
// Returns whether the drop was accepted.
bool DropFiles(QWidget* target, const QStringList& files, const QPoint& pos);
bool DropUrls(QWidget* target, const QList<QUrl>& urls, const QPoint& pos);

} // namespace AppTest

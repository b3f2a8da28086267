#pragma once

#include "AM_Vollo.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CListViewControl.h"
#include "FormMain.h"

#include "../support_tests.h"

#include <QtWidgets>
#include <functional>

class CVolloDB;

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
bool DropData(QWidget* target, const QMimeData* data, const QPoint& pos);

// The application set up as the program's start does, speaking Japanese
// whatever the test machine's language, so tests can read its own texts.
void SetupJapanese();
// The first field of a query on the open repository, as a number.
int Count(const QString& sql);
int FileCount();
int LinkCount(qint32 tagID);
// Writes a document under the documents folder and returns its path.
QString Doc(const QString& name, const QByteArray& content = "x");
// What a repository holds: its rows, the documents they point to, and the
// shortcut files in its folder.
struct Holdings {
    QSet<QString> rows, targets, shortcuts;
};
// Reads what db holds and checks it is sound: the database intact, rows and
// shortcuts one to one, no document twice. where names the case in failures.
Holdings CheckSound(CVolloDB& db, const QString& where);
// The texts of a list's rows, sorted.
QStringList ListTexts(CListViewControl* list);

// The main window on the throw-away home, opened and closed as the program does.
class Window {
public:
    // Opens the repository (new or kept from before) and shows the window;
    // the first start counts as handled unless the test wants the question.
    FormMain* Start(bool firstStartHandled = true) {
        Open(firstStartHandled);
        return Show();
    }
    void Open(bool firstStartHandled = true);
    FormMain* Show() { return m_form = AM_Vollo::ShowMainForm(); }
    void Stop(); // closing stores what the window keeps

    template <typename T> T* Find(const QString& name) const {
        T* found = m_form->findChild<T*>(name);
        if (found == nullptr)
            qFatal("no %s in the window", qPrintable(name));
        return found;
    }
    QTreeWidget* Tree() const { return Find<QTreeWidget>(QStringLiteral("TreeViewTag")); }
    // The ith list control, 0 for the root's.
    CListViewControl* Control(int i) const {
        return Find<CListViewControl>(QStringLiteral("ListView%1").arg(i + 1));
    }
    CFileListView* List(const QString& key) const { return m_form->FileListViews()->Item(key); }
    QTreeWidgetItem* Node(const QString& key) const { return m_form->Category()->Node(key); }
    QPoint At(const QString& key) const;
    void ClickNode(const QString& key) const;
    bool DropOnNode(const QString& key, const QStringList& files) const {
        return DropFiles(Tree()->viewport(), files, At(key));
    }
    void Press(const QString& action) const { Find<QAction>(action)->trigger(); }

protected:
    FormMain* m_form = nullptr;
};

} // namespace AppTest

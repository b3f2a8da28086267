#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QFileSystemWatcher;
class QWidget;

// Watches the data folder, which holds the repository and every shortcut,
// while the program runs. The first time the folder is found gone the user
// is told what happened and what to do; from then on changes are refused.
class CDataFolderWatch : public QObject {
    Q_OBJECT
public:
    explicit CDataFolderWatch(QWidget* owner);

    // Watches the repository's folder. While Walking says a walk runs, a
    // folder found gone stops the walk (OnGoneDuringWalk) and its command
    // tells once it has ended.
    void Watch(std::function<bool()> Walking);
    // No more telling: the window has unloaded.
    void Stop();
    // Whether the data folder has gone; the first time it is found gone the
    // user is told.
    bool Check();
    // Whether the folder was found gone while the program runs.
    bool IsGone() const { return m_gone; }

    // The status line's reason while changes are refused.
    static QString BlockedText();
    // Throws the repository's notice when it cannot be written.
    static void RequireWritable();

signals:
    void OnGoneDuringWalk();

private slots:
    void Folder_OnChanged();

private:
    QPointer<QWidget> m_owner;
    QPointer<QFileSystemWatcher> m_watcher;
    std::function<bool()> m_walking;
    bool m_gone = false;
};

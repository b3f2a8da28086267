#pragma once

#include <QPointer>
#include <QString>

class QAction;
class QToolButton;
class QTreeWidgetItem;
class QWidget;

// The command that collects a folder the user picks: its entry on the menu
// of the folder button and its key on the window, the folder dialog, which
// starts where the last collection was, and the folder to walk.
class CFolderCollect {
public:
    explicit CFolderCollect(QWidget* owner);

    // Puts the command on Button's menu (a click on the button itself still
    // opens the selected document's folder) and on the owner, so its key
    // works wherever the window has the focus. Returns the command.
    QAction* Create(QToolButton* Button);
    // The folder the user picks; empty when the user cancelled.
    QString AskFolder() const;
    // The folder to walk for folder: a folder picked through a link is
    // walked where the link leads. Throws when there is no such folder;
    // otherwise the next question starts at folder.
    QString Resolve(const QString& folder);
    // The category a collection links to: node when it is a category,
    // otherwise none (0).
    static qint32 CategoryOf(const QTreeWidgetItem* node);

private:
    QPointer<QWidget> m_owner;
    QString m_lastFolder;
};

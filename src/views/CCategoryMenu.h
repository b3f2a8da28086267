#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QMenu;
class QPoint;
class QTreeWidget;
class QTreeWidgetItem;

// The category tree's commands: its context menu, and the keys that reach
// the same commands (Ctrl+N anywhere in the window, F2 and Delete in the
// tree). Renaming and deleting act on the node under the pointer, or the
// selected node for a key, and are enabled only on nodes marked editable.
class CCategoryMenu : public QObject {
    Q_OBJECT
public:
    // Where a node keeps whether the user may rename or delete it.
    static constexpr int EditableRole = Qt::UserRole + 64;

    explicit CCategoryMenu(QTreeWidget* tree);

    static bool NodeEditable(const QTreeWidgetItem* node);
    static void setNodeEditable(QTreeWidgetItem* node, bool editable);

    QMenu* Menu() const { return mvarMenu; }
    QAction* NewAction() const { return mvarNew; }
    QAction* RenameAction() const { return mvarRename; }
    QAction* DeleteAction() const { return mvarDelete; }
    QAction* CollectFolderAction() const { return mvarCollectFolder; }
    // The editable node the commands act on now, or nullptr.
    QTreeWidgetItem* TargetNode() const { return mvarTarget; }
    // Checkable: categories mirrored into the desktop's tags. Its owner
    // answers it.
    QAction* DesktopTagsAction() const { return mvarDesktopTags; }

signals:
    void OnNewCategoryRequest();
    void OnRenameRequest(QTreeWidgetItem* Node);
    void OnDeleteRequest(QTreeWidgetItem* Node);
    void OnCollectFolderRequest();

private:
    void ShowMenu(const QPoint& pos);
    void Target(QTreeWidgetItem* node);
    QAction* MakeAction(const QString& name, const QString& text);

    QPointer<QTreeWidget> mvarTree;
    QMenu* mvarMenu;
    QAction* mvarNew;
    QAction* mvarRename;
    QAction* mvarDelete;
    QAction* mvarCollectFolder;
    QAction* mvarDesktopTags;
    QTreeWidgetItem* mvarTarget = nullptr; // the node the commands act on
};

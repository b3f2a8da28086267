#include "CCategoryMenu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QTreeWidget>

CCategoryMenu::CCategoryMenu(QTreeWidget* tree)
    : QObject(tree), mvarTree(tree), mvarMenu(new QMenu(tree)),
      mvarNew(MakeAction(QStringLiteral("NewCategory"), tr("新しいカテゴリ..."))),
      mvarRename(MakeAction(QStringLiteral("RenameCategory"), tr("名前の変更..."))),
      mvarDelete(MakeAction(QStringLiteral("DeleteCategory"), tr("削除"))),
      mvarCollectFolder(MakeAction(QStringLiteral("CollectFolder"), tr("フォルダを取り込む..."))),
      mvarDesktopTags(MakeAction(QStringLiteral("DesktopTags"),
                                 tr("カテゴリをファイル マネージャーのタグにも書き込む"))) {
    mvarMenu->setObjectName(QStringLiteral("CategoryMenu"));
    mvarMenu->addAction(mvarNew);
    mvarMenu->addAction(mvarRename);
    mvarMenu->addAction(mvarDelete);
    mvarMenu->addSeparator();
    mvarMenu->addAction(mvarCollectFolder);
    mvarMenu->addSeparator();
    mvarDesktopTags->setCheckable(true);
    mvarMenu->addAction(mvarDesktopTags);

    // A new category can be made from anywhere in the window; renaming and
    // deleting belong to the tree, where Delete cannot be meant for a file.
    mvarNew->setShortcut(QKeySequence::New);
    mvarNew->setShortcutContext(Qt::WindowShortcut);
    tree->window()->addAction(mvarNew);
    mvarRename->setShortcut(QKeySequence(Qt::Key_F2));
    mvarDelete->setShortcut(QKeySequence::Delete);
    for (QAction* action : {mvarRename, mvarDelete}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        tree->addAction(action);
    }

    connect(mvarNew, &QAction::triggered, this, &CCategoryMenu::OnNewCategoryRequest);
    connect(mvarCollectFolder, &QAction::triggered, this, &CCategoryMenu::OnCollectFolderRequest);
    connect(mvarRename, &QAction::triggered, this, [this] {
        if (mvarTarget != nullptr)
            emit OnRenameRequest(mvarTarget);
    });
    connect(mvarDelete, &QAction::triggered, this, [this] {
        if (mvarTarget != nullptr)
            emit OnDeleteRequest(mvarTarget);
    });

    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree, &QWidget::customContextMenuRequested, this, &CCategoryMenu::ShowMenu);
    connect(tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { Target(current); });
    Target(tree->currentItem());
}

QAction* CCategoryMenu::MakeAction(const QString& name, const QString& text) {
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    return action;
}

bool CCategoryMenu::NodeEditable(const QTreeWidgetItem* node) {
    return node != nullptr && node->data(0, EditableRole).toBool();
}

void CCategoryMenu::setNodeEditable(QTreeWidgetItem* node, bool editable) {
    if (node != nullptr)
        node->setData(0, EditableRole, editable);
}

void CCategoryMenu::Target(QTreeWidgetItem* node) {
    mvarTarget = NodeEditable(node) ? node : nullptr;
    mvarRename->setEnabled(mvarTarget != nullptr);
    mvarDelete->setEnabled(mvarTarget != nullptr);
}

void CCategoryMenu::ShowMenu(const QPoint& pos) {
    if (!mvarTree)
        return;
    // The menu acts on the node under the pointer; the keys again on the
    // selected node once it is closed.
    Target(mvarTree->itemAt(pos));
    mvarMenu->exec(mvarTree->viewport()->mapToGlobal(pos));
    if (mvarTree)
        Target(mvarTree->currentItem());
}

#pragma once

#include "CCategory.h"

#include <QList>
#include <QString>
#include <functional>

class CCategoryMenu;
class CTabViewer;
class CTagMirror;
class CVolloDB;
class FormCategory;
class QTreeWidgetItem;
class QWidget;

// The user's own categories as the window shows them: the tree node, the
// tab caption and the category dialog's rows follow a new, renamed or
// deleted category. The questions are CCategoryEditor's; the file lists stay
// the window's. Failures of the repository reach the caller as CError.
class CUserCategories {
public:
    CUserCategories(CVolloDB& repository, CCategory& Tree, CCategory::ImageList Images,
                    QWidget* owner);

    // The node of a category: the design's categories have pictures of their
    // own, the user's show the category picture; all can be edited.
    void SetupNode(QTreeWidgetItem* node, qint32 ID) const;
    // Puts the node of every nested category under its parent's node.
    void LoadNesting();
    // Asks for a new category and adds its node: under ParentID's node, or
    // after the last top-level category, before the extension categories.
    // Its ID, 0 when the user cancelled.
    qint32 AskNew(QString* Name, qint32 ParentID = 0);
    // A category made elsewhere (the command line) placed in the tree.
    void InsertNode(qint32 ID, const QString& Name);
    // Moves the category of Key under the category of Target (the root: to
    // the top) when the repository agrees; a refusal is shown. Whether it
    // moved.
    bool Nest(const QString& Key, QTreeWidgetItem* Target);
    // Asks for a new name and shows it on the node and on the category's
    // tab; empty when the user cancelled.
    QString AskRename(qint32 ID, QTreeWidgetItem* Node, CTabViewer& Tabs);
    // Name shown on the category's node and tab.
    void ShowName(qint32 ID, QTreeWidgetItem* Node, CTabViewer& Tabs, const QString& Name);
    // Asks before deleting; whether the category was deleted. The nodes of
    // its children move up to its parent's node.
    bool AskDelete(qint32 ID, QTreeWidgetItem* Node);
    // Moves the node's children up to its parent, before the node goes.
    static void LiftChildren(QTreeWidgetItem* Node);
    // A name as a tab shows it: the tab strip would read "&" as a mnemonic.
    static QString TabText(const QString& Name);

    // The category dialog reads its rows when it loads; a loaded one is told
    // at once. Removed: the category is gone.
    void RefreshForm(FormCategory& Form, qint32 ID, const QString& Name, bool Removed);
    // Adds "subcategories included" to the tree's menu, checked as stored for
    // the node under the pointer and enabled on parents; Toggled is told the
    // category and the new choice, and stores it.
    void AddSubcategoryToggle(CCategoryMenu& Commands,
                              const std::function<void(qint32, bool)>& Toggled);
    // The dialog's rows follow the hierarchy.
    void ShowNesting(FormCategory& Form);

    // Told the documents of a renamed, moved or deleted category.
    void setTagMirror(CTagMirror* Mirror) { m_mirror = Mirror; }

private:
    // Where a top-level category's node goes: before the extension categories.
    int TopLevelEnd() const;
    void MoveNode(QTreeWidgetItem* Node, QTreeWidgetItem* Parent);

    CVolloDB& m_repository;
    CTagMirror* m_mirror = nullptr;
    CCategory& m_tree;
    CCategory::ImageList m_images;
    QWidget* m_owner;
};

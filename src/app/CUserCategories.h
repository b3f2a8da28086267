#pragma once

#include "CCategory.h"

#include <QString>

class CTabViewer;
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
    // Asks for a new category and adds its node after the last category,
    // before the extension categories. Its ID, 0 when the user cancelled.
    qint32 AskNew(QString* Name);
    // A category made elsewhere (the command line) placed in the tree.
    void InsertNode(qint32 ID, const QString& Name);
    // Asks for a new name and shows it on the node and on the category's
    // tab; empty when the user cancelled.
    QString AskRename(qint32 ID, QTreeWidgetItem* Node, CTabViewer& Tabs);
    // Name shown on the category's node and tab.
    void ShowName(qint32 ID, QTreeWidgetItem* Node, CTabViewer& Tabs, const QString& Name);
    // Asks before deleting; whether the category was deleted.
    bool AskDelete(qint32 ID, const QTreeWidgetItem* Node);

    // The category dialog reads its rows when it loads; a loaded one is told
    // at once. Removed: the category is gone.
    void RefreshForm(FormCategory& Form, qint32 ID, const QString& Name, bool Removed);

private:
    CVolloDB& m_repository;
    CCategory& m_tree;
    CCategory::ImageList m_images;
    QWidget* m_owner;
};

#pragma once

#include "CCategory.h"

#include <QList>
#include <QString>

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
    // Asks for a new category and adds its node after the last category,
    // before the extension categories. Its ID, 0 when the user cancelled.
    qint32 AskNew(QString* Name);
    // Shows a category made elsewhere (from a desktop tag) like a new one.
    void AddNode(qint32 ID, const QString& Name);
    // Asks for a new name and shows it on the node and on the category's
    // tab; empty when the user cancelled.
    QString AskRename(qint32 ID, QTreeWidgetItem* Node, CTabViewer& Tabs);
    // Asks before deleting; whether the category was deleted.
    bool AskDelete(qint32 ID, const QTreeWidgetItem* Node);

    // The category dialog reads its rows when it loads; a loaded one is told
    // at once. Removed: the category is gone.
    void RefreshForm(FormCategory& Form, qint32 ID, const QString& Name, bool Removed);

    // Told the documents of a renamed or deleted category.
    void setTagMirror(CTagMirror* Mirror) { m_mirror = Mirror; }

private:
    QList<qint32> FilesOf(qint32 ID);

    CVolloDB& m_repository;
    CTagMirror* m_mirror = nullptr;
    CCategory& m_tree;
    CCategory::ImageList m_images;
    QWidget* m_owner;
};

#pragma once

#include "AM_Vollo.h"

#include <QObject>
#include <QString>
#include <utility>

class CCategory;
class CQueryView;
class CVolloDB;
class QAction;
class QTreeWidgetItem;
class QWidget;

// The branch 保存した検索 of the category tree: the smart views that come
// built in and the user's saved searches under them. Clicking a node runs its
// query into the results list, so it always shows the current documents.
// The user's own searches are renamed and deleted as categories are (the
// tree's menu, F2 and Delete); the smart views cannot be.
class CSavedSearchTree : public QObject {
    Q_OBJECT
public:
    // Where a node keeps its query.
    static constexpr int QueryRole = 0x0100 + 80;

    CSavedSearchTree(CCategory& Tree, CQueryView& Query, CVolloDB& Repository, QWidget* Owner);

    // Adds the branch after the category tree, with its nodes.
    void Load();
    // The branch's node, and the node of a saved search by its name.
    QTreeWidgetItem* Branch() const { return m_branch; }
    QTreeWidgetItem* Node(const QString& Name) const;
    // Whether a node is in the branch (it then names no category).
    static bool IsSearchNode(const QTreeWidgetItem* Node);

    // Asks a name for the query in the field and stores it; the new node's
    // ID, 0 when the user cancelled or nothing can be saved.
    qint32 SaveCurrent();
    // Runs the node's query into the results list.
    void Open(QTreeWidgetItem* Node);
    void AskRename(QTreeWidgetItem* Node);
    void AskDelete(QTreeWidgetItem* Node);
    // The duplicates view: the candidates' whole contents are compared, with
    // progress and Cancel, before they are shown.
    void ShowDuplicates();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddSmartViews();
    QTreeWidgetItem* AddNode(const QString& Key, const QString& Name, const QString& Query);
    void SetupCommands();
    QString AskName(const QString& Title, const QString& Name, qint32 ExceptID);
    void Tell(const QString& Text) const;
    // The user's own search the commands act on: Node when it is one.
    static qint32 SearchID(const QTreeWidgetItem* Node);
    void Target(QTreeWidgetItem* Node);
    // Runs a command; a failure of the repository is shown, and the program
    // goes on.
    template <typename Work> void Guarded(Work&& work) {
        AM_Vollo::Guard(std::forward<Work>(work), m_owner);
    }

    CCategory& m_tree;
    CQueryView& m_query;
    CVolloDB& m_repository;
    QWidget* m_owner;
    QTreeWidgetItem* m_branch = nullptr;
    QTreeWidgetItem* m_target = nullptr;
    QAction* m_rename = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_menuRename = nullptr;
    QAction* m_menuDelete = nullptr;
};

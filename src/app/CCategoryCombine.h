#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class CCategory;
class CQueryView;
class QTreeWidgetItem;

// Categories chosen together in the tree: Ctrl+click adds a category's node
// to the one shown (or takes it away again), and the results list shows the
// documents in all of them, or in any of them while the query field's
// いずれか is checked. The field shows the same query as text, so that the
// user learns how to write it. A plain click ends the combination.
class CCategoryCombine : public QObject {
    Q_OBJECT
public:
    CCategoryCombine(CCategory& Tree, CQueryView& Query);

    // The names chosen, in the order they were chosen.
    QStringList Names() const;
    // The query that asks for documents in all (or any) of Names.
    static QString QueryOf(const QStringList& Names, bool Any);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether the node is one of the user's categories or the design's.
    static bool IsCategory(const QTreeWidgetItem* Node);
    void Toggle(QTreeWidgetItem* Node);
    void Show();

    CCategory& m_tree;
    CQueryView& m_query;
    QStringList m_keys; // node keys, in the order chosen
};

#include "CCategoryCombine.h"

#include "AM_Vollo.h"
#include "CCategory.h"
#include "CQueryParser.h"
#include "CQueryView.h"

#include <QAction>
#include <QMouseEvent>
#include <QTreeWidget>

namespace {

constexpr qint32 kLastCategoryID = 500;

} // namespace

CCategoryCombine::CCategoryCombine(CCategory& Tree, CQueryView& Query)
    : m_tree(Tree), m_query(Query) {
    m_tree.TreeView()->viewport()->installEventFilter(this);
    connect(m_query.AnyAction(), &QAction::toggled, this, [this] {
        if (m_keys.size() > 1)
            Show();
    });
}

bool CCategoryCombine::IsCategory(const QTreeWidgetItem* Node) {
    const qint32 id = CCategory::NodeID(Node);
    return id > 0 && id <= kLastCategoryID;
}

QStringList CCategoryCombine::Names() const {
    QStringList names;
    for (const QString& key : m_keys)
        if (const QTreeWidgetItem* node = m_tree.Node(key))
            names << node->text(0);
    return names;
}

QString CCategoryCombine::QueryOf(const QStringList& Names, bool Any) {
    QStringList words;
    for (const QString& name : Names)
        words << CQueryParser::Quote(name);
    return words.join(Any ? QStringLiteral(" OR ") : QStringLiteral(" "));
}

bool CCategoryCombine::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(watched, event);
    QTreeWidget* tree = m_tree.TreeView();
    if (tree == nullptr || watched != tree->viewport())
        return QObject::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    QTreeWidgetItem* node = tree->itemAt(mouse->position().toPoint());
    const bool combining = mouse->button() == Qt::LeftButton &&
                           (mouse->modifiers() & Qt::ControlModifier) != 0 && IsCategory(node);
    if (!combining) {
        // A plain click shows one node again.
        if (type == QEvent::MouseButtonPress)
            m_keys.clear();
        return QObject::eventFilter(watched, event);
    }
    // The tree sees none of it: its own click would show the one category.
    if (type == QEvent::MouseButtonPress)
        Toggle(node);
    return true;
}

void CCategoryCombine::Toggle(QTreeWidgetItem* Node) {
    // The category shown before the first Ctrl+click is the first chosen.
    if (QTreeWidgetItem* current = m_tree.TreeView()->currentItem();
        m_keys.isEmpty() && IsCategory(current) && current != Node)
        m_keys << CCategory::NodeKey(current);
    const QString key = CCategory::NodeKey(Node);
    if (m_keys.removeAll(key) == 0)
        m_keys << key;
    QTreeWidget* tree = m_tree.TreeView();
    tree->clearSelection();
    for (const QString& chosen : std::as_const(m_keys))
        if (QTreeWidgetItem* node = m_tree.Node(chosen))
            node->setSelected(true);
    Show();
}

void CCategoryCombine::Show() {
    AM_Vollo::Guard(
        [this] { m_query.setQuery(QueryOf(Names(), m_query.AnyAction()->isChecked())); },
        m_tree.TreeView()->window());
}

#include "CUserCategories.h"

#include "BM_Library.h"
#include "CCategoryEditor.h"
#include "CCategoryMenu.h"
#include "CCategoryStore.h"
#include "CCategoryTabs.h"
#include "CCheckListView.h"
#include "CError.h"
#include "CRecordset.h"
#include "CTabViewer.h"
#include "CTagMirror.h"
#include "CVolloDB.h"
#include "FormCategory.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QTabBar>
#include <QTreeWidgetItem>
#include <algorithm>
#include <cstdlib>

using namespace BM_Library;

namespace {

// Categories and the root have IDs up to 500; extension categories above.
bool IsExtensionCategory(qint32 ID) {
    return std::llabs(static_cast<long long>(ID)) > 500;
}

} // namespace

CUserCategories::CUserCategories(CVolloDB& repository, CCategory& Tree, CCategory::ImageList Images,
                                 QWidget* owner)
    : m_repository(repository), m_tree(Tree), m_images(std::move(Images)), m_owner(owner) {}

void CUserCategories::SetupNode(QTreeWidgetItem* node, qint32 ID) const {
    Q_UNUSED(ID);
    m_tree.setNodeImage(node, QStringLiteral("CategoryNode"));
    m_tree.setNodeSelectedImage(node, QStringLiteral("selected"));
    CCategoryMenu::setNodeEditable(node, true);
}

void CUserCategories::LoadNesting() {
    const CCategoryStore::ParentMap parents = CCategoryStore(m_repository).Parents();
    QList<qint32> nested = parents.keys();
    std::sort(nested.begin(), nested.end());
    for (const qint32 id : nested) {
        QTreeWidgetItem* node = m_tree.Node(MakeKey(id));
        QTreeWidgetItem* parent = m_tree.Node(MakeKey(parents.value(id)));
        if (node != nullptr && parent != nullptr)
            MoveNode(node, parent);
    }
}

int CUserCategories::TopLevelEnd() const {
    QTreeWidgetItem* root = m_tree.Node(QStringLiteral("H0"));
    int at = 0;
    while (at < root->childCount() &&
           !IsExtensionCategory(KeyToID(CCategory::NodeKey(root->child(at)))))
        ++at;
    return at;
}

void CUserCategories::MoveNode(QTreeWidgetItem* Node, QTreeWidgetItem* Parent) {
    QTreeWidgetItem* from = Node->parent();
    if (from == nullptr || from == Parent)
        return;
    from->takeChild(from->indexOfChild(Node));
    if (CCategory::NodeKey(Parent) == QLatin1String("H0"))
        Parent->insertChild(TopLevelEnd(), Node);
    else
        Parent->addChild(Node);
    Parent->setExpanded(true);
}

qint32 CUserCategories::AskNew(QString* Name, qint32 ParentID) {
    const qint32 id = CCategoryEditor(m_repository, m_owner).AskNew(Name, ParentID);
    if (id == 0)
        return 0;
    InsertNode(id, *Name);
    if (QTreeWidgetItem* parent = m_tree.Node(MakeKey(ParentID)); ParentID != 0 && parent)
        MoveNode(m_tree.Node(MakeKey(id)), parent);
    return id;
}

void CUserCategories::InsertNode(qint32 ID, const QString& Name) {
    // After the other top-level categories, before the extension categories.
    SetupNode(m_tree.Insert(TopLevelEnd(), MakeKey(ID), Name), ID);
}

bool CUserCategories::Nest(const QString& Key, QTreeWidgetItem* Target) {
    QTreeWidgetItem* node = m_tree.Node(Key);
    if (node == nullptr || Target == nullptr)
        return false;
    const qint32 id = KeyToID(Key);
    const qint32 parent = KeyToID(CCategory::NodeKey(Target));
    CCategoryStore store(m_repository);
    const QString refusal = store.NestRefusal(id, parent);
    if (!refusal.isEmpty()) {
        CCategoryEditor::Tell(refusal, m_owner);
        return false;
    }
    store.SetParent(id, parent);
    if (m_mirror)
        m_mirror->UpdateCategory(id);
    MoveNode(node, Target);
    return true;
}

QString CUserCategories::AskRename(qint32 ID, QTreeWidgetItem* Node, CTabViewer& Tabs) {
    QString name = CCategoryEditor(m_repository, m_owner).AskRename(ID, Node->text(0));
    if (name.isEmpty())
        return name;
    if (m_mirror)
        m_mirror->UpdateCategory(ID); // the children's written names hold it too
    ShowName(ID, Node, Tabs, name);
    return name;
}

void CUserCategories::ShowName(qint32 ID, QTreeWidgetItem* Node, CTabViewer& Tabs,
                               const QString& Name) {
    Node->setText(0, Name);
    const QString key = MakeKey(ID);
    QTabBar* tabs = Tabs.TabStrip();
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->tabData(i).toString() == key) {
            tabs->setTabText(i, TabText(CCategoryTabs::Caption(*tabs, Name)));
            tabs->setTabToolTip(i, Name);
        }
    }
}

bool CUserCategories::AskDelete(qint32 ID, QTreeWidgetItem* Node) {
    // The links go with the category: its documents are known only before.
    // Its children move up a level, so their documents are written again too.
    const QList<qint32> files = m_mirror ? m_mirror->FilesUnder(ID) : QList<qint32>();
    if (!CCategoryEditor(m_repository, m_owner).AskDelete(ID, Node->text(0)))
        return false;
    if (m_mirror)
        m_mirror->Update(files);
    LiftChildren(Node);
    return true;
}

void CUserCategories::LiftChildren(QTreeWidgetItem* Node) {
    // The children take the deleted node's place, in their order.
    QTreeWidgetItem* parent = Node->parent();
    for (int at = parent != nullptr ? parent->indexOfChild(Node) + 1 : 0;
         parent != nullptr && Node->childCount() > 0; ++at)
        parent->insertChild(at, Node->takeChild(0));
}

QString CUserCategories::TabText(const QString& Name) {
    return QString(Name).replace(QLatin1Char('&'), QLatin1String("&&"));
}

void CUserCategories::RefreshForm(FormCategory& Form, qint32 ID, const QString& Name,
                                  bool Removed) {
    CRecordset all = m_repository.GetTagName();
    if (Form.IsLoaded()) {
        CCheckListView* rows = Form.CheckListView();
        QTreeWidgetItem* row = rows->FindItem(CCheckListView::RecordKey(ID));
        if (Removed) {
            delete row;
        } else if (row != nullptr) {
            row->setText(0, Name);
        } else {
            for (; !all.IsEOF() && all.Field(0).toInt() != ID; all.MoveNext()) {
            }
            if (!all.IsEOF())
                rows->AddItem(all);
        }
    }
    Form.setCategorySet(std::move(all));
    ShowNesting(Form);
}

void CUserCategories::AddSubcategoryToggle(CCategoryMenu& Commands,
                                           const std::function<void(qint32, bool)>& Toggled) {
    auto* toggle = new QAction(
        QCoreApplication::translate("CUserCategories", "サブカテゴリを含める"), &Commands);
    toggle->setObjectName(QStringLiteral("SubcategoriesIncluded"));
    toggle->setCheckable(true);
    Commands.Menu()->addAction(toggle);
    const auto target = [&Commands] {
        const QTreeWidgetItem* node = Commands.TargetNode();
        return node != nullptr && node->childCount() > 0 ? KeyToID(CCategory::NodeKey(node)) : 0;
    };
    QObject::connect(Commands.Menu(), &QMenu::aboutToShow, toggle, [this, toggle, target] {
        const qint32 id = target();
        bool included = true;
        try {
            included = id == 0 || CCategoryStore(m_repository).IncludesDescendants(id);
        } catch (const CError&) {
            // Unreadable now: shown as the default, the choice is still offered.
        }
        toggle->setEnabled(id != 0);
        toggle->setChecked(included);
    });
    QObject::connect(toggle, &QAction::triggered, toggle, [target, Toggled](bool on) {
        if (const qint32 id = target(); id != 0)
            Toggled(id, on);
    });
}

void CUserCategories::ShowNesting(FormCategory& Form) {
    Form.setCategoryParents(CCategoryStore(m_repository).Parents());
    if (Form.IsLoaded())
        Form.ArrangeRows();
}

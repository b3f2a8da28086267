#include "CUserCategories.h"

#include "BM_Library.h"
#include "CCategoryEditor.h"
#include "CCategoryMenu.h"
#include "CCheckListView.h"
#include "CRecordset.h"
#include "CTabViewer.h"
#include "CVolloDB.h"
#include "FormCategory.h"

#include <QTabBar>
#include <QTreeWidgetItem>
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

qint32 CUserCategories::AskNew(QString* Name) {
    const qint32 id = CCategoryEditor(m_repository, m_owner).AskNew(Name);
    if (id == 0)
        return 0;
    QTreeWidgetItem* root = m_tree.Node(QStringLiteral("H0"));
    int at = 0;
    while (at < root->childCount() &&
           !IsExtensionCategory(KeyToID(CCategory::NodeKey(root->child(at)))))
        ++at;
    SetupNode(m_tree.Insert(at, MakeKey(id), *Name), id);
    return id;
}

QString CUserCategories::AskRename(qint32 ID, QTreeWidgetItem* Node, CTabViewer& Tabs) {
    QString name = CCategoryEditor(m_repository, m_owner).AskRename(ID, Node->text(0));
    if (name.isEmpty())
        return name;
    Node->setText(0, name);
    const QString key = MakeKey(ID);
    QTabBar* tabs = Tabs.TabStrip();
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->tabData(i).toString() == key)
            tabs->setTabText(i, name);
    }
    return name;
}

bool CUserCategories::AskDelete(qint32 ID, const QTreeWidgetItem* Node) {
    return CCategoryEditor(m_repository, m_owner).AskDelete(ID, Node->text(0));
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
}

#include "CSavedSearchTree.h"

#include "AM_Vollo.h"
#include "CCategory.h"
#include "CCategoryMenu.h"
#include "CDuplicateCheck.h"
#include "CError.h"
#include "CQueryView.h"
#include "CSavedSearches.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTreeWidget>

namespace {

const QString kBranchKey = QStringLiteral("SavedSearches");
const QString kSearchPrefix = QStringLiteral("S:");
const QString kViewPrefix = QStringLiteral("V:");

} // namespace

CSavedSearchTree::CSavedSearchTree(CCategory& Tree, CQueryView& Query, CVolloDB& Repository,
                                   QWidget* Owner)
    : m_tree(Tree), m_query(Query), m_repository(Repository), m_owner(Owner) {}

bool CSavedSearchTree::IsSearchNode(const QTreeWidgetItem* Node) {
    const QString key = CCategory::NodeKey(Node);
    return key == kBranchKey || key.startsWith(kSearchPrefix) || key.startsWith(kViewPrefix);
}

qint32 CSavedSearchTree::SearchID(const QTreeWidgetItem* Node) {
    const QString key = CCategory::NodeKey(Node);
    return key.startsWith(kSearchPrefix) ? key.mid(kSearchPrefix.size()).toInt() : 0;
}

void CSavedSearchTree::Load() {
    QTreeWidget* tree = m_tree.TreeView();
    m_branch = new QTreeWidgetItem(QStringList{tr("保存した検索")});
    m_branch->setData(0, CCategory::KeyRole, kBranchKey);
    tree->addTopLevelItem(m_branch);
    m_tree.setNodeImage(m_branch, QStringLiteral("H0"));
    AddSmartViews();
    for (const CSavedSearches::Search& search : CSavedSearches(m_repository).All())
        AddNode(kSearchPrefix + QString::number(search.id), search.name, search.query);
    m_branch->setExpanded(true);
    for (const auto signal : {&QTreeWidget::itemClicked, &QTreeWidget::itemActivated})
        connect(tree, signal, this,
                [this](QTreeWidgetItem* node) { Guarded([&] { Open(node); }); });
    SetupCommands();
}

void CSavedSearchTree::AddSmartViews() {
    AddNode(kViewPrefix + QStringLiteral("uncategorised"), tr("未分類"),
            QStringLiteral("is:uncategorised"));
    AddNode(kViewPrefix + QStringLiteral("missing"), tr("見つかりません"),
            QStringLiteral("is:missing"));
    AddNode(kViewPrefix + QStringLiteral("duplicates"), tr("重複"), QStringLiteral("is:duplicate"));
}

QTreeWidgetItem* CSavedSearchTree::AddNode(const QString& Key, const QString& Name,
                                           const QString& Query) {
    auto* node = new QTreeWidgetItem(m_branch, QStringList{Name});
    node->setData(0, CCategory::KeyRole, Key);
    node->setData(0, QueryRole, Query);
    node->setToolTip(0, Query);
    m_tree.setNodeImage(node, QStringLiteral("Folder"));
    return node;
}

QTreeWidgetItem* CSavedSearchTree::Node(const QString& Name) const {
    for (int i = 0; m_branch != nullptr && i < m_branch->childCount(); ++i)
        if (m_branch->child(i)->text(0) == Name)
            return m_branch->child(i);
    return nullptr;
}

void CSavedSearchTree::SetupCommands() {
    QTreeWidget* tree = m_tree.TreeView();
    const auto make = [this](const QString& Name, const QString& Text) {
        auto* action = new QAction(Text, this);
        action->setObjectName(Name);
        return action;
    };
    // The keys act on the selected node; the category commands are disabled
    // there, so F2 and Delete reach one command only.
    m_rename = make(QStringLiteral("RenameSavedSearch"), tr("検索の名前を変更..."));
    m_delete = make(QStringLiteral("DeleteSavedSearch"), tr("検索を削除"));
    m_rename->setShortcut(QKeySequence(Qt::Key_F2));
    m_delete->setShortcut(QKeySequence::Delete);
    for (QAction* action : {m_rename, m_delete}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        action->setEnabled(false);
        tree->addAction(action);
    }
    connect(m_rename, &QAction::triggered, this,
            [this] { Guarded([this] { AskRename(m_tree.TreeView()->currentItem()); }); });
    connect(m_delete, &QAction::triggered, this,
            [this] { Guarded([this] { AskDelete(m_tree.TreeView()->currentItem()); }); });
    connect(tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        m_rename->setEnabled(SearchID(current) != 0);
        m_delete->setEnabled(SearchID(current) != 0);
    });
    // The menu's entries act on the node under the pointer.
    m_menuRename = make(QStringLiteral("RenameSavedSearchMenu"), m_rename->text());
    m_menuDelete = make(QStringLiteral("DeleteSavedSearchMenu"), m_delete->text());
    QMenu* menu = m_tree.Commands()->Menu();
    menu->insertActions(menu->actions().value(0), {m_menuRename, m_menuDelete});
    Target(nullptr);
    connect(m_menuRename, &QAction::triggered, this,
            [this] { Guarded([this] { AskRename(m_target); }); });
    connect(m_menuDelete, &QAction::triggered, this,
            [this] { Guarded([this] { AskDelete(m_target); }); });
    tree->viewport()->installEventFilter(this);
}

void CSavedSearchTree::Target(QTreeWidgetItem* Node) {
    m_target = SearchID(Node) != 0 ? Node : nullptr;
    m_menuRename->setVisible(m_target != nullptr);
    m_menuDelete->setVisible(m_target != nullptr);
}

bool CSavedSearchTree::eventFilter(QObject* watched, QEvent* event) {
    // Seen before the tree's menu opens for the same event.
    if (event->type() == QEvent::ContextMenu && m_tree.TreeView() != nullptr &&
        watched == m_tree.TreeView()->viewport()) {
        const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        Target(m_tree.TreeView()->itemAt(menuEvent->pos()));
    }
    return QObject::eventFilter(watched, event);
}

void CSavedSearchTree::Open(QTreeWidgetItem* Node) {
    if (Node == nullptr || Node == m_branch || !IsSearchNode(Node))
        return;
    if (CCategory::NodeKey(Node) == kViewPrefix + QStringLiteral("duplicates")) {
        ShowDuplicates();
        return;
    }
    m_query.setQuery(Node->data(0, QueryRole).toString());
}

void CSavedSearchTree::ShowDuplicates() {
    QProgressDialog progress(tr("重複した文書の中身を比べています..."), tr("キャンセル"), 0, 0,
                             m_owner);
    progress.setObjectName(QStringLiteral("DuplicatesProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const auto files =
        CDuplicateCheck(m_repository).Confirmed([&progress](qint64 Done, qint64 Total) {
            progress.setMaximum(int(Total));
            progress.setValue(int(Done));
            return !progress.wasCanceled();
        });
    if (files)
        m_query.ShowResults(QStringLiteral("is:duplicate"), *files);
}

qint32 CSavedSearchTree::SaveCurrent() {
    m_query.Run();
    const QString query = m_query.Query().trimmed();
    if (query.isEmpty() || !m_query.ErrorText().isEmpty()) {
        Tell(query.isEmpty()
                 ? tr("保存するクエリがありません。クエリを入力してください。")
                 : tr("このクエリは読めないため保存できません。\n%1").arg(m_query.ErrorText()));
        return 0;
    }
    const QString name = AskName(tr("検索を保存"), query, 0);
    if (name.isEmpty())
        return 0;
    const qint32 id = CSavedSearches(m_repository).Add(name, query);
    QTreeWidgetItem* node = AddNode(kSearchPrefix + QString::number(id), name, query);
    m_branch->setExpanded(true);
    m_tree.TreeView()->setCurrentItem(node);
    return id;
}

void CSavedSearchTree::AskRename(QTreeWidgetItem* Node) {
    const qint32 id = SearchID(Node);
    if (id == 0)
        return;
    const QString name = AskName(tr("名前の変更"), Node->text(0), id);
    if (name.isEmpty() || name == Node->text(0))
        return;
    CSavedSearches(m_repository).Rename(id, name);
    Node->setText(0, name);
}

void CSavedSearchTree::AskDelete(QTreeWidgetItem* Node) {
    const qint32 id = SearchID(Node);
    if (id == 0)
        return;
    QMessageBox question(QMessageBox::Question, tr("検索の削除"),
                         tr("保存した検索「%1」を削除しますか？\n"
                            "文書とカテゴリはそのまま残ります。")
                             .arg(Node->text(0)),
                         QMessageBox::Yes | QMessageBox::No, m_owner);
    question.setObjectName(QStringLiteral("SavedSearchDeleteQuestion"));
    question.setTextFormat(Qt::PlainText);
    // Enter alone must not delete.
    question.setDefaultButton(QMessageBox::No);
    if (question.exec() != QMessageBox::Yes)
        return;
    CSavedSearches(m_repository).Delete(id);
    if (m_target == Node)
        Target(nullptr);
    delete Node;
}

QString CSavedSearchTree::AskName(const QString& Title, const QString& Name, qint32 ExceptID) {
    QString name = Name;
    for (;;) {
        QInputDialog dialog(m_owner);
        dialog.setObjectName(QStringLiteral("SavedSearchNameDialog"));
        dialog.setWindowTitle(Title);
        dialog.setLabelText(tr("検索の名前:"));
        dialog.setTextValue(name);
        if (dialog.exec() != QDialog::Accepted)
            return QString();
        name = dialog.textValue();
        const QString refusal = CSavedSearches(m_repository).Refusal(name, ExceptID);
        if (refusal.isEmpty())
            return name.trimmed();
        Tell(refusal);
    }
}

void CSavedSearchTree::Tell(const QString& Text) const {
    QMessageBox box(QMessageBox::Warning, tr("保存した検索"), Text, QMessageBox::Ok, m_owner);
    box.setObjectName(QStringLiteral("SavedSearchRefusal"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

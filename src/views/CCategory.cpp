#include "CCategory.h"

#include "CColourDot.h"

#include <algorithm>

#include <QApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>

#include "BM_Library.h"
#include "CCategoryMenu.h"
#include "CError.h"
#include "CFileDrag.h"

namespace {

const QString kRootKey = QStringLiteral("H0");

// A drop counts as files only when it carries at least one local file; URLs
// of web pages or plain text are not documents that can be collected.
bool HoldsLocalFiles(const QMimeData* data) {
    // Rows dragged out of a file list name their files by ID.
    if (CFileDrag::IsRowDrag(data))
        return true;
    if (!data || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.cbegin(), urls.cend(),
                       [](const QUrl& url) { return url.isLocalFile(); });
}

} // namespace

CCategory::CCategory(QObject* parent)
    : QObject(parent), mvarClassDebugID(BM_Library::NextClassID()) {}

CCategory::~CCategory() {
    if (mvarTreeView) {
        mvarTreeView->removeEventFilter(this);
        mvarTreeView->viewport()->removeEventFilter(this);
    }
}

void CCategory::Create(QTreeWidget* objTreeView, const QString& RootName) {
    if (!objTreeView)
        throw CError(QStringLiteral("CCategory.Create: no tree view was given."));
    if (mvarTreeView)
        throw CError(QStringLiteral("CCategory.Create: the category tree is already bound."));
    mvarTreeView = objTreeView;
    mvarTreeView->setColumnCount(1);
    mvarTreeView->setHeaderHidden(true);
    // The header that would name the tree is hidden; say what it is.
    if (mvarTreeView->accessibleName().isEmpty())
        mvarTreeView->setAccessibleName(tr("カテゴリ"));
    mvarTreeView->setSelectionMode(QAbstractItemView::SingleSelection);
    mvarTreeView->setAcceptDrops(true);
    mvarTreeView->viewport()->setAcceptDrops(true);
    mvarTreeView->installEventFilter(this);
    mvarTreeView->viewport()->installEventFilter(this);
    connect(mvarTreeView, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item, int) { mvarTreeView_NodeClick(item); });
    connect(mvarTreeView, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
                // Moving through the tree with the keyboard shows the node
                // reached, as a click on it would.
                if (mvarKeyboardMove && current) {
                    mvarKeyboardMove = false;
                    mvarTreeView_NodeClick(current);
                }
            });

    auto* root = new QTreeWidgetItem(QStringList{RootName});
    root->setData(0, KeyRole, kRootKey);
    mvarTreeView->addTopLevelItem(root);
    setNodeImage(root, kRootKey);
    SetupCommands();
}

void CCategory::SetupCommands() {
    mvarCommands = new CCategoryMenu(mvarTreeView);
    connect(mvarCommands, &CCategoryMenu::OnNewCategoryRequest, this,
            &CCategory::OnNewCategoryRequest);
    connect(mvarCommands, &CCategoryMenu::OnCollectFolderRequest, this,
            &CCategory::OnCollectFolderRequest);
    connect(mvarCommands, &CCategoryMenu::OnRenameRequest, this, [this](QTreeWidgetItem* node) {
        emit OnRenameRequest(BM_Library::KeyToID(NodeKey(node)), node);
    });
    connect(mvarCommands, &CCategoryMenu::OnDeleteRequest, this, [this](QTreeWidgetItem* node) {
        emit OnDeleteRequest(BM_Library::KeyToID(NodeKey(node)), node);
    });
}

QTreeWidgetItem* CCategory::Insert(int Position, const QString& Key, const QString& Caption) {
    QTreeWidgetItem* node = Add(Key, Caption);
    QTreeWidgetItem* root = node->parent();
    if (Position >= 0 && Position < root->childCount() - 1) {
        root->takeChild(root->indexOfChild(node));
        root->insertChild(Position, node);
    }
    return node;
}

void CCategory::Remove(const QString& Key) {
    QTreeWidgetItem* node = Node(Key);
    if (node == nullptr || node == Root())
        return;
    if (DropHighlight() == node)
        setDropHighlight(nullptr);
    // The node that becomes current in its place is not the user's choice.
    mvarKeyboardMove = false;
    delete node;
}

QTreeWidgetItem* CCategory::Add(const QString& Key, const QString& Caption) {
    QTreeWidgetItem* root = Root();
    if (!root)
        throw CError(QStringLiteral("CCategory.Add(\"%1\"): the tree has no root node; "
                                    "Create must run first.")
                         .arg(Key));
    if (Node(Key))
        throw CError(tr("カテゴリ \"%1\" がツリーに二度登録されようとしました。"
                        "リポジトリのカテゴリが重複していないか確かめてください。")
                         .arg(Key));
    try {
        BM_Library::KeyToID(Key);
    } catch (const CError&) {
        throw CError(tr("\"%1\" はカテゴリのキー（\"H\" と番号）ではありません。"
                        "リポジトリが壊れていないか確かめてください。")
                         .arg(Key));
    }
    auto* node = new QTreeWidgetItem(QStringList{Caption});
    node->setData(0, KeyRole, Key);
    root->addChild(node);
    root->setExpanded(true);
    return node;
}

void CCategory::SelectNode(const QString& Key) {
    QTreeWidgetItem* node = Node(Key);
    if (!node)
        throw CError(tr("カテゴリ \"%1\" はツリーにありません。"
                        "削除された可能性があります。ほかのカテゴリを選んでください。")
                         .arg(Key));
    mvarKeyboardMove = false;
    mvarTreeView->setCurrentItem(node);
    node->setSelected(true);
    mvarTreeView->scrollToItem(node);
}

QTreeWidgetItem* CCategory::Node(const QString& Key) const {
    if (!mvarTreeView)
        return nullptr;
    for (QTreeWidgetItemIterator it(mvarTreeView); *it; ++it) {
        if (NodeKey(*it) == Key)
            return *it;
    }
    return nullptr;
}

QTreeWidgetItem* CCategory::Root() const {
    if (!mvarTreeView)
        return nullptr;
    for (int i = 0; i < mvarTreeView->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = mvarTreeView->topLevelItem(i);
        if (NodeKey(item) == kRootKey)
            return item;
    }
    return nullptr;
}

QTreeWidgetItem* CCategory::SelectedItem() const {
    if (!mvarTreeView)
        return nullptr;
    const QList<QTreeWidgetItem*> selected = mvarTreeView->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QTreeWidgetItem* CCategory::DropHighlight() const {
    if (!mvarTreeView || !mvarDropHighlight.isValid())
        return nullptr;
    return mvarTreeView->itemFromIndex(mvarDropHighlight);
}

void CCategory::setDropHighlight(QTreeWidgetItem* node) {
    QTreeWidgetItem* old = DropHighlight();
    if (old == node)
        return;
    if (old) {
        old->setData(0, Qt::BackgroundRole, mvarSavedBackground);
        old->setData(0, Qt::ForegroundRole, mvarSavedForeground);
    }
    mvarDropHighlight = QPersistentModelIndex();
    if (!node || !mvarTreeView || node->treeWidget() != mvarTreeView)
        return;
    mvarSavedBackground = node->data(0, Qt::BackgroundRole);
    mvarSavedForeground = node->data(0, Qt::ForegroundRole);
    const QPalette& pal = mvarTreeView->palette();
    node->setData(0, Qt::BackgroundRole, pal.brush(QPalette::Highlight));
    node->setData(0, Qt::ForegroundRole, pal.brush(QPalette::HighlightedText));
    mvarDropHighlight = mvarTreeView->indexFromItem(node);
}

void CCategory::setImages(const ImageList& images) {
    mvarImages = images;
    if (!mvarTreeView)
        return;
    for (QTreeWidgetItemIterator it(mvarTreeView); *it; ++it)
        RefreshIcon(*it);
}

QString CCategory::NodeKey(const QTreeWidgetItem* node) {
    return node ? node->data(0, KeyRole).toString() : QString();
}

qint32 CCategory::NodeID(const QTreeWidgetItem* node) {
    const QString key = NodeKey(node);
    bool ok = false;
    const qint32 id = key.startsWith(QLatin1Char('H')) ? key.mid(1).toInt(&ok) : 0;
    return ok ? id : 0;
}

QString CCategory::NodeTag(const QTreeWidgetItem* node) {
    return node ? node->data(0, TagRole).toString() : QString();
}

void CCategory::setNodeTag(QTreeWidgetItem* node, const QString& tag) {
    if (node)
        node->setData(0, TagRole, tag);
}

QString CCategory::NodeImage(const QTreeWidgetItem* node) {
    return node ? node->data(0, ImageRole).toString() : QString();
}

void CCategory::setNodeImage(QTreeWidgetItem* node, const QString& imageKey) {
    if (!node)
        return;
    node->setData(0, ImageRole, imageKey);
    RefreshIcon(node);
}

QString CCategory::NodeSelectedImage(const QTreeWidgetItem* node) {
    return node ? node->data(0, SelectedImageRole).toString() : QString();
}

void CCategory::setNodeSelectedImage(QTreeWidgetItem* node, const QString& imageKey) {
    if (!node)
        return;
    node->setData(0, SelectedImageRole, imageKey);
    RefreshIcon(node);
}

QColor CCategory::NodeColour(const QTreeWidgetItem* node) {
    return node ? node->data(0, ColourRole).value<QColor>() : QColor();
}

void CCategory::setNodeColour(QTreeWidgetItem* node, const QColor& colour) {
    if (!node)
        return;
    node->setData(0, ColourRole, colour.isValid() ? QVariant(colour) : QVariant());
    RefreshIcon(node);
}

QIcon CCategory::ImageOf(const QString& imageKey) const {
    if (imageKey.isEmpty())
        return QIcon();
    QIcon icon = mvarImages.value(imageKey);
    if (!icon.isNull())
        return icon;
    return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
}

void CCategory::RefreshIcon(QTreeWidgetItem* node) {
    const QIcon normal = ImageOf(NodeImage(node));
    const QIcon selected = ImageOf(NodeSelectedImage(node));
    QSize size = node->treeWidget() ? node->treeWidget()->iconSize() : QSize();
    if (!size.isValid()) {
        const int edge = QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize);
        size = QSize(edge, edge);
    }
    if (selected.isNull() || normal.isNull()) {
        node->setIcon(
            0, CColourDot::Badge(normal.isNull() ? selected : normal, NodeColour(node), size));
        return;
    }
    // One icon with a pixmap per mode: the view paints the Selected mode for
    // the selected node, which gives it its own image.
    QIcon icon;
    icon.addPixmap(normal.pixmap(size), QIcon::Normal);
    icon.addPixmap(selected.pixmap(size), QIcon::Selected);
    node->setIcon(0, CColourDot::Badge(icon, NodeColour(node), size));
}

bool CCategory::eventFilter(QObject* watched, QEvent* event) {
    // A tree that is being destroyed has unwound to a plain widget (and so
    // has the parent of its dying viewport): neither may be read then.
    if (auto* tree = qobject_cast<QTreeWidget*>(watched); tree && tree == mvarTreeView.data()) {
        switch (event->type()) {
        case QEvent::KeyPress:
            mvarKeyboardMove = true;
            break;
        case QEvent::KeyRelease:
        case QEvent::FocusOut:
            mvarKeyboardMove = false;
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }
    auto* owner = qobject_cast<QTreeWidget*>(watched->parent());
    if (!owner || owner != mvarTreeView.data() || watched != owner->viewport())
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress:
        mvarKeyboardMove = false;
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        mvarTreeView_OLEDragOver(drag->position());
        // Only files (or rows of a file list) can be filed under a category;
        // anything else gets the platform's "no drop" pointer.
        if (HoldsLocalFiles(drag->mimeData()))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::DragLeave:
        // Leaving keeps the highlight: it marks where the files would go.
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (mvarTreeView_OLEDragDrop(drop->mimeData()))
            drop->acceptProposedAction();
        else
            drop->ignore();
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void CCategory::mvarTreeView_NodeClick(QTreeWidgetItem* Node) {
    if (!Node)
        return;
    qint32 id = 0;
    try {
        id = BM_Library::KeyToID(NodeKey(Node));
    } catch (const CError&) {
        // Only nodes added through Add and Create carry keys, and both take
        // record keys only; a foreign node is not a category.
        return;
    }
    emit OnNodeClick(id, Node);
}

void CCategory::mvarTreeView_OLEDragOver(const QPointF& pos) {
    if (pos.x() == 0.0 || pos.y() == 0.0) {
        setDropHighlight(nullptr);
        return;
    }
    setDropHighlight(mvarTreeView->itemAt(pos.toPoint()));
}

bool CCategory::mvarTreeView_OLEDragDrop(const QMimeData* Data) {
    // A node that names no category (a saved search) files nothing.
    QTreeWidgetItem* target = DropHighlight();
    if (!HoldsLocalFiles(Data) || (target != nullptr && target != Root() && NodeID(target) == 0))
        return false;
    QPointer<CCategory> self(this);
    emit OnDrop(Data, DropHighlight());
    if (self)
        setDropHighlight(nullptr);
    return true;
}

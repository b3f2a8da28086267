#include "CListViewControl.h"

#include "CError.h"
#include "CFileDrag.h"
#include "CFileListModel.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include <algorithm>

namespace {

constexpr int TwipsPerPixel = 15;

bool HoldsLocalFiles(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.cbegin(), urls.cend(), [](const QUrl& u) { return u.isLocalFile(); });
}

} // namespace

CListViewControl::CListViewControl(QWidget* parent)
    : QTreeView(parent), m_model(new CFileListModel(this)) {
    QTreeView::setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false); // the rows sort themselves by the sort properties
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragEnabled(true);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { emit SelectionChange(SelectedCount()); });
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this,
            [this](int logical) { emit ColumnClick(logical + 1); });
}

CListViewControl::~CListViewControl() = default;

CFileListModel* CListViewControl::Model() const {
    return m_model;
}

void CListViewControl::setModel(QAbstractItemModel* model) {
    // Rows, texts and icons all come from the list's own model.
    Q_UNUSED(model);
}

int CListViewControl::ColumnHeaderCount() const {
    return m_model->ColumnHeaderCount();
}

void CListViewControl::AddColumnHeader(const QString& Text, int WidthTwips) {
    m_model->AddColumnHeader(Text);
    const int column = m_model->ColumnHeaderCount() - 1;
    if (WidthTwips > 0)
        header()->resizeSection(column, WidthTwips / TwipsPerPixel);
    updateSortIndicator();
}

void CListViewControl::ClearColumnHeaders() {
    m_model->ClearColumnHeaders();
    updateSortIndicator();
}

int CListViewControl::ListItemCount() const {
    return m_model->RowCount();
}

CListItem CListViewControl::ListItem(int Index) const {
    const quint64 param = m_model->ParamAt(Index - 1);
    return param ? CListItem(const_cast<CListViewControl*>(this), param) : CListItem();
}

CListItem CListViewControl::AddListItem(const QString& Text, int IconIndex) {
    return CListItem(this, m_model->AddRow(Text, IconIndex));
}

void CListViewControl::RemoveListItem(int Index) {
    if (Index < 1 || Index > m_model->RowCount())
        throw CError(0, tr("Index out of bounds: %1 (the list holds %2 rows)")
                            .arg(Index)
                            .arg(m_model->RowCount()));
    m_model->RemoveRow(Index - 1);
}

void CListViewControl::ClearListItems() {
    m_model->ClearRows();
}

CListItem CListViewControl::ItemAt(const QPoint& ViewportPos) const {
    const QModelIndex at = indexAt(ViewportPos);
    return at.isValid() ? ListItem(at.row() + 1) : CListItem();
}

CListItem CListViewControl::SelectedItem() const {
    m_model->Flush();
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return CListItem();
    return ListItem(rows.first().row() + 1);
}

void CListViewControl::setSelectedItem(const CListItem& Item) {
    if (Item.IsEmpty() || Item.ListView() != this) {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    const int position = m_model->PositionOf(Item.Param());
    selectionModel()->setCurrentIndex(m_model->index(position, 0),
                                      QItemSelectionModel::ClearAndSelect |
                                          QItemSelectionModel::Rows);
}

QList<CListItem> CListViewControl::SelectedItems() const {
    m_model->Flush();
    QModelIndexList rows = selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QList<CListItem> items;
    items.reserve(rows.size());
    for (const QModelIndex& row : std::as_const(rows))
        items << ListItem(row.row() + 1);
    return items;
}

int CListViewControl::SelectedCount() const {
    m_model->Flush();
    return int(selectionModel()->selectedRows().size());
}

bool CListViewControl::Sorted() const {
    return m_model->Sorted();
}

void CListViewControl::setSorted(bool Sorted) {
    m_model->setSorted(Sorted);
    updateSortIndicator();
}

int CListViewControl::SortKey() const {
    return m_model->SortKey();
}

void CListViewControl::setSortKey(int Column) {
    m_model->setSortKey(Column);
    updateSortIndicator();
}

int CListViewControl::SortOrder() const {
    return m_model->SortOrder();
}

void CListViewControl::setSortOrder(int Order) {
    m_model->setSortOrder(Order);
    updateSortIndicator();
}

void CListViewControl::updateSortIndicator() {
    const bool shown = m_model->Sorted() && m_model->SortKey() < m_model->ColumnHeaderCount();
    header()->setSortIndicatorShown(shown);
    if (shown)
        header()->setSortIndicator(m_model->SortKey(), m_model->SortOrder() == 0
                                                           ? Qt::AscendingOrder
                                                           : Qt::DescendingOrder);
}

void CListViewControl::keyPressEvent(QKeyEvent* event) {
    const QPersistentModelIndex before = currentIndex();
    QTreeView::keyPressEvent(event);
    const QModelIndex after = currentIndex();
    // Moving to a row with the keyboard chooses it, as a click does.
    if (after.isValid() && after != before && selectionModel()->isRowSelected(after.row()))
        emit ItemClick(ListItem(after.row() + 1));
}

void CListViewControl::keyReleaseEvent(QKeyEvent* event) {
    QTreeView::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit KeyUp(event->key(), event->modifiers());
}

void CListViewControl::mouseReleaseEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && at.isValid())
        emit ItemClick(ListItem(at.row() + 1));
}

bool CListViewControl::Accepts(const QDropEvent* event) const {
    // Rows dropped back onto their own list would only link them to what
    // they are in already.
    if (event->source() == this)
        return false;
    return CFileDrag::IsRowDrag(event->mimeData()) || HoldsLocalFiles(event->mimeData());
}

void CListViewControl::dragEnterEvent(QDragEnterEvent* event) {
    if (Accepts(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CListViewControl::dragMoveEvent(QDragMoveEvent* event) {
    if (Accepts(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CListViewControl::dropEvent(QDropEvent* event) {
    if (!Accepts(event)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit OLEDragDrop(event->mimeData());
}

void CListViewControl::startDrag(Qt::DropActions supportedActions) {
    Q_UNUSED(supportedActions);
    const QList<CListItem> items = SelectedItems();
    if (!m_dragSource || items.isEmpty())
        return;
    QMimeData* data = m_dragSource(items);
    if (data == nullptr)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    // Never a move: a file manager must not carry the documents away.
    drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
}

void CListViewControl::setEmptyText(const QString& Text) {
    m_emptyText = Text;
    viewport()->update();
}

void CListViewControl::paintEvent(QPaintEvent* event) {
    QTreeView::paintEvent(event);
    if (m_emptyText.isEmpty() || model() == nullptr || model()->rowCount() > 0)
        return;
    // Dimmed as a placeholder is, below the headers, wrapped to the width.
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const int margin = fontMetrics().height();
    painter.drawText(viewport()->rect().adjusted(margin, margin, -margin, -margin),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, m_emptyText);
}

#pragma once

#include "CListItem.h"

#include <QList>
#include <QMimeData>
#include <QTreeView>

#include <functional>

class CFileListModel;

// The list control the file lists are shown in: a report-style list of rows
// with column headers, any number of selected rows (Ctrl/Shift+click,
// Shift+arrows, Ctrl+A), its own sort properties and
// the events the file list listens to. Fast at 100,000 rows (uniform row
// heights, rows in a vector model).
//
// Set up by the window: make it, name it (setObjectName), add its column
// headers, then hand it to CFileListView::Create together with a CMsghook.
class CListViewControl : public QTreeView {
    Q_OBJECT

public:
    explicit CListViewControl(QWidget* parent = nullptr);
    ~CListViewControl() override;

    CFileListModel* Model() const;

    // Column headers; widths in twips (15 per device-independent pixel).
    int ColumnHeaderCount() const;
    void AddColumnHeader(const QString& Text, int WidthTwips);
    void ClearColumnHeaders();

    // Rows (1-based indexes in the shown order).
    int ListItemCount() const;
    CListItem ListItem(int Index) const; // empty when out of range
    CListItem AddListItem(const QString& Text, int IconIndex);
    void RemoveListItem(int Index); // throws CError when out of range
    void ClearListItems();
    CListItem ItemAt(const QPoint& ViewportPos) const; // empty on empty space

    // The selected row, empty when none; an empty item clears the selection.
    // With several rows selected it is the one selected first.
    CListItem SelectedItem() const;
    void setSelectedItem(const CListItem& Item);
    // Every selected row, in the shown order, and their number.
    QList<CListItem> SelectedItems() const;
    int SelectedCount() const;

    // Makes the data of a drag of these rows out of the list; without it the
    // rows cannot be dragged.
    using DragSource = std::function<QMimeData*(const QList<CListItem>& Items)>;
    void setDragSource(DragSource Source) { m_dragSource = std::move(Source); }
    // What an empty list says in its middle (what to do to fill it); empty:
    // nothing.
    QString EmptyText() const { return m_emptyText; }
    void setEmptyText(const QString& Text);

    // Sort properties: Sorted keeps the rows sorted by column SortKey
    // (0 = first column) in SortOrder (0 ascending, 1 descending).
    bool Sorted() const;
    void setSorted(bool Sorted);
    int SortKey() const;
    void setSortKey(int Column);
    int SortOrder() const;
    void setSortOrder(int Order);

    // The list keeps its own model for life: nothing can replace the rows or
    // their icons, so a call with another model is ignored.
    void setModel(QAbstractItemModel* model) override;

signals:
    void ItemClick(CListItem Item);                       // a row clicked or chosen by key
    void KeyUp(int KeyCode, Qt::KeyboardModifiers Shift); // Qt key code
    void OLEDragDrop(const QMimeData* Data);              // a drop of local files
    void ColumnClick(int Index);                          // 1-based column header index
    void SelectionChange(int Count);                      // rows selected now

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void updateSortIndicator();
    bool Accepts(const QDropEvent* event) const;

    CFileListModel* m_model;
    DragSource m_dragSource;
    QString m_emptyText;
};

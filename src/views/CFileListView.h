#pragma once

#include "CListItem.h"

#include <QList>
#include <QMimeData>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <utility>

class CContextMenu;
class CListViewControl;
class CMsghook;
class CSortListView;
class QContextMenuEvent;
class QEvent;

// Drives one list of documents. Every row stands for one shortcut file: it
// shows the file name of the shortcut's target with the icon of the document's
// type and the further column texts the owner gives; the object keeps the
// shortcut's path for every row (the path table), so the context menu and
// opening work on it. Rows are searched by name (Find, FindNext, F3). Clicks on
// rows and drops on the list are passed on to the owner.
//
//   auto* list = new CListViewControl(window);  // name it, add column headers
//   auto* hook = new CMsghook(window);
//   CFileListView view;  view.Create(list, hook);
//   QVariantList values{shortcutPath, sizeText, dateText};
//   CListItem item = view.AddItem(values);      // values is empty afterwards
//   item.setKey(BM_Library::MakeKey(id));  item.setTag(shortcutPath);
//
// Rows are identified towards the owner by their 1-based index in the shown
// (sorted) order, or by a CListItem handle, which survives re-sorting.
class CFileListView : public QObject {
    Q_OBJECT

public:
    explicit CFileListView(QObject* parent = nullptr);
    ~CFileListView() override;

    // Clears the selection, when there is one.
    void UnselectListItem();
    qint32 ColumnCount() const;
    qint32 Count() const;
    // Removes all rows and path-table entries and the selection.
    void Clear();
    // Selects the first row from the top whose text contains S (case, width
    // and kana ignored) and scrolls it into view; without a match nothing
    // changes. FindNext makes it start after the selected row instead.
    void Find(const QString& S);
    // Removes the row with that 1-based index (its path-table entry stays);
    // throws CError when out of range.
    void Delete(qint32 Index);
    // Adds a row from Collects (shortcut path first, then the further column
    // texts in column order) and empties Collects. Throws CError when empty.
    CListItem AddItem(QVariantList& Collects);
    // Adds a row for the shortcut file at FilePath: text is the file name of
    // its target (empty for a path that is not a shortcut), icon by the
    // document's type. Throws CError for an unreadable shortcut.
    CListItem Add(const QString& FilePath);
    // Adds a row for the shortcut at FilePath whose document is known from
    // stored facts: nothing is read from the disk. Size and Modified (st_mtim
    // in nanoseconds, -1 when unknown) are what the list sorts by; a Missing
    // row is shown dimmed.
    CListItem AddKnown(const QString& FilePath, const QString& DocumentPath,
                       const QStringList& Texts, qint64 Size, qint64 Modified, bool Missing);
    // AddKnown for many rows at once, each with its key; the shortcut path
    // is also the row's tag. A row without texts has them made from Size and
    // Modified by the model's fact text source when they are first shown.
    // The rows' params follow one another: the first is returned (0 for no
    // rows).
    struct KnownRow {
        QString filePath;
        QString documentPath;
        QStringList texts;
        qint64 size = 0;
        qint64 modified = 0;
        bool missing = false;
        qint32 fileID = 0; // the row's key is the document's
    };
    quint64 AddKnownRows(const QList<KnownRow>& Rows);
    // Room for Count more rows, made once before they come in runs.
    void ReserveRows(qsizetype Count);
    // Fresh numbers for the sorting of a row (see AddKnown); the texts come
    // with the model's UpdateRows.
    void setDocumentFacts(quint64 Param, qint64 Size, qint64 Modified);
    // Binds the object to its list and hook; called once, before any other
    // member.
    void Create(CListViewControl* objListView, CMsghook* objMsghook);
    // Repeats the last search from the row after the selected one (or from
    // the first row when nothing is selected); never wraps around.
    void FindNext();

    // The bound list and hook, the sorter and the context menu.
    CListViewControl* ListView() const;
    CMsghook* Msghook() const;
    CSortListView* SortListView() const;
    CContextMenu* ContextMenu() const;

    // Rows: by 1-based index (empty when out of range), the selected row
    // (empty when none), the row's key and tag.
    CListItem Item(qint32 Index) const;
    CListItem SelectedItem() const;
    QString Key(qint32 Index) const;
    QString Tag(qint32 Index) const;

    // The path table: the shortcut path kept for a row (empty when none), and
    // the number of entries.
    QString FilePath(const CListItem& Item) const;

    // Every selected row in the shown order, and their number.
    QList<CListItem> SelectedItems() const;
    qint32 SelectedCount() const;

    // What a drag of these rows carries: their file IDs for Vollo itself and
    // their documents' real paths for other programs.
    QMimeData* MimeData(const QList<CListItem>& Items) const;

    // Whether the list shows one category, so that Delete and the menu's
    // command take the selected rows out of it (OnRemoveFromCategory).
    bool CategoryRemovable() const;
    void setCategoryRemovable(bool Removable);

    // Opens the document of the row with that 0-based position (as a double
    // click on it does); returns whether it was handed to an application.
    bool OpenItem(qint32 Position);

signals:
    void OnItemClick(CListItem Item);
    // Something was dropped on the list; Data is passed on as it came.
    void OnDrop(const QMimeData* Data);
    // The number of selected rows changed.
    void OnSelectionChange(qint32 Count);
    // The user asked to take these rows out of the list's category.
    void OnRemoveFromCategory(const QList<CListItem>& Items);

private slots:
    void mvarListView_ItemClick(const CListItem& Item);
    void mvarListView_KeyUp(int KeyCode, Qt::KeyboardModifiers Shift);
    void mvarListView_OLEDragDrop(const QMimeData* Data);
    void mvarMsghook_OnMessage(QObject* Target, QEvent* Event, bool* Handled);
    void mvarContextMenu_OnShortcutDeleted(const QString& FilePath);
    void mvarContextMenu_OnRemoveFromCategory();

private:
    // The size (column 1) or modification time (column 2) of the row's
    // document, as the list sorts by them; -1 when it cannot be read.
    qint64 DocumentFact(quint64 param, int column) const;
    QString PathOf(quint64 Param) const;
    void ReleaseSortValues();
    void ShowMenuFor(const CListItem& Item, const QPoint& GlobalPos);
    // The Delete key on the selected rows.
    void DeleteSelected();
    // The menu of the row under the pointer, or of the selected row when
    // the menu key asked.
    void ShowContextMenu(const QContextMenuEvent* menuEvent, bool onViewport);

    QPointer<CListViewControl> mvarListView;
    QPointer<CMsghook> mvarMsghook;
    bool mvarFindNext = false;
    qint32 mvarFindStart = 0;
    QString mvarFindText;
    CContextMenu* mvarContextMenu;
    CSortListView* mvarSortListView = nullptr;
    QList<CListItem> mvarMenuItems; // the rows the open menu was built for
};

#include "CFileListView.h"

#include "BM_Library.h"
#include "CContextMenu.h"
#include "CError.h"
#include "CFileDrag.h"
#include "CFileListModel.h"
#include "CListViewControl.h"
#include "CMsghook.h"
#include "CSortListView.h"
#include "SM_Shell.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include <sys/stat.h>

namespace {

// The columns the owner fills with a document's size and date texts.
constexpr int SizeColumn = 1;
constexpr int DateColumn = 2;

// The events the list's hook delivers to this object.
constexpr QEvent::Type HookedEvents[] = {QEvent::MouseButtonPress, QEvent::ContextMenu,
                                         QEvent::MouseButtonDblClick, QEvent::KeyPress};

} // namespace

CFileListView::CFileListView(QObject* parent)
    : QObject(parent), mvarContextMenu(new CContextMenu(this)) {
    connect(mvarContextMenu, &CContextMenu::OnShortcutDeleted, this,
            &CFileListView::mvarContextMenu_OnShortcutDeleted);
    connect(mvarContextMenu, &CContextMenu::OnRemoveFromCategory, this,
            &CFileListView::mvarContextMenu_OnRemoveFromCategory);
}

CFileListView::~CFileListView() {
    if (mvarMsghook) {
        mvarMsghook->setHwndHook(nullptr);
        for (QEvent::Type type : HookedEvents)
            mvarMsghook->setMessage(type, false);
    }
    if (mvarListView) {
        ReleaseSortValues();
        mvarListView->ClearListItems();
        mvarListView->ClearColumnHeaders();
    }
}

void CFileListView::ReleaseSortValues() {
    // The list may outlive this object; it must not ask it any more.
    for (int column : {SizeColumn, DateColumn})
        mvarListView->Model()->setSortValueSource(column, {});
}

void CFileListView::Create(CListViewControl* objListView, CMsghook* objMsghook) {
    if (mvarListView) {
        disconnect(mvarListView, nullptr, this, nullptr);
        ReleaseSortValues();
    }
    if (mvarMsghook)
        disconnect(mvarMsghook, nullptr, this, nullptr);
    mvarListView = objListView;
    mvarMsghook = objMsghook;
    if (!objListView)
        throw CError(0, tr("The file list has no list to show its rows in"));
    connect(objListView, &CListViewControl::ItemClick, this,
            &CFileListView::mvarListView_ItemClick);
    connect(objListView, &CListViewControl::KeyUp, this, &CFileListView::mvarListView_KeyUp);
    connect(objListView, &CListViewControl::OLEDragDrop, this,
            &CFileListView::mvarListView_OLEDragDrop);
    connect(objListView, &CListViewControl::SelectionChange, this,
            &CFileListView::OnSelectionChange);
    objListView->setDragSource([this](const QList<CListItem>& Items) { return MimeData(Items); });
    objListView->setFrameShape(QFrame::NoFrame);

    if (objMsghook) {
        connect(objMsghook, &CMsghook::OnMessage, this, &CFileListView::mvarMsghook_OnMessage);
        objMsghook->setHwndHook(objListView);
        for (QEvent::Type type : HookedEvents)
            objMsghook->setMessage(type, true);
    }
    mvarContextMenu->Create(SM_Shell::TopLevelWindow(objListView));
    if (objListView->accessibleName().isEmpty())
        objListView->setAccessibleName(tr("ファイル一覧"));
    objListView->Model()->setSortValueSource(
        SizeColumn, [this](quint64 param) { return DocumentFact(param, SizeColumn); });
    objListView->Model()->setSortValueSource(
        DateColumn, [this](quint64 param) { return DocumentFact(param, DateColumn); });
    if (!mvarSortListView)
        mvarSortListView = new CSortListView(this);
    mvarSortListView->Create(objListView);
}

qint64 CFileListView::DocumentFact(quint64 param, int column) const {
    qint64 size = 0;
    qint64 modified = 0;
    if (mvarListView && mvarListView->Model()->FactsOf(param, &size, &modified))
        return column == SizeColumn ? size : modified;
    // Asked only when the list is sorted by the column, once per row: a fill
    // costs no more than before.
    QString document;
    try {
        document = SM_Shell::DocumentPath(PathOf(param));
    } catch (const CError&) {
        return -1; // an unreadable shortcut sorts before every document
    }
    struct stat st {};
    const QByteArray native = QFile::encodeName(document);
    if (native.isEmpty() || ::lstat(native.constData(), &st) != 0)
        return -1;
    if (column == SizeColumn)
        return qint64(st.st_size);
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

void CFileListView::UnselectListItem() {
    if (!mvarListView)
        return;
    CListItem selected = mvarListView->SelectedItem();
    if (!selected.IsEmpty()) {
        selected.setSelected(false);
        mvarListView->setSelectedItem(CListItem());
    }
}

qint32 CFileListView::ColumnCount() const {
    return mvarListView ? mvarListView->ColumnHeaderCount() : 0;
}

qint32 CFileListView::Count() const {
    return mvarListView ? mvarListView->ListItemCount() : 0;
}

void CFileListView::Clear() {
    if (!mvarListView)
        return;
    mvarListView->setSelectedItem(CListItem());
    mvarListView->ClearListItems();
}

void CFileListView::Find(const QString& S) {
    const qint32 start = mvarFindNext ? mvarFindStart : 1;
    mvarFindNext = false;
    mvarFindText = S;
    if (!mvarListView)
        return;
    const int position = mvarListView->Model()->FindRow(S, start - 1);
    if (position < 0)
        return;
    const CListItem found = mvarListView->ListItem(position + 1);
    mvarListView->setSelectedItem(found);
    found.EnsureVisible();
}

void CFileListView::Delete(qint32 Index) {
    if (!mvarListView)
        throw CError(0, tr("The file list is not bound to a list"));
    mvarListView->RemoveListItem(Index);
}

CListItem CFileListView::AddItem(QVariantList& Collects) {
    if (Collects.isEmpty())
        throw CError(0, tr("No values were given for the new row"));
    CListItem item = Add(Collects.first().toString());
    for (qsizetype i = 1; i < Collects.size(); ++i)
        item.setSubItems(qint32(i), Collects.at(i).toString());
    BM_Library::ClearCollection(Collects);
    return item;
}

CListItem CFileListView::Add(const QString& FilePath) {
    if (!mvarListView)
        throw CError(0, tr("The file list is not bound to a list"));
    QString target;
    QString text;
    try {
        target = BM_Library::ShortcutTarget(FilePath);
        text = BM_Library::FileNameOf(target);
    } catch (const CError&) {
        // A shortcut that is gone with its folder still shows by its own
        // name; one that is there but cannot be read is an error.
        if (BM_Library::FileExists(FilePath))
            throw;
        text = BM_Library::RemoveExtension(BM_Library::FileNameOf(FilePath));
    }
    // A shortcut shows its document's icon; any other file its own.
    const int icon = SM_Shell::DocumentIconIndex(target.isEmpty() ? FilePath : target);
    CListItem item = mvarListView->AddListItem(text, icon);
    mvarListView->Model()->setPathOf(item.Param(), FilePath);
    return item;
}

CListItem CFileListView::AddKnown(const QString& FilePath, const QString& DocumentPath,
                                  const QStringList& Texts, qint64 Size, qint64 Modified,
                                  bool Missing) {
    if (!mvarListView)
        throw CError(0, tr("The file list is not bound to a list"));
    CListItem item = mvarListView->AddListItem(BM_Library::FileNameOf(DocumentPath),
                                               SM_Shell::DocumentIconIndex(DocumentPath));
    mvarListView->Model()->setPathOf(item.Param(), FilePath);
    mvarListView->Model()->setFactsOf(item.Param(), Size, Modified);
    for (qsizetype i = 0; i < Texts.size(); ++i)
        item.setSubItems(qint32(i + 1), Texts.at(i));
    if (Missing)
        mvarListView->Model()->setMissingOf(item.Param(), true);
    return item;
}

quint64 CFileListView::AddKnownRows(const QList<KnownRow>& Rows) {
    if (!mvarListView)
        throw CError(0, tr("The file list is not bound to a list"));
    QList<CFileListModel::NewRow> rows;
    rows.reserve(Rows.size());
    for (const KnownRow& known : Rows) {
        QString name = BM_Library::FileNameOf(known.documentPath);
        const int icon = SM_Shell::DocumentIconIndexOfName(name);
        // The file's path is both the row's tag and its path: one string.
        rows.append({std::move(name), icon, known.texts,
                     known.fileID < 0 ? BM_Library::MakeKey(known.fileID) : QString(),
                     known.filePath, known.missing, known.texts.isEmpty(), known.size,
                     known.modified, known.filePath, true, known.fileID});
    }
    return mvarListView->Model()->AddRows(std::move(rows));
}

void CFileListView::ReserveRows(qsizetype Count) {
    if (mvarListView)
        mvarListView->Model()->ReserveRows(Count);
}

void CFileListView::setDocumentFacts(quint64 Param, qint64 Size, qint64 Modified) {
    if (mvarListView)
        mvarListView->Model()->setFactsOf(Param, Size, Modified);
}

QString CFileListView::PathOf(quint64 Param) const {
    return mvarListView ? mvarListView->Model()->PathOf(Param) : QString();
}

void CFileListView::FindNext() {
    mvarFindNext = true;
    const CListItem selected = SelectedItem();
    mvarFindStart = selected.IsEmpty() ? 1 : selected.Index() + 1;
    Find(mvarFindText);
}

CListViewControl* CFileListView::ListView() const {
    return mvarListView;
}

CMsghook* CFileListView::Msghook() const {
    return mvarMsghook;
}

CSortListView* CFileListView::SortListView() const {
    return mvarSortListView;
}

CContextMenu* CFileListView::ContextMenu() const {
    return mvarContextMenu;
}

CListItem CFileListView::Item(qint32 Index) const {
    return mvarListView ? mvarListView->ListItem(Index) : CListItem();
}

CListItem CFileListView::SelectedItem() const {
    return mvarListView ? mvarListView->SelectedItem() : CListItem();
}

QString CFileListView::Key(qint32 Index) const {
    return Item(Index).Key();
}

QString CFileListView::Tag(qint32 Index) const {
    return Item(Index).Tag();
}

QString CFileListView::FilePath(const CListItem& Item) const {
    if (Item.IsEmpty() || Item.ListView() != mvarListView)
        return QString();
    return PathOf(Item.Param());
}

bool CFileListView::OpenItem(qint32 Position) {
    if (!mvarListView)
        return false;
    const QString path = FilePath(mvarListView->ListItem(Position + 1));
    if (path.isEmpty())
        return false;
    return SM_Shell::OpenDocument(path, SM_Shell::TopLevelWindow(mvarListView));
}

void CFileListView::mvarListView_ItemClick(const CListItem& Item) {
    emit OnItemClick(Item);
}

void CFileListView::mvarListView_KeyUp(int KeyCode, Qt::KeyboardModifiers Shift) {
    Q_UNUSED(Shift);
    if (KeyCode == Qt::Key_F3)
        FindNext();
}

void CFileListView::mvarListView_OLEDragDrop(const QMimeData* Data) {
    emit OnDrop(Data);
}

void CFileListView::mvarMsghook_OnMessage(QObject* Target, QEvent* Event, bool* Handled) {
    if (!mvarListView)
        return;
    const bool onViewport = Target == mvarListView->viewport();
    switch (Event->type()) {
    case QEvent::MouseButtonPress: {
        // A right-click on empty space is not the list's business at all: the
        // selection stays as it is.
        const auto* mouse = static_cast<QMouseEvent*>(Event);
        if (onViewport && mouse->button() == Qt::RightButton &&
            mvarListView->ItemAt(mouse->position().toPoint()).IsEmpty())
            *Handled = true;
        break;
    }
    case QEvent::ContextMenu:
        *Handled = true;
        ShowContextMenu(static_cast<QContextMenuEvent*>(Event), onViewport);
        break;
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(Event);
        if (onViewport && mouse->button() == Qt::LeftButton) {
            const CListItem item = mvarListView->ItemAt(mouse->position().toPoint());
            if (!item.IsEmpty())
                OpenItem(item.Index() - 1);
        }
        break;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(Event);
        if (!onViewport && key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            *Handled = true;
            DeleteSelected();
        } else if (!onViewport && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            const QModelIndex current = mvarListView->currentIndex();
            if (current.isValid() && mvarListView->selectionModel()->isRowSelected(current.row()))
                OpenItem(current.row());
        }
        break;
    }
    default:
        break;
    }
}

void CFileListView::ShowContextMenu(const QContextMenuEvent* menuEvent, bool onViewport) {
    CListItem item;
    QPoint globalPos = menuEvent->globalPos();
    if (menuEvent->reason() == QContextMenuEvent::Mouse) {
        const QPoint local =
            onViewport ? menuEvent->pos()
                       : mvarListView->viewport()->mapFrom(mvarListView, menuEvent->pos());
        item = mvarListView->ItemAt(local);
    } else {
        item = mvarListView->SelectedItem();
        if (!item.IsEmpty()) {
            const QRect rect =
                mvarListView->visualRect(mvarListView->Model()->index(item.Index() - 1, 0));
            globalPos = mvarListView->viewport()->mapToGlobal(rect.center());
        }
    }
    ShowMenuFor(item, globalPos);
}

void CFileListView::mvarContextMenu_OnShortcutDeleted(const QString& FilePath) {
    // The row of a deleted shortcut goes at once; the repository lets go of
    // the file on the next refill, as for any vanished shortcut.
    if (!mvarListView)
        return;
    for (qint32 i = mvarListView->ListItemCount(); i >= 1; --i) {
        const CListItem item = mvarListView->ListItem(i);
        if (PathOf(item.Param()) == FilePath)
            mvarListView->RemoveListItem(i);
    }
}

void CFileListView::DeleteSelected() {
    const QList<CListItem> items = SelectedItems();
    if (items.isEmpty())
        return;
    // A category's list takes the rows out of the category; the list of all
    // files can only let go of their shortcuts, as its menu does.
    if (mvarContextMenu->RemoveFromCategory()) {
        emit OnRemoveFromCategory(items);
        return;
    }
    QStringList paths;
    for (const CListItem& row : items) {
        const QString path = FilePath(row);
        if (!path.isEmpty())
            paths << path;
    }
    if (!paths.isEmpty())
        mvarContextMenu->DeleteShortcuts(paths.join(QChar(0)));
}

void CFileListView::ShowMenuFor(const CListItem& Item, const QPoint& GlobalPos) {
    if (FilePath(Item).isEmpty())
        return;
    // A row of the selection stands for all of it; any other row for itself.
    mvarMenuItems = Item.Selected() ? SelectedItems() : QList<CListItem>{Item};
    QStringList paths;
    for (const CListItem& row : std::as_const(mvarMenuItems)) {
        const QString path = FilePath(row);
        if (!path.isEmpty())
            paths << path;
    }
    mvarContextMenu->ShowMenuAt(paths.join(QChar(0)), GlobalPos);
}

void CFileListView::mvarContextMenu_OnRemoveFromCategory() {
    QList<CListItem> items;
    for (const CListItem& row : std::as_const(mvarMenuItems)) {
        if (!row.IsEmpty())
            items << row;
    }
    if (!items.isEmpty())
        emit OnRemoveFromCategory(items);
}

QList<CListItem> CFileListView::SelectedItems() const {
    return mvarListView ? mvarListView->SelectedItems() : QList<CListItem>();
}

qint32 CFileListView::SelectedCount() const {
    return mvarListView ? mvarListView->SelectedCount() : 0;
}

bool CFileListView::CategoryRemovable() const {
    return mvarContextMenu->RemoveFromCategory();
}

void CFileListView::setCategoryRemovable(bool Removable) {
    mvarContextMenu->setRemoveFromCategory(Removable);
}

QMimeData* CFileListView::MimeData(const QList<CListItem>& Items) const {
    QList<qint32> ids;
    QStringList documents;
    for (const CListItem& item : Items) {
        try {
            if (!item.Key().isEmpty())
                ids << BM_Library::KeyToID(item.Key());
        } catch (const CError&) {
            // A row without a record key links nothing; its document still goes.
        }
        try {
            documents << SM_Shell::DocumentPath(FilePath(item));
        } catch (const CError&) {
            // An unreadable shortcut has no document to offer.
        }
    }
    return CFileDrag::Make(ids, documents);
}

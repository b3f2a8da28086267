#include "CFileListViews.h"

#include "CError.h"

// The control first: the file list's header only declares it.
#include "CListViewControl.h"

#include "CFileListView.h"

CFileListViews::CFileListViews(QObject* parent) : QObject(parent) {}

CFileListViews::~CFileListViews() {
    mvarFileListView = nullptr;
    qDeleteAll(mvarItems);
}

void CFileListViews::Create() {
    mvarFileListView = nullptr;
    const QList<CFileListView*> old = mvarItems;
    mvarItems.clear();
    mvarKeys.clear();
    for (CFileListView* list : old)
        list->deleteLater();
    mvarCreated = true;
}

CFileListView* CFileListViews::Add(CListViewControl* objListView, CMsghook* objMsghook,
                                   const QString& Key) {
    RequireCreated(QStringLiteral("Add"));
    if (!Key.isEmpty() && PositionOf(Key) >= 0)
        throw CError(QStringLiteral("CFileListViews.Add: a file list with the key \"%1\" is "
                                    "already in the collection.")
                         .arg(Key));
    auto* list = new CFileListView(this);
    try {
        list->Create(objListView, objMsghook);
    } catch (...) {
        delete list;
        throw;
    }
    mvarItems.append(list);
    mvarKeys.append(Key);
    Subscribe(list);
    return list;
}

CFileListView* CFileListViews::Item(const QString& Key) const {
    RequireCreated(QStringLiteral("Item"));
    const qint32 position = PositionOf(Key);
    if (position < 0)
        throw CError(
            QStringLiteral("CFileListViews.Item: no file list has the key \"%1\".").arg(Key));
    return mvarItems.at(position);
}

CFileListView* CFileListViews::Item(qint32 Index) const {
    RequireCreated(QStringLiteral("Item"));
    if (Index < 1 || Index > mvarItems.size())
        throw CError(QStringLiteral("CFileListViews.Item: there is no file list at position "
                                    "%1 (the collection holds %2).")
                         .arg(Index)
                         .arg(mvarItems.size()));
    return mvarItems.at(Index - 1);
}

qint32 CFileListViews::Count() const {
    return qint32(mvarItems.size());
}

void CFileListViews::Remove(const QString& Key) {
    RequireCreated(QStringLiteral("Remove"));
    const qint32 position = PositionOf(Key);
    if (position < 0)
        throw CError(
            QStringLiteral("CFileListViews.Remove: no file list has the key \"%1\".").arg(Key));
    RemoveAt(position);
}

void CFileListViews::Remove(qint32 Index) {
    RequireCreated(QStringLiteral("Remove"));
    if (Index < 1 || Index > mvarItems.size())
        throw CError(QStringLiteral("CFileListViews.Remove: there is no file list at position "
                                    "%1 (the collection holds %2).")
                         .arg(Index)
                         .arg(mvarItems.size()));
    RemoveAt(Index - 1);
}

void CFileListViews::RemoveAt(qint32 position) {
    CFileListView* list = mvarItems.takeAt(position);
    mvarKeys.removeAt(position);
    if (list == mvarFileListView) {
        disconnect(list, nullptr, this, nullptr);
        mvarFileListView = nullptr;
    }
    list->deleteLater();
}

CFileListView* CFileListViews::SelectItem(const QString& Key) {
    CFileListView* list = Item(Key);
    Subscribe(list);
    list->UnselectListItem();
    mvarSelectedKey = Key;
    return list;
}

void CFileListViews::Subscribe(CFileListView* list) {
    if (mvarFileListView == list)
        return;
    if (mvarFileListView)
        disconnect(mvarFileListView, nullptr, this, nullptr);
    mvarFileListView = list;
    connect(list, &CFileListView::OnDrop, this, &CFileListViews::mvarFileListView_OnDrop);
    connect(list, &CFileListView::OnItemClick, this, &CFileListViews::mvarFileListView_OnItemClick);
    connect(list, &CFileListView::OnSelectionChange, this,
            &CFileListViews::mvarFileListView_OnSelectionChange);
    connect(list, &CFileListView::OnRemoveFromCategory, this,
            &CFileListViews::mvarFileListView_OnRemoveFromCategory);
}

void CFileListViews::mvarFileListView_OnDrop(const QMimeData* Data) {
    emit OnDrop(mvarSelectedKey, Data);
}

void CFileListViews::mvarFileListView_OnItemClick(const CListItem& Item) {
    emit OnItemClick(Item);
}

void CFileListViews::mvarFileListView_OnSelectionChange(qint32 Count) {
    emit OnSelectionChange(Count);
}

void CFileListViews::mvarFileListView_OnRemoveFromCategory(const QList<CListItem>& Items) {
    emit OnRemoveFromCategory(mvarSelectedKey, Items);
}

void CFileListViews::RequireCreated(const QString& operation) const {
    if (!mvarCreated)
        throw CError(QStringLiteral("CFileListViews.%1: the collection has not been made; "
                                    "Create must run first.")
                         .arg(operation));
}

qint32 CFileListViews::PositionOf(const QString& Key) const {
    if (Key.isEmpty())
        return -1;
    return qint32(mvarKeys.indexOf(Key));
}

#include "CSortListView.h"

#include "CListViewControl.h"

CSortListView::CSortListView(QObject* parent) : QObject(parent) {}

CSortListView::~CSortListView() = default;

void CSortListView::Create(CListViewControl* AListView) {
    if (mvarListView)
        disconnect(mvarListView, nullptr, this, nullptr);
    mvarListView = AListView;
    if (!AListView)
        return;
    connect(AListView, &CListViewControl::ColumnClick, this,
            &CSortListView::mvarListView_ColumnClick);
    if (AListView->ColumnHeaderCount() > 0)
        AListView->setSorted(true);
}

CListViewControl* CSortListView::ListView() const {
    return mvarListView;
}

void CSortListView::mvarListView_ColumnClick(int Index) {
    if (!mvarListView)
        return;
    if (mvarListView->SortKey() == Index - 1) {
        mvarListView->setSortOrder(mvarListView->SortOrder() == 0 ? 1 : 0);
    } else {
        mvarListView->setSortKey(Index - 1);
        mvarListView->setSortOrder(0);
    }
    const CListItem selected = mvarListView->SelectedItem();
    if (!selected.IsEmpty() && selected.Selected())
        selected.EnsureVisible();
    emit OnColumnClick(Index);
}

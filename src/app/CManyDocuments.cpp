#include "CManyDocuments.h"

#include "CCategoryFormFeed.h"
#include "CCategoryLinks.h"
#include "CFileDrag.h"
#include "CFileListView.h"
#include "FormCategory.h"

#include <QCoreApplication>

CManyDocuments::CManyDocuments(CCategoryLinks& Links) : m_links(Links) {}

QString CManyDocuments::CountText(qint32 count) {
    return QCoreApplication::translate("FormMain", "%Ln 個のファイル", nullptr, count);
}

QString CManyDocuments::SelectionText(qint32 count, qint32 selected) {
    return CountText(count) +
           QCoreApplication::translate("FormMain", "（%L1 個を選択）").arg(selected);
}

QString CManyDocuments::StatusOf(const CFileListView& list) {
    const qint32 selected = list.SelectedCount();
    return selected > 0 ? SelectionText(list.Count(), selected) : CountText(list.Count());
}

void CManyDocuments::FeedCategoryForm(const CFileListView& list, FormCategory* Form) {
    if (list.SelectedCount() > 1 && Form != nullptr && Form->IsLoaded())
        CCategoryFormFeed::Feed(m_links, *Form, CCategoryFormFeed::FileIDsOf(list.SelectedItems()));
}

bool CManyDocuments::LinkDraggedRows(const QMimeData* Data, qint32 TagID) {
    // Rows of a list are documents Vollo holds already: linked, never
    // collected again.
    if (!CFileDrag::IsRowDrag(Data))
        return false;
    m_links.LinkFiles(CFileDrag::FileIDs(Data), TagID);
    return true;
}

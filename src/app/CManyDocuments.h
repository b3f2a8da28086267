#pragma once

#include <QString>

class CCategoryLinks;
class CFileListView;
class FormCategory;
class QMimeData;

// Many documents at once, as the window shows them: a selection's count on
// the status line and its categories in the dialog, and the rows of a drag
// linked to a category instead of collected again. The links themselves are
// CCategoryLinks's.
class CManyDocuments {
public:
    explicit CManyDocuments(CCategoryLinks& Links);

    // "N 個のファイル" for a list of count rows.
    static QString CountText(qint32 count);
    // The count of a list with the count of its selected rows beside it.
    static QString SelectionText(qint32 count, qint32 selected);

    // The status text of a selection other than one row.
    static QString StatusOf(const CFileListView& list);
    // A selection of more than one row: a loaded dialog shows the categories
    // the rows carry.
    void FeedCategoryForm(const CFileListView& list, FormCategory* Form);
    // Links the documents of a row drag to TagID; false when Data carries
    // no rows (files to collect instead).
    bool LinkDraggedRows(const QMimeData* Data, qint32 TagID);

private:
    CCategoryLinks& m_links;
};

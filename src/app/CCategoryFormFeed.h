#pragma once

#include "CListViewControl.h" // CListItem compares its list by type

#include <QList>

class CCategoryLinks;
class FormCategory;

// The category dialog fed from a selection of list rows; the counting itself
// is CCategoryLinks's, shared with the command line.
class CCategoryFormFeed {
public:
    // Shows the files in the dialog: the count in the label, the categories
    // as checked, grayed or unchecked.
    static void Feed(CCategoryLinks& Links, FormCategory& Form, const QList<qint32>& FileIDs);

    // The file IDs of list rows, in their order; rows without key are left out.
    static QList<qint32> FileIDsOf(const QList<CListItem>& Items);
};

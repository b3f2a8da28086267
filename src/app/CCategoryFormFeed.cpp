#include "CCategoryFormFeed.h"

#include "BM_Library.h"
#include "CBusyIndicator.h"
#include "CCategoryLinks.h"
#include "CCheckListView.h"
#include "FormCategory.h"

#include <QSet>

void CCategoryFormFeed::Feed(CCategoryLinks& Links, FormCategory& Form,
                             const QList<qint32>& FileIDs) {
    CBusyIndicator busy;
    const QSet<qint32> unique(FileIDs.cbegin(), FileIDs.cend());
    Form.setFilePath(FormCategory::SelectionText(qint32(unique.size())));
    Form.setFileIDs(FileIDs);
    Form.Unfreeze();
    if (!Form.IsLoaded())
        Form.Load();
    QList<qint32> tags;
    for (QTreeWidgetItem* row : Form.CheckListView()->ListItems())
        tags << BM_Library::KeyToID(CCheckListView::Key(row));
    Form.SetCategoryCounts(Links.CountTags(QList<qint32>(unique.cbegin(), unique.cend()), tags),
                           qint32(unique.size()));
}

QList<qint32> CCategoryFormFeed::FileIDsOf(const QList<CListItem>& Items) {
    QList<qint32> ids;
    ids.reserve(Items.size());
    for (const CListItem& item : Items) {
        const QString key = item.Key();
        if (!key.isEmpty())
            ids << BM_Library::KeyToID(key);
    }
    return ids;
}

#include "CDocumentMoves.h"

#include "BM_Library.h"
#include "CFileFacts.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CListViewControl.h"
#include "CMoveFollower.h"
#include "CMoveRepair.h"
#include "CVolloDB.h"
#include "SM_Shell.h"

using namespace BM_Library;

CDocumentMoves::CDocumentMoves(CVolloDB& repository, CMoveFollower& Follower)
    : m_repository(repository), m_follower(Follower) {}

void CDocumentMoves::FollowRegistered(std::optional<CListFiller::WholeRead> read) {
    m_follower.setDocuments(read ? CMoveRepair::Registered(std::move(read->files), read->facts)
                                 : CMoveRepair::Registered(m_repository));
}

void CDocumentMoves::Relinked(qint32 FileID, const QString& Shortcut, const QString& NewPath,
                              const CFileListViews& Lists) {
    const CFileFacts facts = CMoveRepair::StoreRelinked(m_repository, FileID, NewPath);
    m_follower.Follow({FileID, Shortcut, CMoveMatcher::FromStored(facts)});
    const QString key = MakeKey(FileID);
    for (qint32 i = 1; i <= Lists.Count(); ++i) {
        CFileListView* list = Lists.Item(i);
        for (qint32 row = 1; list != nullptr && row <= list->Count(); ++row) {
            if (list->Key(row) != key)
                continue;
            // A row shown as missing is found again.
            const quint64 param = list->Item(row).Param();
            // Renamed in place, or moved under another name: the row shows
            // the name and type the document has now.
            list->ListView()->Model()->setTextOf(param, FileNameOf(NewPath),
                                                 SM_Shell::DocumentIconIndex(NewPath));
            list->ListView()->Model()->UpdateRows(
                {{param, SizeText(facts.size),
                  FileTimeText(FileTimeFromUnixNanoseconds(facts.modified)), false}});
            list->setDocumentFacts(param, facts.size, facts.modified);
        }
    }
}

#include "CDocumentMoves.h"

#include "BM_Library.h"
#include "CFileFacts.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CListViewControl.h"
#include "CMoveFollower.h"
#include "CRecordset.h"
#include "CVolloDB.h"
#include "SM_Shell.h"

using namespace BM_Library;

CDocumentMoves::CDocumentMoves(CVolloDB& repository, CMoveFollower& Follower)
    : m_repository(repository), m_follower(Follower) {}

void CDocumentMoves::FollowRegistered() {
    const QHash<qint32, CFileFacts> facts = m_repository.FactsOf();
    QList<CMoveFollower::Document> documents;
    for (CRecordset rs = m_repository.RunQuery(QStringLiteral("getFileNameAll")); !rs.IsEOF();
         rs.MoveNext()) {
        const qint32 id = rs.Field(0).toInt();
        const auto known = facts.constFind(id);
        if (known != facts.constEnd())
            documents << CMoveFollower::Document{id, rs.Field(1).toString(),
                                                 CMoveMatcher::FromStored(*known), known->missing};
    }
    m_follower.setDocuments(documents);
}

void CDocumentMoves::Relinked(qint32 FileID, const QString& Shortcut, const QString& NewPath,
                              const CFileListViews& Lists) {
    const CFileFacts facts = CFileFacts::Read(NewPath);
    m_repository.StoreFacts(FileID, facts);
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

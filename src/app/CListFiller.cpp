#include "CListFiller.h"

#include "BM_Library.h"
#include "CBusyIndicator.h"
#include "CError.h"
#include "CFactChecker.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CListViewControl.h"
#include "CRecentFiles.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"
#include "FormCategory.h"
#include "Placeholders.h"

#include <optional>

using namespace BM_Library;

CListFiller::CListFiller(CVolloDB& repository)
    : m_repository(repository), m_checker(std::make_unique<CFactChecker>()) {
    QObject::connect(
        m_checker.get(), &CFactChecker::OnChecked, m_checker.get(),
        [this](quint64 Run, const QList<CFactCheck>& Batch) { ApplyChecked(Run, Batch); });
}

CListFiller::~CListFiller() = default;

CRecordset CListFiller::FilesOfTag(qint32 TagID) {
    return TagID == 0 ? m_repository.RunQuery(QStringLiteral("getFileNameAll"))
                      : m_repository.GetFileOfTag(TagID);
}

CRecordset CListFiller::FilesOfExtension(const QString& Extension) {
    return m_repository.RunSQL(
        FillPlaceholders(m_repository.GetQuery(QStringLiteral("getFileNameOfExt")),
                         {{QStringLiteral("%fileExt"), Extension}}));
}

bool CListFiller::IsFilePresent(const QString& path) {
    return FileExists(path);
}

namespace {

QString DateTextOf(const CFileFacts& facts) {
    return facts.modified > 0 ? FileTimeText(FileTimeFromUnixNanoseconds(facts.modified))
                              : QString();
}

} // namespace

CListItem CListFiller::AddKnownRow(CFileListView* L, const QString& path, const CFileFacts& facts) {
    const QString size = facts.missing ? tr("見つかりません") : SizeText(facts.size);
    return L->AddKnown(path, facts.path, {size, DateTextOf(facts)}, facts.missing ? -1 : facts.size,
                       facts.modified, facts.missing);
}

// A file without stored facts (a repository not upgraded yet): read from the
// disk as it always was. An unreadable shortcut is left to the check.
CListItem CListFiller::AddReadRow(CFileListView* L, const QString& path) {
    QString target;
    try {
        target = ShortcutTarget(path);
    } catch (const CError&) {
        // A data folder deleted under the program takes every shortcut with
        // it: the files are still shown by the names the repository has.
        if (m_repository.CheckGone()) {
            QVariantList values{path, QString(), QString()};
            return L->AddItem(values);
        }
        return CListItem();
    }
    // The date comes from the lookup the size just made (the shared find
    // record): one stat per document, not two.
    QVariantList values{path, FileSizeText(target), FileDateTimeText(QString())};
    return L->AddItem(values);
}

void CListFiller::FillList(CFileListView* L, CRecordset& rs) {
    CBusyIndicator busy;
    QList<qint32> ids;
    ids.reserve(rs.RecordCount());
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
        ids << rs.Field(0).toInt();
    // A long list is most of the repository: reading every file's facts
    // costs less than picking them out one by one.
    constexpr qsizetype kWholeTable = 5000;
    const QHash<qint32, CFileFacts> facts =
        m_repository.FactsOf(ids.size() > kWholeTable ? QList<qint32>() : ids);
    QList<CFactCheck> checks;
    checks.reserve(ids.size());
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
        CFactCheck check;
        check.fileID = rs.Field(0).toInt();
        check.shortcut = rs.Field(1).toString();
        const auto known = facts.constFind(check.fileID);
        check.known = known != facts.cend();
        CListItem item =
            check.known ? AddKnownRow(L, check.shortcut, *known) : AddReadRow(L, check.shortcut);
        if (check.known)
            check.stored = *known;
        if (!item.IsEmpty()) {
            item.setKey(MakeKey(check.fileID));
            item.setTag(check.shortcut);
            check.param = item.Param();
        }
        checks.append(std::move(check));
    }
    m_checkedList = L;
    m_checkRun = m_checker->Start(std::move(checks));
}

bool CListFiller::StoreChecked(const CFactCheck& check) {
    switch (check.outcome) {
    case CFactCheck::Vanished:
        // The shortcut has gone: so has the file, with all its links.
        m_repository.DelFileName(check.shortcut);
        m_repository.RunSQL(FillPlaceholders(m_repository.GetQuery(QStringLiteral("delFileTagAll")),
                                             {{QStringLiteral("%fileID"), check.fileID}}));
        return false;
    case CFactCheck::Missing:
    case CFactCheck::Changed:
        m_repository.StoreFacts(check.fileID, check.fresh);
        return true;
    default:
        return true;
    }
}

void CListFiller::ApplyChecked(quint64 Run, const QList<CFactCheck>& Batch) {
    CFileListView* L = m_checkedList;
    if (Run != m_checkRun || L == nullptr || L->ListView() == nullptr)
        return;
    CFileListModel* model = L->ListView()->Model();
    QList<CFileListModel::RowUpdate> updates;
    QList<quint64> gone;
    // With the data folder gone every shortcut has vanished; the rows stay,
    // as the repository still lists them.
    const bool dataGone = m_repository.CheckGone();
    {
        // A repository open for reading only still shows what the check found.
        std::optional<CTransactionScope> transaction;
        if (!m_repository.IsReadOnly())
            transaction.emplace(m_repository);
        for (const CFactCheck& check : Batch) {
            if (check.outcome == CFactCheck::Unknown || check.outcome == CFactCheck::Unchanged ||
                (dataGone && check.outcome == CFactCheck::Vanished))
                continue;
            const bool keep = m_repository.IsReadOnly() || StoreChecked(check);
            if (check.param == 0 || !model->Contains(check.param))
                continue;
            if (!keep || check.outcome == CFactCheck::Vanished) {
                gone << check.param;
                continue;
            }
            const bool missing = check.outcome == CFactCheck::Missing;
            const CFileFacts& shown = missing && check.known ? check.stored : check.fresh;
            updates.append({check.param, missing ? tr("見つかりません") : SizeText(shown.size),
                            DateTextOf(shown), missing});
            L->setDocumentFacts(check.param, missing ? -1 : shown.size, shown.modified);
        }
        if (transaction)
            transaction->Commit();
    }
    model->UpdateRows(updates);
    for (quint64 param : std::as_const(gone))
        model->RemoveRow(model->PositionOf(param));
}

void CListFiller::ShowFiles(CFileListView* L, CRecordset& rs) {
    // Results of an earlier check must not reach the rows that follow.
    m_checker->Stop();
    L->Clear();
    FillList(L, rs);
}

void CListFiller::ShowTagFiles(CFileListView* L, qint32 TagID) {
    CRecordset rs = FilesOfTag(TagID);
    ShowFiles(L, rs);
}

void CListFiller::ShowRecentFiles(CFileListView* L, CRecentFiles& Finder) {
    m_checker->Stop();
    L->Clear();
    CBusyIndicator busy;
    CTransactionScope transaction(m_repository);
    Finder.FindFile();
    transaction.Commit();
}

void CListFiller::AddRecentRow(CFileListView* L, const QString& FileName, qint32 FileID) {
    const QString target = ShortcutTarget(FileName);
    QVariantList values{FileName, FileSizeText(target), FileDateTimeText(target)};
    CListItem item = L->AddItem(values);
    item.setTag(FileName);
    // Listed without being collected (the repository cannot be written):
    // a row without key stands for no registered file.
    if (FileID > 0)
        item.setKey(MakeKey(FileID));
}

void CListFiller::FeedCategoryForm(FormCategory& Form, const QString& FilePath,
                                   const QString& RowKey) {
    Form.setFilePath(FilePath);
    Form.setFileID(RowKey.isEmpty() ? -1 : KeyToID(RowKey));
    Form.Unfreeze();
    Form.SetCategory(m_repository.GetTagOfFile(Form.FileID()));
}

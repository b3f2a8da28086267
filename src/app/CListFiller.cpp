#include "CListFiller.h"

#include "BM_Library.h"
#include "CBusyIndicator.h"
#include "CCategoryStore.h"
#include "CError.h"
#include "CFactChecker.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CListViewControl.h"
#include "CRecentFiles.h"
#include "CSharedTexts.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"
#include "FormCategory.h"
#include "Placeholders.h"

#include <QScopeGuard>
#include <algorithm>
#include <optional>
#include <utility>

using namespace BM_Library;

namespace {

// The facts of fileID in facts (ordered by ID), looked for from the place of
// the last ones found: files come mostly in the order of their IDs.
const CFileFacts* FactsIn(const CFactStore::FactList& facts, qint32 fileID, qsizetype& lastFound) {
    auto byID = [](const auto& entry, qint32 id) { return entry.first < id; };
    const auto from = lastFound < facts.size() && facts[lastFound].first < fileID
                          ? facts.cbegin() + lastFound
                          : facts.cbegin();
    const auto found = std::lower_bound(from, facts.cend(), fileID, byID);
    if (found == facts.cend() || found->first != fileID)
        return nullptr;
    lastFound = found - facts.cbegin();
    return &found->second;
}

} // namespace

CListFiller::CListFiller(CVolloDB& repository)
    : m_repository(repository), m_checker(std::make_unique<CFactChecker>()) {
    QObject::connect(
        m_checker.get(), &CFactChecker::OnChecked, m_checker.get(),
        [this](quint64 Run, const QList<CFactCheck>& Batch) { ApplyChecked(Run, Batch); });
}

CListFiller::~CListFiller() = default;

CListFiller::FileList CListFiller::FilesOfTag(qint32 TagID, bool WithDescendants) {
    const CDatabase::SharedText shared = SharedShortcuts();
    if (TagID == 0)
        return m_repository.RunFileList(m_repository.GetQuery(QStringLiteral("getFileNameAll")),
                                        shared);
    CCategoryStore store(m_repository);
    const QList<qint32> below = WithDescendants && store.IncludesDescendants(TagID)
                                    ? store.Descendants(TagID)
                                    : QList<qint32>();
    if (below.isEmpty())
        return m_repository.RunFileList(
            FillPlaceholders(m_repository.GetQuery(QStringLiteral("getFileOfTag")),
                             {{QStringLiteral("%tagID"), TagID}}),
            shared);
    QStringList ids{QString::number(TagID)};
    for (const qint32 id : below)
        ids.append(QString::number(id));
    // A document in several of them is listed once.
    return m_repository.RunFileList(
        QStringLiteral("SELECT ID, path FROM files WHERE ID IN (SELECT fileID FROM filetags "
                       "WHERE tagID IN (%1)) ORDER BY ID")
            .arg(ids.join(QLatin1Char(','))),
        shared);
}

CListFiller::FileList CListFiller::FilesOfExtension(const QString& Extension) {
    return m_repository.RunFileList(
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
    FileList files;
    files.reserve(rs.RecordCount());
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
        files.emplaceBack(rs.Field(0).toInt(), rs.Field(1).toString());
    FillList(L, files);
}

void CListFiller::FillList(CFileListView* L, const FileList& files) {
    CBusyIndicator busy;
    bool whole = false;
    CFactStore::FactList facts = FactsOfFiles(files, &whole);
    FillList(L, files, std::move(facts), whole);
}

void CListFiller::FillList(CFileListView* L, const FileList& files, CFactStore::FactList facts,
                           bool whole) {
    if (L->ListView() != nullptr)
        L->ListView()->Model()->setFactTextSource(&CListFiller::FactText);
    // Each row's number in the list, in the order of files. The check makes
    // the rest of what it needs from files and facts as it comes to a row:
    // a copy of every row's facts would be a second list as long as this.
    std::vector<quint64> params(size_t(files.size()), 0);
    // Rows known from their facts go to the list in runs, in the order of
    // the records; a row read from the disk ends the run before it.
    // Runs of bounded length: the rows in waiting for a whole long list
    // would double its memory while it fills.
    constexpr qsizetype kRunLength = 4096;
    QList<CFileListView::KnownRow> run;
    run.reserve(std::min(files.size(), kRunLength));
    L->ReserveRows(files.size());
    size_t at = 0;
    auto addRun = [&] {
        quint64 param = L->AddKnownRows(run);
        for (size_t i = at - size_t(run.size()); i < at; ++i)
            params[i] = param++;
        run.clear();
    };
    qsizetype lastFound = 0;
    for (const auto& [fileID, shortcut] : files) {
        if (const CFileFacts* known = FactsIn(facts, fileID, lastFound)) {
            run.append(KnownRowOf(fileID, shortcut, *known));
        } else {
            if (!run.isEmpty())
                addRun();
            CListItem item = AddReadRow(L, shortcut);
            if (!item.IsEmpty()) {
                item.setKey(MakeKey(fileID));
                item.setTag(shortcut);
                params[at] = item.Param();
            }
        }
        ++at;
        if (run.size() == kRunLength)
            addRun();
    }
    if (!run.isEmpty())
        addRun();
    // The check reads its own references to both lists on its thread; they
    // are never changed in place, only replaced.
    auto checkRow = [files, facts, params = std::move(params),
                     lastFound = qsizetype(0)](qsizetype i) mutable {
        CFactCheck check;
        check.param = params[size_t(i)];
        // at(): the lambda is mutable, and [] would copy the shared list.
        check.fileID = files.at(i).first;
        check.shortcut = files.at(i).second;
        if (const CFileFacts* known = FactsIn(facts, check.fileID, lastFound)) {
            check.known = true;
            check.stored = *known;
        }
        return check;
    };
    if (m_fillingAll && m_keepWholeRead && whole) {
        m_wholeRead = WholeRead{files, std::move(facts)};
        m_keepWholeRead = false;
    }
    m_checkedList = L;
    m_checkRun = m_checker->Start(files.size(), std::move(checkRow));
}

CFactStore::FactList CListFiller::FactsOfFiles(const FileList& files, bool* whole) {
    // Picking a file's facts costs about what reading one in passing does:
    // only a list that is most of the repository reads the whole table,
    // without the list of its IDs.
    constexpr qsizetype kAlwaysPicked = 5000;
    if (m_fillingAll && m_lent) {
        if (whole != nullptr)
            *whole = true;
        return m_lent->facts;
    }
    if (files.size() > kAlwaysPicked && files.size() * 4 > m_repository.FactCount() * 3) {
        if (whole != nullptr)
            *whole = true;
        return m_repository.AllFacts(SharedPaths());
    }
    if (files.isEmpty())
        return {};
    if (const WholeRead* held = HeldRead()) {
        // Every file's facts were read moments ago, for the list of all
        // files: a category's list at the start picks its own from there.
        CFactStore::FactList picked;
        picked.reserve(files.size());
        qsizetype lastFound = 0;
        for (const auto& file : files)
            if (const CFileFacts* known = FactsIn(held->facts, file.first, lastFound))
                picked.emplaceBack(file.first, *known);
        auto byID = [](const auto& a, const auto& b) { return a.first < b.first; };
        if (!std::is_sorted(picked.cbegin(), picked.cend(), byID))
            std::sort(picked.begin(), picked.end(), byID);
        return picked;
    }
    QList<qint32> ids;
    ids.reserve(files.size());
    for (const auto& file : files)
        ids << file.first;
    return m_repository.FactListOf(ids, SharedPaths());
}

CFileListView::KnownRow CListFiller::KnownRowOf(qint32 fileID, const QString& shortcut,
                                                const CFileFacts& facts) {
    // The texts of a document that is there are made when first shown.
    return {shortcut,
            facts.path,
            facts.missing ? QStringList{tr("見つかりません"), DateTextOf(facts)} : QStringList(),
            facts.missing ? -1 : facts.size,
            facts.modified,
            facts.missing,
            fileID};
}

QString CListFiller::FactText(int Column, qint64 Size, qint64 Modified) {
    if (Column == 1)
        return SizeText(Size);
    CFileFacts facts;
    facts.modified = Modified;
    return DateTextOf(facts);
}

bool CListFiller::RelinkedSince(const CFactCheck& check) {
    if (!check.known)
        return false;
    const auto now = m_repository.FactsOf({check.fileID});
    return now.contains(check.fileID) && now[check.fileID].path != check.stored.path;
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
        m_repository.StoreFacts(check.fileID, *check.fresh);
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
    QHash<QString, ShownFacts> others; // the same files in the other lists
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
            // Relinked while the check ran (followed, or found at the start):
            // what the check saw of the old place is no longer the document.
            if ((check.outcome == CFactCheck::Missing || check.outcome == CFactCheck::Changed) &&
                RelinkedSince(check))
                continue;
            // What the check stores makes a kept reading of every file's
            // facts out of date.
            m_wholeRead.reset();
            const bool keep = m_repository.IsReadOnly() || StoreChecked(check);
            if (check.param == 0 || !model->Contains(check.param))
                continue;
            if (!keep || check.outcome == CFactCheck::Vanished) {
                gone << check.param;
                continue;
            }
            const bool missing = check.outcome == CFactCheck::Missing;
            const CFileFacts& shown = missing && check.known ? check.stored : *check.fresh;
            const ShownFacts row{{check.param,
                                  missing ? tr("見つかりません") : SizeText(shown.size),
                                  DateTextOf(shown), missing},
                                 missing ? -1 : shown.size,
                                 shown.modified};
            updates.append(row.update);
            L->setDocumentFacts(check.param, row.size, row.modified);
            others.insert(MakeKey(check.fileID), row);
        }
        if (transaction)
            transaction->Commit();
    }
    model->UpdateRows(updates);
    for (quint64 param : std::as_const(gone))
        model->RemoveRow(model->PositionOf(param));
    UpdateOtherLists(L, others);
}

void CListFiller::UpdateOtherLists(const CFileListView* Checked,
                                   const QHash<QString, ShownFacts>& ByKey) {
    if (ByKey.isEmpty() || m_lists.isNull())
        return;
    const QSet<QString> keys(ByKey.keyBegin(), ByKey.keyEnd());
    for (qint32 i = 1; i <= m_lists->Count(); ++i) {
        CFileListView* list = m_lists->Item(i);
        if (list == Checked || list == nullptr || list->ListView() == nullptr)
            continue;
        CFileListModel* model = list->ListView()->Model();
        QList<CFileListModel::RowUpdate> updates;
        for (const auto& [param, key] : model->RowsWithKeys(keys)) {
            ShownFacts row = ByKey.value(key);
            row.update.param = param;
            updates.append(row.update);
            list->setDocumentFacts(param, row.size, row.modified);
        }
        model->UpdateRows(updates);
    }
}

void CListFiller::setLists(CFileListViews* Lists) {
    m_lists = Lists;
}

void CListFiller::ShowMissing(qint32 FileID) {
    const CFileFacts stored = m_repository.FactsOf({FileID}).value(FileID);
    const ShownFacts row{{0, tr("見つかりません"), DateTextOf(stored), true}, -1, stored.modified};
    UpdateOtherLists(nullptr, {{MakeKey(FileID), row}});
}

void CListFiller::Empty(CFileListView* L) {
    // Results of an earlier check must not reach the rows that follow.
    m_checker->Stop();
    L->Clear();
}

void CListFiller::ShowFiles(CFileListView* L, CRecordset& rs) {
    Empty(L);
    FillList(L, rs);
}

void CListFiller::ShowFiles(CFileListView* L, const FileList& files) {
    Empty(L);
    FillList(L, files);
}

void CListFiller::ShowFiles(CFileListView* L, const FileList& files, CFactStore::FactList facts) {
    Empty(L);
    CBusyIndicator busy;
    FillList(L, files, std::move(facts), false);
}

void CListFiller::ShowTagFiles(CFileListView* L, qint32 TagID) {
    m_fillingAll = TagID == 0;
    const auto filled = qScopeGuard([this] { m_fillingAll = false; });
    if (m_fillingAll && m_lent) {
        ShowFiles(L, m_lent->files);
        return;
    }
    ShowFiles(L, FilesOfTag(TagID));
}

const CListFiller::WholeRead* CListFiller::HeldRead() const {
    if (m_wholeRead)
        return &*m_wholeRead;
    return m_lent ? &*m_lent : nullptr;
}

CDatabase::SharedText CListFiller::SharedShortcuts() const {
    if (const WholeRead* held = HeldRead())
        return CSharedTexts::From(
            held->files, [](const auto& file) { return file.first; },
            [](const auto& file) -> const QString& { return file.second; });
    if (const QList<CMoveRepair::Document>* followed = m_followed ? m_followed() : nullptr)
        return ShortcutsOf(*followed);
    return {};
}

CDatabase::SharedText CListFiller::ShortcutsOf(const QList<CMoveRepair::Document>& followed) {
    return CSharedTexts::From(
        followed, [](const CMoveRepair::Document& d) { return d.FileID; },
        [](const CMoveRepair::Document& d) -> const QString& { return d.Shortcut; });
}

CDatabase::SharedText CListFiller::PathsOf(const QList<CMoveRepair::Document>& followed) {
    return CSharedTexts::From(
        followed, [](const CMoveRepair::Document& d) { return d.FileID; },
        [](const CMoveRepair::Document& d) -> const QString& { return d.Stored.Path; });
}

QList<CMoveRepair::Document> CListFiller::FollowedNow() const {
    const QList<CMoveRepair::Document>* followed = m_followed ? m_followed() : nullptr;
    return followed ? *followed : QList<CMoveRepair::Document>();
}

CDatabase::SharedText CListFiller::SharedPaths() const {
    if (const WholeRead* held = HeldRead())
        return CSharedTexts::From(
            held->facts, [](const auto& fact) { return fact.first; },
            [](const auto& fact) -> const QString& { return fact.second.path; });
    if (const QList<CMoveRepair::Document>* followed = m_followed ? m_followed() : nullptr)
        return PathsOf(*followed);
    return {};
}

void CListFiller::KeepWholeRead() {
    m_keepWholeRead = true;
}

std::optional<CListFiller::WholeRead> CListFiller::TakeWholeRead() {
    m_keepWholeRead = false;
    return std::exchange(m_wholeRead, std::nullopt);
}

CListFiller::WholeRead CListFiller::ReadWhole() {
    return {FilesOfTag(0), m_repository.AllFacts(SharedPaths())};
}

void CListFiller::LendWholeRead(std::optional<WholeRead> read) {
    m_lent = std::move(read);
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

#pragma once

#include "CFactCheck.h"
#include "CFactStore.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CMoveRepair.h"
#include "CRecordset.h"

#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class CFactChecker;
class CFileListViews;
class CListItem;
class CRecentFiles;
class CVolloDB;
class FormCategory;

// Reads what the main window shows from the repository: the rows of a file
// list, the recent documents and the categories of one file in the category
// dialog. A list is filled from the stored facts of its documents without
// looking at the disk; a background check then finds what changed and the
// rows follow in place. Files whose shortcut has gone are dropped from the
// repository on the way; a document gone while its shortcut remains is shown
// as missing and keeps its categories.
class CListFiller {
    Q_DECLARE_TR_FUNCTIONS(CListFiller)
public:
    explicit CListFiller(CVolloDB& repository);
    ~CListFiller();

    // File IDs with their shortcut paths, in the order listed.
    using FileList = QList<std::pair<qint32, QString>>;
    // The files of a category, with those of the categories below it unless
    // WithDescendants is false or the user left them out of this category's
    // list; the root (0) lists every file. Read straight
    // from the repository, without a recordset: a list may hold them all.
    FileList FilesOfTag(qint32 TagID, bool WithDescendants = true);
    // The files of an extension category, by its node tag.
    FileList FilesOfExtension(const QString& Extension);

    // Adds a row per record (field 0 file ID, field 1 shortcut path) and
    // starts the check of the list's documents; a file whose shortcut has
    // gone is removed with all its links when the check finds it.
    void FillList(CFileListView* L, CRecordset& rs);
    void FillList(CFileListView* L, const FileList& files);
    // Every list of the window: what the check finds about a document is
    // also shown in the other lists that hold it.
    void setLists(CFileListViews* Lists);
    // Shows the document of FileID as missing in every list that has it,
    // with the facts last stored; the repository is left as it is.
    void ShowMissing(qint32 FileID);
    // The background check of the shown list (for tests: its OnFinished).
    CFactChecker& Checker() { return *m_checker; }
    // Takes in one batch of check results for the list of run Run.
    void ApplyChecked(quint64 Run, const QList<CFactCheck>& Batch);
    // Empties L, and stops the check of its rows.
    void Empty(CFileListView* L);
    // Empties L and fills it from rs, or with the files of TagID.
    void ShowFiles(CFileListView* L, CRecordset& rs);
    void ShowFiles(CFileListView* L, const FileList& files);
    // The same with the files' stored facts read already, in the order of
    // their IDs (off the window's thread).
    void ShowFiles(CFileListView* L, const FileList& files, CFactStore::FactList facts);
    void ShowTagFiles(CFileListView* L, qint32 TagID);
    // Empties L and lets Finder walk the recent documents; each one it
    // reports comes back through AddRecentRow.
    void ShowRecentFiles(CFileListView* L, CRecentFiles& Finder);
    void AddRecentRow(CFileListView* L, const QString& FileName, qint32 FileID);

    // Shows the file of a list row in the dialog with the categories it
    // carries; a row without key stands for no registered file.
    void FeedCategoryForm(FormCategory& Form, const QString& FilePath, const QString& RowKey);

    // Whether path names an existing file (a shortcut counts whatever its
    // target).
    static bool IsFilePresent(const QString& path);

    // Every registered file and every file's facts, as the next fill of the
    // list of all files reads them, kept for one taker: the start follows
    // every registered document, and would read both again right after.
    struct WholeRead {
        FileList files;
        CFactStore::FactList facts;
    };
    void KeepWholeRead();
    std::optional<WholeRead> TakeWholeRead();
    // Both read now, as that fill would read them.
    WholeRead ReadWhole();
    // The next fills of the list of all files show read instead of reading
    // it again, until it is taken back (nullopt).
    void LendWholeRead(std::optional<WholeRead> read);
    // The documents followed for their moves, in the order of their IDs
    // (null while none are): fills share their strings where they agree.
    using FollowedDocuments = std::function<const QList<CMoveRepair::Document>*()>;
    void setFollowedDocuments(FollowedDocuments documents) { m_followed = std::move(documents); }
    // Those documents as they are now, for a reading on another thread to
    // share their strings (a copy in name: the list is shared until changed).
    QList<CMoveRepair::Document> FollowedNow() const;
    // Their shortcuts and their documents' paths, to share (the list must
    // outlive the reading).
    static CDatabase::SharedText ShortcutsOf(const QList<CMoveRepair::Document>& followed);
    static CDatabase::SharedText PathsOf(const QList<CMoveRepair::Document>& followed);

private:
    // FillList with the files' facts read already; whole: they are every
    // file's facts.
    void FillList(CFileListView* L, const FileList& files, CFactStore::FactList facts, bool whole);
    // The stored facts of the listed files, in the order of their IDs.
    CFactStore::FactList FactsOfFiles(const FileList& files, bool* whole = nullptr);
    // Where a reading takes its strings from, so that a path shown in several
    // lists, and followed for its moves, is held once: the whole reading kept
    // or lent, or else the followed documents.
    const WholeRead* HeldRead() const;
    CDatabase::SharedText SharedShortcuts() const;
    CDatabase::SharedText SharedPaths() const;
    // The row of a file known from its stored facts.
    static CFileListView::KnownRow KnownRowOf(qint32 fileID, const QString& shortcut,
                                              const CFileFacts& facts);
    // The size (column 1) or date (column 2) text of a document that is there.
    static QString FactText(int Column, qint64 Size, qint64 Modified);
    CListItem AddReadRow(CFileListView* L, const QString& path);
    // A checked row as shown, and the numbers it sorts by.
    struct ShownFacts {
        CFileListModel::RowUpdate update;
        qint64 size = 0;
        qint64 modified = 0;
    };
    void UpdateOtherLists(const CFileListView* Checked, const QHash<QString, ShownFacts>& ByKey);
    // Writes what one result tells to the repository; false when the row is
    // to leave the list.
    bool RelinkedSince(const CFactCheck& check);
    bool StoreChecked(const CFactCheck& check);

    CVolloDB& m_repository;
    bool m_keepWholeRead = false;
    bool m_fillingAll = false; // the list being filled holds every file
    std::optional<WholeRead> m_wholeRead;
    std::optional<WholeRead> m_lent;
    FollowedDocuments m_followed;
    std::unique_ptr<CFactChecker> m_checker;
    QPointer<CFileListView> m_checkedList;
    QPointer<CFileListViews> m_lists;
    quint64 m_checkRun = 0;
};

#pragma once

#include "AM_Vollo.h"
#include "CCategory.h"
#include "CDataFolderWatch.h"
#include "CListItem.h"
#include "CListViewControl.h"
#include "CMainControls.h"
#include "CRecordset.h"
#include "CWalkProgress.h"
#include "FormAbout.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <utility>

class CAnchor;
class CCategoryCombine;
class CCategoryLinks;
class CCategoryColouring;
class CCategoryLists;
class CCategoryTabs;
class CDocumentWalk;
class CDocumentMoves;
class CFileCollector;
class CFingerprintStatus;
class CLeftOutReport;
class CLeftOut;
class CListFiller;
class CManyDocuments;
class CFileListView;
class CFileListViews;
class CFindBox;
class CDesktopTags;
class CFolderCollect;
class CMoveFollower;
class CMsghook;
class CPathFinder;
class CQueryView;
class CSavedSearchTree;
class CSplitBar;
class CRecentFiles;
class CTabViewer;
class CUserCategories;
class FormCategory;
class QAction;
class QLineEdit;
class QMimeData;
class QTabBar;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

// The main window: the category tree on the left, a file list per category under
// their tabs on the right, the toolbars and the search field above, the
// status line below. It builds its views from the repository when it loads,
// answers the user's clicks, drops and commands, collects documents, and
// saves the selected tab and its own position when it closes.
class FormMain : public QWidget {
    Q_OBJECT
public:
    // Design size of the client area, in twips.
    static constexpr int DesignWidth = CMainControls::DesignWidth;
    static constexpr int DesignHeight = CMainControls::DesignHeight;
    static constexpr int MinWidth = 8700;

    // Initialize: restores the saved position. Needs the open repository.
    explicit FormMain(QWidget* parent = nullptr);
    ~FormMain() override;

    // Builds everything from the repository; on the first start of a new
    // repository this asks whether to collect the documents folder, and walks
    // it. Errors reach the caller.
    void Load();
    // From this many registered documents on, the window is drawn before its
    // lists are filled: a million rows take seconds to read and sort, and a
    // window that shows nothing for that long looks like one that failed.
    static qint64 FillAfterDrawFrom();
    static void setFillAfterDrawFrom(qint64 Count);
    // Whether the lists still wait for the window's first drawing.
    bool ListsPending() const { return !m_pendingKeys.isEmpty(); }
    // Saves the tab and the position and lets go of every view object and of
    // the repository. Closing the window runs it; it runs once.
    void Unload();
    bool IsUnloaded() const { return m_unloaded; }

    QString StatusBar() const;
    void setStatusBar(const QString& vNewValue);

    // Refills the list MakeKey(TagID) from the repository, dropping files
    // whose shortcut has gone.
    void ShowTagFiles(qint32 TagID);

    // Whether the node tag names the recent-files node; whether path names an
    // existing file (a shortcut counts whatever its target).
    static bool IsRecentNode(const QString& Tag);
    static bool IsFilePresent(const QString& path);
    // Categories and the root have IDs up to 500; extension categories above.
    static bool IsExtensionCategory(qint32 ID);
    // "N 個のファイル".
    static QString CountText(qint32 count);
    // The count of a list with the count of its selected rows beside it.
    static QString SelectionText(qint32 count, qint32 selected);

    // The window's views, for the program's own tests and benchmarks; its
    // controls are found by their object names.
    CTabViewer* TabViewer() const { return FTabViewer.get(); }
    CFileListViews* FileListViews() const { return FFileListViews.get(); }
    FormCategory* CategoryForm() const { return FCategoryForm.get(); }
    CAnchor* Anchor() const { return FAnchor.get(); }
    CPathFinder* PathFinder() const { return FPathFinder.get(); }
    CRecentFiles* RecentFiles() const { return FRecentFiles.get(); }
    CFindBox* FindBox() const { return FFindBox.get(); }
    CCategory* Category() const { return FCategory.get(); }
    CQueryView* QueryView() const { return m_query.get(); }
    CSavedSearchTree* SavedSearches() const { return m_saved.get(); }
    // The progress window of the running first-start walk, or nullptr.
    CWalkProgress* WalkProgress() const;
    // Keeps the shortcuts pointing at documents that move.
    CMoveFollower* MoveFollower() const { return FMoveFollower.get(); }
    // Documents collected by the last walk.
    qint64 WalkCount() const;
    // Takes the fingerprints that collecting leaves for later.
    CFingerprintStatus* Fingerprints() const { return m_fingerprints; }

public slots:
    void FCategory_OnNodeClick(qint32 ID, QTreeWidgetItem* Node);
    void FCategory_OnDrop(const QMimeData* Data, QTreeWidgetItem* Node);
    void FTabViewer_OnClick(const QString& Key);
    void FFileListViews_OnItemClick(CListItem Item);
    void FFileListViews_OnDrop(const QString& Key, const QMimeData* Data);
    void FFindBox_OnFind(const QString& S);
    void FFindBox_OnFindNext();
    void FCategoryForm_OnItemClick(qint32 state, QTreeWidgetItem* Item);
    void FAnchor_FormResize();
    void FPathFinder_OnFound(const QString& FileName, const QString& FileAge);
    void FRecentFiles_OnFound(const QString& FileName);
    void ToolbarMenu_ButtonClick(QAction* Button);
    void ToolbarFolderOpen_ButtonClick(QAction* Button);
    void FMoveFollower_OnRelinked(qint32 FileID, const QString& Shortcut, const QString& OldPath,
                                  const QString& NewPath);
    // 見つからない文書を探す.
    void FindMissing_Triggered();
    // Another process (the command line) changed the repository: the tree
    // and the lists show what it holds now.
    void Repository_OnChanged();
    // A file manager asked for the category dialog on these files: those
    // not collected yet are collected first, as a drop collects them.
    void OpenCategoriesFor(const QStringList& Paths);
    // Rows came or went in a list: the status line follows the shown one.
    void ListModel_OnRowsChanged();
    // Many documents at once: the selection, and taking rows out of a category.
    void FFileListViews_OnSelectionChange(qint32 Count);
    void FFileListViews_OnRemoveFromCategory(const QString& Key, const QList<CListItem>& Items);
    // The tree's commands on the user's own categories.
    void FCategory_OnNewCategoryRequest();
    void FCategory_OnRenameRequest(qint32 ID, QTreeWidgetItem* Node);
    void FCategory_OnDeleteRequest(qint32 ID, QTreeWidgetItem* Node);
    void FCategory_OnNestRequest(const QString& Key, QTreeWidgetItem* Target);
    // Asks for a folder with the desktop's folder dialog and collects its
    // documents as the first start does, linked to the selected category.
    void CollectFolder();

public:
    // CollectFolder without the question: collects folder's documents (hidden
    // folders skipped) with progress and Cancel, linked to the category
    // selected in the tree, if any.
    void CollectFolderFrom(const QString& folder);
    // Whether the data folder (repository and shortcuts) was found gone
    // while the program runs; the user has then been told once.
    bool IsDataFolderGone() const { return m_dataFolder->IsGone(); }
    // Reads every list again from the repository, the query's results too.
    void RefillLists();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Construction of the controls, one part of the window each.
    void SetupControls();
    void SetupImages();
    void SetupCollectFolder();
    void SetupDataFolderWatch();

    // Load, in its order.
    void LoadFieldLists();
    void LoadFindBox();
    void LoadToolStrip();
    void LoadCategoryTree();
    void LoadColumns();
    void LoadCategories(CRecordset& categories);
    void LoadCollecting();
    void LoadFirstStart();
    // Walks folder and collects what it finds, linked to TagID when above 0;
    // returns false when the user cancelled the walk.
    bool CollectDocuments(const QString& folder, qint32 TagID = 0);
    // Tells the user, in one box, what a walk, a drop or the recent listing
    // could not take.
    void ReportLeftOut(const CLeftOut& leftOut);
    void LoadExtensionCategories();
    void LoadTabs();
    void LoadFileLists(CRecordset& categories);
    void LoadLayout();
    void LoadSplitBar();
    void WidenForTree(int SplitLeft);
    void LoadCategoryForm();
    void SetupCategoryColours();
    void LoadCategoryTabs();
    void LoadSelection();
    // The query field (before the layout) and its results list (after).
    void LoadQueryField();
    void SetupQuery();
    // The saved searches and smart views in the tree.
    void SetupSavedSearches();

    // Categories of the user's own: one list per category, made at load for
    // those beyond the design's lists and whenever the user adds one.
    void SetupCategoryCommands();
    void LoadCategoryLists(const CRecordset& categories);
    void AddCategoryViews(qint32 ID, const QString& Name);
    void RemoveCategoryViews(qint32 ID);
    void SyncCategories();
    void FollowList(CFileListView* list);
    void ShowEmptyText(CFileListView* list);
    bool IsPending(const CFileListView* list) const;

    void LoadWindowPosition();
    void SaveWindowPosition();
    QString LoadTabKey();
    void SaveTabKey(const QString& Key);

    void SetupListFollowing();
    // Watches the documents' folders, offers the search for missing ones and
    // runs it at start when documents are missing.
    void LoadMoveFollowing();
    // Runs refill and follows every registered document as it is now;
    // fillsAll: refill fills the list of all files.
    void FollowAfter(const std::function<void()>& refill, bool fillsAll);
    void FillList(CFileListView* L, CRecordset& rs);
    void ShowCount(const QString& Key);
    // The list of the selected tab, or none before any tab holds one.
    CFileListView* ShownList() const;
    CListItem ShownSelectedItem() const;
    void LinkFileToTag(qint32 FileID, qint32 TagID);
    qint32 RegisterFile(const QString& FileName);
    void AddDroppedFiles(const QMimeData* Data, qint32 TagID);
    bool HasList(const QString& Key) const;
    void ShowCategoryForm();
    // Many documents at once.
    void SetupManyDocuments();
    void SetupDesktopTags();
    void DesktopTags_OnCategoryAdded(qint32 ID, const QString& Name);
    void ShowItem(const CListItem& Item);
    void ShowSelection();
    void StoreTick(qint32 state, qint32 FileID, qint32 TagID);
    void ShowStoredTicks();
    bool LinkDraggedRows(const QMimeData* Data, qint32 TagID);
    // The lists that show the documents of TagID read again: its own and
    // those of its ancestors with an open tab.
    void ShowLinkedTo(qint32 TagID);
    void ShowOpenParents(qint32 TagID);
    void ShowAboutBox();

    // After documents came in: the category's list and the root's list (as
    // far as it shows all files or an extension category) read again.
    void RefreshAfterCollect(qint32 TagID);
    // Looks whether the data folder is still there; the first time it is
    // found gone the user is told what happened and what to do.
    bool CheckDataFolder();
    // True, with the reason on the status line, when a change cannot be
    // made because the data folder has gone.
    bool WritesBlocked();

    // Runs a handler's work unless the window has unloaded or the event names
    // nothing to act on; an error is shown, and the program goes on.
    // A failed write may have been rolled back under rows the lists still
    // show, with file IDs that the next insert can reuse: the lists are then
    // read again from the repository.
    template <typename Work> void Handle(bool Ready, Work&& work) {
        if (m_unloaded || !Ready)
            return;
        CheckDataFolder();
        if (!AM_Vollo::Guard(std::forward<Work>(work), this))
            RefillLists();
        CheckDataFolder();
    }

    CMainControls m_ui;
    CCategory::ImageList m_imageListTag;

    // Fields, in the window's order.
    QList<CListViewControl*> FListViews;
    QList<CMsghook*> FMsghooks;
    std::unique_ptr<CTabViewer> FTabViewer;
    std::unique_ptr<CFileListViews> FFileListViews;
    std::unique_ptr<FormCategory> FCategoryForm;
    std::unique_ptr<CAnchor> FAnchor;
    std::unique_ptr<CPathFinder> FPathFinder;
    std::unique_ptr<CRecentFiles> FRecentFiles;
    std::unique_ptr<CFindBox> FFindBox;
    std::unique_ptr<CCategory> FCategory;

    std::unique_ptr<CMoveFollower> FMoveFollower;
    std::unique_ptr<CDocumentMoves> m_moves;
    // The search for documents moved while closed starts once the window
    // is first drawn.
    bool m_followStarted = false;
    void StartMoveFollowing();
    QStringList m_pendingKeys; // lists left to fill once the window is drawn
    void FillLists(const QStringList& keys);
    void FillPendingLists();
    std::unique_ptr<CUserCategories> m_userCategories;
    std::unique_ptr<CCategoryLists> m_categoryLists;
    std::unique_ptr<CCategoryTabs> m_categoryTabs;
    std::unique_ptr<CCategoryColouring> m_colouring;
    std::unique_ptr<CQueryView> m_query;
    std::unique_ptr<CSavedSearchTree> m_saved;
    std::unique_ptr<CCategoryCombine> m_combine;

    std::unique_ptr<CFileCollector> m_collector;
    std::unique_ptr<CListFiller> m_filler;
    std::unique_ptr<CCategoryLinks> m_links;
    std::unique_ptr<CManyDocuments> m_many;
    QPointer<FormAbout> m_about;
    std::unique_ptr<CDocumentWalk> m_walk;
    std::unique_ptr<CLeftOutReport> m_leftOut;
    std::unique_ptr<CFolderCollect> m_folderCollect;
    std::unique_ptr<CDesktopTags> m_desktopTags;
    bool m_firstStartAsked = false; // this start asked the first-start question
    CDataFolderWatch* m_dataFolder = nullptr;
    CFingerprintStatus* m_fingerprints = nullptr;
    QStringList m_listKeys;  // keys of the lists in FFileListViews, in order
    int m_restoreWidth = -1; // saved size, applied once the layout is bound
    int m_restoreHeight = -1;
    bool m_unloaded = false;
};

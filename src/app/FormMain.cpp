#include "FormMain.h"

#include "AM_Vollo.h"
#include "BM_Library.h"
#include "CAnchor.h"
#include "CBusyIndicator.h"
#include "CCategoryColouring.h"
#include "CCategoryColours.h"
#include "CCategoryCombine.h"
#include "CCategoryFormFeed.h"
#include "CCategoryLinks.h"
#include "CCategoryLists.h"
#include "CCategoryMenu.h"
#include "CCategoryNodeDrag.h"
#include "CCategoryStore.h"
#include "CCategoryTabs.h"
#include "CCheckListView.h"
#include "CContextMenu.h"
#include "CDataFolderWatch.h"
#include "CDesktopTags.h"
#include "CDocumentMoves.h"
#include "CDocumentWalk.h"
#include "CFileCollector.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CFindBox.h"
#include "CFingerprintStatus.h"
#include "CFirstStart.h"
#include "CFolderCollect.h"
#include "CLanguage.h"
#include "CLeftOut.h"
#include "CLeftOutReport.h"
#include "CListFiller.h"
#include "CListViewControl.h"
#include "CMainControls.h"
#include "CManyDocuments.h"
#include "CMoveFollower.h"
#include "CPathFinder.h"
#include "CQueryView.h"
#include "CRecentFiles.h"
#include "CSavedSearchTree.h"
#include "CSplitBar.h"
#include "CStoredText.h"
#include "CTabViewer.h"
#include "CUserCategories.h"
#include "CVolloDB.h"
#include "CWidgetAnchorControl.h"
#include "CWidgetAnchorWindow.h"
#include "CWindowPlacement.h"
#include "CWindowPosition.h"
#include "FormAbout.h"
#include "FormCategory.h"
#include "IM_Images.h"
#include "Placeholders.h"
#include "RM_RecentMirror.h"
#include "SM_Shell.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <cstdlib>

using namespace BM_Library;
using AM_Vollo::gRepository;

namespace {

// How long a window not yet drawn waits before it looks for moved documents.
constexpr int kFollowAtLatestMs = 2000;

qint64 gFillAfterDrawFrom = 200000;

int Px(int twips) {
    return CWidgetAnchorControl::ToPixels(twips);
}

} // namespace

// ---------------------------------------------------------------- Initialize

FormMain::FormMain(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("Vollo"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    SetupImages();
    SetupControls();
    SetupCollectFolder();
    m_ui.SetupKeyboard(this);
    m_dataFolder = new CDataFolderWatch(this);
    m_fingerprints = new CFingerprintStatus(m_ui.TextStatusBar);
    resize(Px(DesignWidth), Px(DesignHeight));
    LoadWindowPosition();
}

FormMain::~FormMain() {
    if (!m_unloaded) {
        // A window dropped without being closed still lets go of its views
        // before its controls go; the repository stays with its owner.
        m_categoryTabs.reset();
        m_colouring.reset();
        FCategory.reset();
        FFileListViews.reset();
        FTabViewer.reset();
    }
}

void FormMain::SetupImages() {
    m_imageListTag = IM_Images::ImageListTag(style());
}

void FormMain::SetupControls() {
    m_ui = CMainControls::Create(this, m_imageListTag);
    connect(m_ui.ToolbarMenu, &QToolBar::actionTriggered, this, &FormMain::ToolbarMenu_ButtonClick);
    connect(m_ui.ToolbarFolderOpen, &QToolBar::actionTriggered, this,
            &FormMain::ToolbarFolderOpen_ButtonClick);
}

void FormMain::LoadWindowPosition() {
    const QSize restore = CWindowPosition(*gRepository).Load(*this);
    m_restoreWidth = restore.width();
    m_restoreHeight = restore.height();
}

// ---------------------------------------------------------------------- Load

void FormMain::Load() {
    LoadFieldLists();
    LoadFindBox();
    LoadToolStrip();
    LoadCategoryTree();
    CRecordset categories = gRepository->GetTagName();
    LoadCategoryLists(categories);
    LoadColumns();
    LoadCategories(categories);
    LoadCollecting();
    LoadFirstStart();
    LoadExtensionCategories();
    LoadTabs();
    LoadFileLists(categories);
    LoadQueryField();
    LoadLayout();
    LoadCategoryForm();
    SetupListFollowing();
    SetupCategoryCommands();
    SetupManyDocuments();
    SetupQuery();
    SetupSavedSearches();
    SetupDesktopTags();
    SetupCategoryColours();
    LoadCategoryTabs();
    LoadSelection();
    SetupDataFolderWatch();
    LoadMoveFollowing();
    // The search field shows its placeholder until the user goes to it.
    m_ui.TreeViewTag->setFocus();
}

void FormMain::LoadFieldLists() {
    FListViews = {m_ui.ListView[0], m_ui.ListView[1], m_ui.ListView[2], m_ui.ListView[3]};
    FMsghooks = {m_ui.Msghook[0], m_ui.Msghook[1], m_ui.Msghook[2], m_ui.Msghook[3]};
}

void FormMain::LoadFindBox() {
    FFindBox = std::make_unique<CFindBox>();
    FFindBox->Create(m_ui.TextSearch);
    connect(FFindBox.get(), &CFindBox::OnFind, this, &FormMain::FFindBox_OnFind);
    connect(FFindBox.get(), &CFindBox::OnFindNext, this, &FormMain::FFindBox_OnFindNext);
}

void FormMain::LoadToolStrip() {
    // The strip behind the toolbars takes the button face; the tab strip
    // starts without tabs.
    m_ui.PictureTool->setBackgroundRole(QPalette::Button);
    m_ui.PictureTool->setAutoFillBackground(true);
    while (m_ui.TabStripWork->count() > 0)
        m_ui.TabStripWork->removeTab(0);
}

void FormMain::LoadCategoryTree() {
    CRecordset root = gRepository->RunQuery(QStringLiteral("getRootFolder"));
    const QString rootName = CStoredText::Shown(root.Field(QStringLiteral("Value")).toString());
    FCategory = std::make_unique<CCategory>();
    FCategory->setImages(m_imageListTag);
    FCategory->Create(m_ui.TreeViewTag, rootName);
    m_userCategories =
        std::make_unique<CUserCategories>(*gRepository, *FCategory, m_imageListTag, this);
    connect(FCategory.get(), &CCategory::OnNodeClick, this, &FormMain::FCategory_OnNodeClick);
    connect(FCategory.get(), &CCategory::OnDrop, this, &FormMain::FCategory_OnDrop);
}

void FormMain::LoadCollecting() {
    FPathFinder = std::make_unique<CPathFinder>();
    FRecentFiles = std::make_unique<CRecentFiles>();
    connect(FPathFinder.get(), &CPathFinder::OnFound, this, &FormMain::FPathFinder_OnFound);
    connect(FRecentFiles.get(), &CRecentFiles::OnFound, this, &FormMain::FRecentFiles_OnFound);
    m_collector = std::make_unique<CFileCollector>(*gRepository);
    m_filler = std::make_unique<CListFiller>(*gRepository);
    m_filler->setFollowedDocuments([this]() -> const QList<CMoveRepair::Document>* {
        return FMoveFollower ? &FMoveFollower->Documents() : nullptr;
    });
    m_walk = std::make_unique<CDocumentWalk>(*gRepository, *FPathFinder, *m_collector, this);
    m_leftOut = std::make_unique<CLeftOutReport>(this);
    m_desktopTags = std::make_unique<CDesktopTags>(*gRepository, this);
    m_collector->setTagMirror(&m_desktopTags->Mirror());
    m_collector->setTagImport(&m_desktopTags->Import());
}

void FormMain::LoadCategoryForm() {
    FCategoryForm = std::make_unique<FormCategory>(this);
    FCategoryForm->setCategorySet(gRepository->GetTagName());
    connect(FCategoryForm.get(), &FormCategory::OnItemClick, this,
            &FormMain::FCategoryForm_OnItemClick);
}

void FormMain::LoadColumns() {
    CRecordset columns = gRepository->RunQuery(QStringLiteral("getColumnHeader"));
    for (CListViewControl* list : std::as_const(FListViews)) {
        list->ClearColumnHeaders();
        columns.MoveFirst();
        CCategoryLists::AddColumns(list, columns);
    }
}

void FormMain::LoadCategories(CRecordset& categories) {
    for (categories.MoveFirst(); !categories.IsEOF(); categories.MoveNext()) {
        const qint32 id = categories.Field(0).toInt();
        m_userCategories->SetupNode(
            FCategory->Add(MakeKey(id), CStoredText::Shown(categories.Field(1).toString())), id);
    }
}

CWalkProgress* FormMain::WalkProgress() const {
    return m_walk ? m_walk->Progress() : nullptr;
}

qint64 FormMain::WalkCount() const {
    return m_walk ? m_walk->Count() : 0;
}

void FormMain::LoadFirstStart() {
    m_firstStartAsked = !gRepository->IsReadOnly() &&
                        !gRepository->RunQuery(QStringLiteral("getFirstStart")).Field(0).toBool();
    // The question waits for the user: the shortcut folder is brought in
    // line before it, not once it is answered.
    if (m_firstStartAsked)
        AM_Vollo::FinishReconcile();
    CFirstStart(*gRepository, *m_walk, *m_collector, *m_leftOut, this).Offer();
}

bool FormMain::CollectDocuments(const QString& folder, qint32 TagID) {
    return m_walk->Run(folder, TagID);
}

void FormMain::ReportLeftOut(const CLeftOut& leftOut) {
    m_leftOut->Report(leftOut);
    // Every collection ends here: the desktop tags found are offered once.
    if (m_desktopTags->OfferImport())
        RefillLists();
}

void FormMain::RefillLists() {
    if (m_unloaded || gRepository == nullptr || !FFileListViews)
        return;
    for (const QString& key : std::as_const(m_listKeys)) {
        if (key == CQueryView::ResultsKey()) {
            m_query->Refresh();
            continue;
        }
        // Read once the window is drawn, with what is there by then.
        if (m_pendingKeys.contains(key))
            continue;
        try {
            ShowTagFiles(KeyToID(key));
        } catch (const CError&) {
            // The failure that called for the refill has been shown already.
            // Rows that cannot be read again may carry file IDs that no
            // longer exist: the list is emptied rather than left with them.
            if (CFileListView* list = FFileListViews->Item(key))
                list->Clear();
        }
    }
}

void FormMain::LoadExtensionCategories() {
    CRecordset rs = gRepository->RunQuery(QStringLiteral("getExtName"));
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
        QTreeWidgetItem* node =
            FCategory->Add(MakeKey(rs.Field(QStringLiteral("extID")).toInt()),
                           CStoredText::Shown(rs.Field(QStringLiteral("extName")).toString()));
        const QString tag = rs.Field(QStringLiteral("fileEXT")).toString();
        CCategory::setNodeTag(node, tag);
        FCategory->setNodeImage(node, IsRecentNode(tag) ? QStringLiteral("Recent")
                                                        : QStringLiteral("Folder"));
        FCategory->setNodeSelectedImage(node, QStringLiteral("selected"));
    }
}

void FormMain::LoadTabs() {
    FTabViewer = std::make_unique<CTabViewer>();
    FTabViewer->Create(this, m_ui.TabStripWork);
    connect(FTabViewer.get(), &CTabViewer::OnClick, this, &FormMain::FTabViewer_OnClick);
    const QString rootName = FCategory->Node(QStringLiteral("H0"))->text(0);
    FTabViewer->Add(FListViews.at(0), QStringLiteral("H0"), rootName);
    FListViews.at(0)->setAccessibleName(rootName);
}

void FormMain::LoadFileLists(CRecordset& categories) {
    FFileListViews = std::make_unique<CFileListViews>();
    FFileListViews->Create();
    m_filler->setLists(FFileListViews.get());
    connect(FFileListViews.get(), &CFileListViews::OnItemClick, this,
            &FormMain::FFileListViews_OnItemClick);
    connect(FFileListViews.get(), &CFileListViews::OnDrop, this, &FormMain::FFileListViews_OnDrop);
    FFileListViews->Add(FListViews.at(0), FMsghooks.at(0), QStringLiteral("H0"));
    m_listKeys = QStringList{QStringLiteral("H0")};
    // One list per category, as far as there are categories; a list
    // without category stays hidden and out of the tabs.
    categories.MoveFirst();
    for (int i = 1; i < FListViews.size() && !categories.IsEOF(); ++i) {
        const qint32 id = categories.Field(0).toInt();
        const QString key = MakeKey(id);
        const QString caption = CStoredText::Shown(categories.Field(1).toString());
        if (CCategoryTabs::IsFixed(key))
            FTabViewer->Add(FListViews.at(i), key, caption);
        else
            FListViews.at(i)->hide();
        FListViews.at(i)->setAccessibleName(caption);
        FFileListViews->Add(FListViews.at(i), FMsghooks.at(i), key);
        m_listKeys << key;
        categories.MoveNext();
    }
    if (gRepository->FileCountAtMost() >= gFillAfterDrawFrom)
        m_pendingKeys = m_listKeys;
    else
        FillLists(m_listKeys);
}

qint64 FormMain::FillAfterDrawFrom() {
    return gFillAfterDrawFrom;
}

void FormMain::setFillAfterDrawFrom(qint64 Count) {
    gFillAfterDrawFrom = Count;
}

void FormMain::FillLists(const QStringList& keys) {
    m_filler->KeepWholeRead();
    for (const QString& key : keys)
        ShowTagFiles(KeyToID(key));
    // The shortcut folder was looked at while the lists filled. Rows it
    // registered or deleted make the reading just kept out of date; the
    // lists are filled again, with a fresh one.
    if (AM_Vollo::FinishReconcile()) {
        m_filler->TakeWholeRead();
        m_filler->KeepWholeRead();
        RefillLists();
    }
}

void FormMain::FillPendingLists() {
    if (m_pendingKeys.isEmpty() || m_unloaded || !FFileListViews)
        return;
    const QStringList keys = std::exchange(m_pendingKeys, {});
    Handle(gRepository != nullptr, [&] {
        CBusyIndicator busy;
        FillLists(keys);
    });
    // The rows are put in order now rather than on the next pass of the
    // event loop: a paint in between would show an empty list that says
    // there is nothing in it.
    for (const QString& key : keys) {
        CFileListView* list = FFileListViews->Item(key);
        if (list != nullptr && list->ListView() != nullptr)
            list->ListView()->Model()->Flush();
        ShowEmptyText(list);
    }
    if (m_moves)
        m_moves->FollowRegistered(m_filler->TakeWholeRead());
    if (ShownList() != nullptr)
        ShowCount(FTabViewer->SelectedKey());
    // Queued: the rows are painted before the search starts.
    if (!m_followStarted)
        QMetaObject::invokeMethod(this, &FormMain::StartMoveFollowing, Qt::QueuedConnection);
}

void FormMain::LoadLayout() {
    FAnchor = std::make_unique<CAnchor>();
    FAnchor->Create(CWidgetAnchorWindow::Wrap(this), false);
    connect(FAnchor.get(), &CAnchor::FormResize, this, &FormMain::FAnchor_FormResize);
    m_ui.AnchorControls(*FAnchor);
    m_query->AnchorTo(*FAnchor);
    FAnchor->setMinWidth(MinWidth);
    // The window manager stops a drag at the layout's minimum instead of the
    // layout snapping the window back after it (or never, under some).
    const QSize least = CWindowPlacement::SetMinimum(
        *this, QSize(Px(FAnchor->MinWidth()), Px(FAnchor->MinHeight())));
    // The layout snaps the window back to its own minimum: it must fit the screen too.
    FAnchor->setMinWidth(
        std::min(FAnchor->MinWidth(), CWidgetAnchorControl::ToTwips(least.width())));
    FAnchor->setMinHeight(
        std::min(FAnchor->MinHeight(), CWidgetAnchorControl::ToTwips(least.height())));
    CMainControls::AnchorLists(m_ui.TabStripWork, FListViews, *FAnchor);
    m_ui.SplitBar->Bind(*FAnchor);
    // The saved size takes effect now that the controls follow the window.
    if (m_restoreWidth > 0 || m_restoreHeight > 0) {
        resize(m_restoreWidth > 0 ? m_restoreWidth : width(),
               m_restoreHeight > 0 ? m_restoreHeight : height());
        FAnchor->Layout();
    }
    FAnchor_FormResize();
    LoadSplitBar();
}

void FormMain::LoadSplitBar() {
    const int needed = m_ui.TreeWidthNeeded();
    if (m_ui.SplitBar->Restore(*gRepository, needed) && m_ui.SplitBar->Position() < needed)
        WidenForTree(needed);
    // The name column takes whatever width the other columns leave.
    for (CListViewControl* list : std::as_const(FListViews)) {
        if (list->header()->count() > 0)
            list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

void FormMain::WidenForTree(int SplitLeft) {
    // The lists keep their room: the window widens, as far as its screen
    // allows, for the tree's names to show whole.
    const QRect screenArea = screen()->availableGeometry();
    const int frame = frameGeometry().width() - width();
    const int wider =
        std::min(width() + Px(SplitLeft - m_ui.SplitBar->Position()), screenArea.width() - frame);
    if (wider <= width())
        return;
    if (CWindowPlacement::CanPlace() && x() + wider + frame > screenArea.right() + 1)
        move(std::max(screenArea.x(), screenArea.right() + 1 - wider - frame), y());
    resize(wider, height());
    FAnchor->Layout();
    m_ui.SplitBar->MoveTo(SplitLeft);
}

void FormMain::SetupCategoryColours() {
    m_colouring =
        std::make_unique<CCategoryColouring>(*gRepository, *FCategory, *FTabViewer, *FCategoryForm);
    m_colouring->ShowAll();
    m_colouring->AddMenu(*FCategory->Commands(), [this](qint32 ID, const QString& Name) {
        Handle(!WritesBlocked(), [&] {
            CCategoryColours(*gRepository).setColour(ID, Name);
            m_colouring->Show(ID, Name);
        });
    });
}

void FormMain::LoadCategoryTabs() {
    m_categoryTabs = std::make_unique<CCategoryTabs>(*gRepository, *FTabViewer, *FFileListViews,
                                                     *FCategory, this);
    m_categoryTabs->Restore();
}

void FormMain::LoadSelection() {
    QString key = LoadTabKey();
    // A saved key that names no tab (a category gone since) starts on the
    // root's list.
    if (!HasList(key))
        key = QStringLiteral("H0");
    m_categoryTabs->Open(key);
    if (FCategory->Node(key) != nullptr)
        FCategory->SelectNode(key);
    FTabViewer->SelectTab(key);
    // Whatever the tab strip reported, the shown list is the selected one.
    if (FFileListViews->SelectedKey() != key)
        FFileListViews->SelectItem(key);
    ShowCount(key);
}

QString FormMain::LoadTabKey() {
    CRecordset rs = gRepository->RunQuery(QStringLiteral("getTabIndex"));
    return rs.Field(0).toString();
}

void FormMain::SaveTabKey(const QString& Key) {
    gRepository->RunSQL(FillPlaceholders(gRepository->GetQuery(QStringLiteral("setTabIndex")),
                                         {{QStringLiteral("%tabIndex"), Key}}));
}

void FormMain::SaveWindowPosition() {
    CWindowPosition(*gRepository).Save(*this);
}

// -------------------------------------------------------------------- Unload

void FormMain::closeEvent(QCloseEvent* event) {
    if (!m_unloaded && !AM_Vollo::Guard([this] { Unload(); }, this)) {
        // The state could not be saved: close anyway, nothing else is lost.
        m_unloaded = true;
    }
    event->accept();
}

void FormMain::Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_dataFolder->Stop();
    m_fingerprints->Stop();
    if (FCategoryForm)
        FCategoryForm->hide();
    if (gRepository != nullptr && !gRepository->IsReadOnly()) {
        if (FTabViewer && !FTabViewer->SelectedKey().isEmpty())
            SaveTabKey(FTabViewer->SelectedKey());
        if (m_categoryTabs)
            m_categoryTabs->Save();
        SaveWindowPosition();
        m_ui.SplitBar->Save(*gRepository);
    }
    m_moves.reset();
    FMoveFollower.reset();
    m_userCategories.reset();
    m_combine.reset();
    m_saved.reset();
    m_query.reset();
    m_categoryTabs.reset();
    m_colouring.reset();
    FCategory.reset();
    FFileListViews.reset();
    FTabViewer.reset();
    FListViews.clear();
    FMsghooks.clear();
    m_walk.reset();
    m_desktopTags.reset();
    m_collector.reset();
    m_filler.reset();
    AM_Vollo::ReleaseRepository();
}

// ----------------------------------------------------------------- the lists

QString FormMain::StatusBar() const {
    return m_ui.TextStatusBar->text();
}

void FormMain::setStatusBar(const QString& vNewValue) {
    m_ui.TextStatusBar->setText(vNewValue);
}

QString FormMain::CountText(qint32 count) {
    return CManyDocuments::CountText(count);
}

bool FormMain::IsRecentNode(const QString& Tag) {
    return Tag.compare(QStringLiteral("RecentFiles"), Qt::CaseInsensitive) == 0;
}

bool FormMain::IsFilePresent(const QString& path) {
    return CListFiller::IsFilePresent(path);
}

bool FormMain::IsExtensionCategory(qint32 ID) {
    // ID / 1000 rounded half to even is 0 exactly up to 500.
    return std::llabs(static_cast<long long>(ID)) > 500;
}

bool FormMain::HasList(const QString& Key) const {
    // Tabs and lists share their keys.
    if (!FFileListViews || Key.isEmpty())
        return false;
    for (int i = 1; i <= FFileListViews->Count(); ++i) {
        if (FFileListViews->Item(i) != nullptr && m_listKeys.value(i - 1) == Key)
            return true;
    }
    return false;
}

void FormMain::SetupListFollowing() {
    for (int i = 1; i <= FFileListViews->Count(); ++i)
        FollowList(FFileListViews->Item(i));
}

void FormMain::FollowList(CFileListView* list) {
    if (list == nullptr || list->ListView() == nullptr)
        return;
    // Rows of the recent list stand for the desktop's entries.
    list->ContextMenu()->setRecentFolder(FRecentFiles->FilePath());
    list->ContextMenu()->setForgetRecent(
        [](const QString& document) {
            return RM_RecentMirror::ForgetRecentDocument(RM_RecentMirror::BookmarkFile(), document);
        },
        RM_RecentMirror::BookmarkFile());
    // Lists made after the start offer the same commands as the first ones.
    if (auto* findMissing =
            findChild<QAction*>(QStringLiteral("FindMissing"), Qt::FindDirectChildrenOnly))
        list->ContextMenu()->AddCommand(findMissing);
    ShowEmptyText(list);
    const QAbstractItemModel* model = list->ListView()->Model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &FormMain::ListModel_OnRowsChanged);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &FormMain::ListModel_OnRowsChanged);
    connect(model, &QAbstractItemModel::modelReset, this, &FormMain::ListModel_OnRowsChanged);
}

bool FormMain::IsPending(const CFileListView* list) const {
    return std::any_of(m_pendingKeys.cbegin(), m_pendingKeys.cend(),
                       [&](const QString& key) { return FFileListViews->Item(key) == list; });
}

void FormMain::ShowEmptyText(CFileListView* list) {
    if (list == nullptr || list->ListView() == nullptr)
        return;
    // Until the first document comes, the lists say how to bring some; a
    // list not read yet says that it is being read.
    list->ListView()->setEmptyText(
        IsPending(list)
            ? tr("文書を読み込んでいます…")
            : tr("ここにファイルをドロップするか、Ctrl+O でフォルダの文書を取り込みます。"));
}

void FormMain::ListModel_OnRowsChanged() {
    CFileListView* shown = ShownList();
    if (m_unloaded || shown == nullptr || shown->ListView() == nullptr ||
        sender() != shown->ListView()->Model())
        return;
    setStatusBar(CountText(shown->Count()));
}

void FormMain::FillList(CFileListView* L, CRecordset& rs) {
    m_filler->FillList(L, rs);
}

void FormMain::ShowTagFiles(qint32 TagID) {
    m_filler->ShowTagFiles(FFileListViews->Item(MakeKey(TagID)), TagID);
    if (FCategoryForm)
        FCategoryForm->Freeze();
}

void FormMain::ShowCount(const QString& Key) {
    // A list still to be read has no count to tell yet.
    CFileListView* list = FFileListViews->Item(Key);
    setStatusBar(IsPending(list) ? QString() : CountText(list->Count()));
}

CFileListView* FormMain::ShownList() const {
    if (!FTabViewer)
        return nullptr;
    const QString key = FTabViewer->SelectedKey();
    return HasList(key) ? FFileListViews->Item(key) : nullptr;
}

CListItem FormMain::ShownSelectedItem() const {
    if (!FTabViewer)
        return CListItem();
    auto* list = qobject_cast<CListViewControl*>(FTabViewer->SelectedListView());
    return list != nullptr ? list->SelectedItem() : CListItem();
}

// ---------------------------------------------------------------- collecting

qint32 FormMain::RegisterFile(const QString& FileName) {
    return m_collector->RegisterFile(FileName);
}

void FormMain::LinkFileToTag(qint32 FileID, qint32 TagID) {
    m_collector->LinkFileToTag(FileID, TagID);
}

void FormMain::AddDroppedFiles(const QMimeData* Data, qint32 TagID) {
    m_collector->LeftOut().Clear();
    QStringList folders;
    const QStringList files = CFileCollector::DroppedFiles(Data, &folders, &m_collector->LeftOut());
    if ((files.isEmpty() && folders.isEmpty()) || WritesBlocked()) {
        ShowLinkedTo(TagID);
        return;
    }
    CDataFolderWatch::RequireWritable();
    m_walk->CollectDrop(files, folders, TagID);
    FollowAfter([&] { ShowLinkedTo(TagID); }, TagID == 0);
}

// ------------------------------------------------------------------ handlers

void FormMain::FCategory_OnNodeClick(qint32 ID, QTreeWidgetItem* Node) {
    Handle(Node != nullptr, [&] {
        const QString tag = CCategory::NodeTag(Node);
        QString shown = QStringLiteral("H0");
        if (IsRecentNode(tag)) {
            FTabViewer->SelectTab(shown);
            m_filler->ShowRecentFiles(FFileListViews->Item(shown), *FRecentFiles);
            m_leftOut->ReportRecent(FRecentFiles->LeftOut());
        } else {
            CListFiller::FileList rs;
            if (IsExtensionCategory(ID)) {
                rs = m_filler->FilesOfExtension(tag);
            } else {
                shown = MakeKey(ID);
                // A category beyond the lists has no tab to show it in.
                if (!HasList(shown))
                    return;
                if (m_categoryTabs)
                    m_categoryTabs->Open(shown);
                rs = m_filler->FilesOfTag(ID);
            }
            FTabViewer->SelectTab(shown);
            m_filler->ShowFiles(FFileListViews->Item(shown), rs);
        }
        ShowCount(shown);
    });
}

void FormMain::FCategory_OnDrop(const QMimeData* Data, QTreeWidgetItem* Node) {
    // Files dropped where no node is: nothing to file them under.
    Handle(Node != nullptr, [&] {
        const qint32 ID = KeyToID(CCategory::NodeKey(Node));
        if (IsExtensionCategory(ID) || LinkDraggedRows(Data, ID))
            return;
        AddDroppedFiles(Data, ID);
        ReportLeftOut(m_collector->LeftOut());
    });
}

void FormMain::FFileListViews_OnDrop(const QString& Key, const QMimeData* Data) {
    // Before any tab was chosen the drop names no list.
    // The results of a query are no category to file the documents in.
    Handle(!Key.isEmpty() && Key != CQueryView::ResultsKey(), [&] {
        const qint32 ID = KeyToID(Key);
        if (LinkDraggedRows(Data, ID))
            return;
        AddDroppedFiles(Data, ID);
        ReportLeftOut(m_collector->LeftOut());
    });
}

void FormMain::FTabViewer_OnClick(const QString& Key) {
    Handle(HasList(Key), [&] {
        FFileListViews->SelectItem(Key);
        if (FCategoryForm && FCategoryForm->IsLoaded())
            FCategoryForm->Freeze();
        ShowCount(Key);
    });
}

void FormMain::FFileListViews_OnItemClick(CListItem Item) {
    Handle(!Item.IsEmpty(), [&] {
        // A click that added to the selection, or took the row out of it,
        // shows the selection rather than the row.
        const CFileListView* list = ShownList();
        if (!Item.Selected() || (list != nullptr && list->SelectedCount() > 1))
            ShowSelection();
        else
            ShowItem(Item);
    });
}

void FormMain::ShowItem(const CListItem& Item) {
    const QString target = ShortcutTarget(Item.Tag());
    if (FCategoryForm && FCategoryForm->IsLoaded())
        m_filler->FeedCategoryForm(*FCategoryForm, FileNameOf(target), Item.Key());
    setStatusBar(target);
}

void FormMain::FFindBox_OnFind(const QString& S) {
    Handle(FTabViewer != nullptr, [&] {
        if (CFileListView* list = ShownList())
            list->Find(S);
    });
}

void FormMain::FFindBox_OnFindNext() {
    Handle(FTabViewer != nullptr, [&] {
        if (CFileListView* list = ShownList())
            list->FindNext();
    });
}

void FormMain::FCategoryForm_OnItemClick(qint32 state, QTreeWidgetItem* Item) {
    Handle(Item != nullptr, [&] {
        const qint32 FileID = FCategoryForm->FileID();
        const QString key = CCheckListView::Key(Item);
        const qint32 TagID = KeyToID(key);
        if (FileID >= 1 && WritesBlocked()) {
            // Nothing can be stored: the ticks go back to what is stored.
            FCategoryForm->SetCategory(gRepository->GetTagOfFile(FileID));
            return;
        }
        if (FileID < 1) {
            // No registered file is at hand: take the tick back.
            FCategoryForm->SetCategory(CRecordset());
            FCategoryForm->Freeze();
            return;
        }
        // A refused write (a repository open for reading, a full disk)
        // leaves the ticks showing what is stored, not what was clicked.
        if (!AM_Vollo::Guard([&] { StoreTick(state, FileID, TagID); }, this)) {
            AM_Vollo::Guard([this] { ShowStoredTicks(); }, this);
            RefillLists();
            return;
        }
        if (FTabViewer->SelectedKey() == key)
            ShowTagFiles(TagID);
        ShowOpenParents(TagID);
    });
}

void FormMain::StoreTick(qint32 state, qint32 FileID, qint32 TagID) {
    if (FCategoryForm->FileIDs().size() > 1) {
        if (state == 1)
            m_links->LinkFiles(FCategoryForm->FileIDs(), TagID);
        else
            m_links->UnlinkFiles(FCategoryForm->FileIDs(), TagID);
    } else if (state == 1) {
        LinkFileToTag(FileID, TagID);
    } else {
        gRepository->DelFileTag(FileID, TagID);
        m_desktopTags->Mirror().Update({FileID});
    }
}

void FormMain::ShowStoredTicks() {
    if (FCategoryForm->FileIDs().size() > 1)
        CCategoryFormFeed::Feed(*m_links, *FCategoryForm, FCategoryForm->FileIDs());
    else
        FCategoryForm->SetCategory(gRepository->GetTagOfFile(FCategoryForm->FileID()));
}

void FormMain::FAnchor_FormResize() {
    // The separator spans the window whatever its width.
    m_ui.LineTool->setGeometry(0, m_ui.LineTool->y(), width(), 1);
}

void FormMain::FPathFinder_OnFound(const QString& FileName, const QString& FileAge) {
    Q_UNUSED(FileAge);
    m_walk->Found(FileName);
}

void FormMain::FRecentFiles_OnFound(const QString& FileName) {
    // Runs inside the node click, which reports an error. A repository that
    // cannot be written still lists the recent documents, uncollected.
    const qint32 id = gRepository->IsReadOnly() ? 0 : m_collector->CollectRecent(FileName);
    m_filler->AddRecentRow(FFileListViews->Item(QStringLiteral("H0")), FileName, id);
}

void FormMain::ToolbarMenu_ButtonClick(QAction* Button) {
    Handle(Button != nullptr, [&] {
        const QString key = Button->data().toString();
        if (key == QLatin1String("Category"))
            ShowCategoryForm();
        else if (key == QLatin1String("About"))
            ShowAboutBox();
        else if (key == QLatin1String("Exit"))
            close();
    });
}

void FormMain::ShowCategoryForm() {
    const CListItem row = ShownSelectedItem();
    const CFileListView* list = ShownList();
    if (list != nullptr && list->SelectedCount() > 1)
        CCategoryFormFeed::Feed(*m_links, *FCategoryForm,
                                CCategoryFormFeed::FileIDsOf(list->SelectedItems()));
    else if (row.IsEmpty() || !row.Selected())
        FCategoryForm->Freeze();
    else
        m_filler->FeedCategoryForm(*FCategoryForm, FileNameOf(RemoveExtension(row.Tag())),
                                   row.Key());
    if (!FCategoryForm->isVisible())
        FCategoryForm->show();
}

void FormMain::OpenCategoriesFor(const QStringList& Paths) {
    AM_Vollo::BringForward(this);
    Handle(!WritesBlocked() && FCategoryForm != nullptr, [&] {
        CDataFolderWatch::RequireWritable();
        m_collector->LeftOut().Clear();
        QList<qint32> ids;
        QString last;
        m_collector->BeginBatch();
        for (const QString& path : Paths) {
            if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink()) {
                m_collector->LeftOut().Add(path,
                                           tr("フォルダにはカテゴリを付けられません。"
                                              "フォルダの文書は「Vollo に登録」で取り込めます。"));
            } else if (const qint32 id = m_collector->CollectFile(path); id > 0) {
                ids << id;
                last = path;
            }
        }
        m_collector->EndBatch();
        RefillLists();
        ReportLeftOut(m_collector->LeftOut());
        if (ids.isEmpty())
            return;
        CCategoryFormFeed::Feed(*m_links, *FCategoryForm, ids);
        if (ids.size() == 1)
            FCategoryForm->setFilePath(QDir::toNativeSeparators(last));
        FCategoryForm->show();
        FCategoryForm->raise();
        FCategoryForm->activateWindow();
    });
}

void FormMain::ShowAboutBox() {
    if (!m_about)
        m_about = new FormAbout(this);
    m_about->setLanguage(CLanguage::Japanese() ? 2 : 1);
    m_about->exec();
}

void FormMain::ToolbarFolderOpen_ButtonClick(QAction* Button) {
    // The button's menu reports its commands here too; they have their own.
    Handle(Button == nullptr || Button->objectName() == QLatin1String("FolderOpen"), [&] {
        const CListItem row = ShownSelectedItem();
        if (row.IsEmpty() || !row.Selected())
            return;
        SM_Shell::ShowInFolder(ShortcutTarget(row.Tag()), this);
    });
}

// ------------------------------------------------- the user's own categories

void FormMain::SetupCategoryCommands() {
    connect(FCategory.get(), &CCategory::OnNewCategoryRequest, this,
            &FormMain::FCategory_OnNewCategoryRequest);
    connect(FCategory.get(), &CCategory::OnRenameRequest, this,
            &FormMain::FCategory_OnRenameRequest);
    connect(FCategory.get(), &CCategory::OnDeleteRequest, this,
            &FormMain::FCategory_OnDeleteRequest);
    connect(FCategory.get(), &CCategory::OnCollectFolderRequest, this, &FormMain::CollectFolder);
    m_userCategories->LoadNesting();
    m_userCategories->ShowNesting(*FCategoryForm);
    m_userCategories->AddSubcategoryToggle(*FCategory->Commands(), [this](qint32 ID, bool On) {
        Handle(!WritesBlocked(), [&] {
            CCategoryStore(*gRepository).setIncludesDescendants(ID, On);
            if (HasList(MakeKey(ID)))
                ShowTagFiles(ID);
        });
    });
    connect(new CCategoryNodeDrag(m_ui.TreeViewTag), &CCategoryNodeDrag::OnNestRequest, this,
            &FormMain::FCategory_OnNestRequest);
}

void FormMain::FCategory_OnNestRequest(const QString& Key, QTreeWidgetItem* Target) {
    Handle(Target != nullptr && !WritesBlocked(), [&] {
        // The lists of the categories above it gain or lose its documents.
        if (!m_userCategories->Nest(Key, Target))
            return;
        m_userCategories->ShowNesting(*FCategoryForm);
        RefillLists();
    });
}

void FormMain::LoadCategoryLists(const CRecordset& categories) {
    m_categoryLists = std::make_unique<CCategoryLists>(this, m_ui.Frame1, FListViews, FMsghooks);
    m_categoryLists->MakeFor(categories.RecordCount());
}

void FormMain::AddCategoryViews(qint32 ID, const QString& Name) {
    const QString key = MakeKey(ID);
    CFileListView* list =
        m_categoryLists->Add(key, Name, *gRepository, *FAnchor, *FTabViewer, *FFileListViews);
    FollowList(list);
    if (list != nullptr)
        list->setCategoryRemovable(true);
    m_listKeys << key;
    ShowTagFiles(ID);
}

void FormMain::RemoveCategoryViews(qint32 ID) {
    const QString key = MakeKey(ID);
    if (FTabViewer->SelectedKey() == key || CCategory::NodeKey(FCategory->SelectedItem()) == key) {
        FCategory->SelectNode(QStringLiteral("H0"));
        FCategory_OnNodeClick(0, FCategory->Node(QStringLiteral("H0")));
    }
    if (HasList(key)) {
        m_categoryLists->Remove(key, *FTabViewer, *FFileListViews);
        m_listKeys.removeAll(key);
    }
    FCategory->Remove(key);
}

void FormMain::SyncCategories() {
    QHash<qint32, QString> names;
    for (CRecordset rs = gRepository->GetTagName(); !rs.IsEOF(); rs.MoveNext())
        if (!IsExtensionCategory(rs.Field(0).toInt()) && rs.Field(0).toInt() > 0)
            names.insert(rs.Field(0).toInt(), CStoredText::Shown(rs.Field(1).toString()));
    // Nested categories sit below the root's children: every node under the
    // root counts, and nothing past it (an iterator from the root runs on
    // into the saved searches' branch, whose keys are no category's).
    QList<QTreeWidgetItem*> nodes;
    if (QTreeWidgetItem* root = FCategory->Node(QStringLiteral("H0"))) {
        QList<QTreeWidgetItem*> pending{root};
        while (!pending.isEmpty()) {
            QTreeWidgetItem* node = pending.takeLast();
            for (int i = 0; i < node->childCount(); ++i) {
                nodes << node->child(i);
                pending << node->child(i);
            }
        }
    }
    QList<qint32> gone;
    for (QTreeWidgetItem* node : std::as_const(nodes)) {
        const qint32 id = KeyToID(CCategory::NodeKey(node));
        if (IsExtensionCategory(id))
            continue;
        if (!names.contains(id))
            gone << id;
        else if (node->text(0) != names.value(id))
            m_userCategories->ShowName(id, node, *FTabViewer, names.value(id));
        names.remove(id);
    }
    for (qint32 id : std::as_const(gone)) {
        if (QTreeWidgetItem* node = FCategory->Node(MakeKey(id)))
            CUserCategories::LiftChildren(node);
        RemoveCategoryViews(id);
        m_userCategories->RefreshForm(*FCategoryForm, id, QString(), true);
    }
    QList<qint32> added = names.keys();
    std::sort(added.begin(), added.end());
    for (qint32 id : std::as_const(added)) {
        m_userCategories->InsertNode(id, names.value(id));
        AddCategoryViews(id, names.value(id));
        m_userCategories->RefreshForm(*FCategoryForm, id, names.value(id), false);
    }
    if (!added.isEmpty()) { // made nested from the command line
        m_userCategories->LoadNesting();
        m_userCategories->ShowNesting(*FCategoryForm);
    }
}

void FormMain::Repository_OnChanged() {
    Handle(!m_unloaded && gRepository != nullptr && FCategory != nullptr, [&] {
        SyncCategories();
        // Documents added or relinked from the command line are followed
        // under the paths they have now.
        FollowAfter([this] { RefillLists(); }, m_listKeys.contains(MakeKey(0)));
    });
}

void FormMain::FCategory_OnNewCategoryRequest() {
    Handle(FCategory != nullptr, [&] {
        QString name;
        // On a category's node (its menu, or Ctrl+N while it is selected)
        // the new category goes under it.
        const QTreeWidgetItem* on = FCategory->Commands()->TargetNode();
        const qint32 parent = on != nullptr ? KeyToID(CCategory::NodeKey(on)) : 0;
        const qint32 id = m_userCategories->AskNew(&name, IsExtensionCategory(parent) ? 0 : parent);
        if (id == 0)
            return;
        AddCategoryViews(id, name);
        m_userCategories->RefreshForm(*FCategoryForm, id, name, false);
        // The new category is shown, ready to take files.
        FCategory->SelectNode(MakeKey(id));
        FCategory_OnNodeClick(id, FCategory->Node(MakeKey(id)));
    });
}

void FormMain::FCategory_OnRenameRequest(qint32 ID, QTreeWidgetItem* Node) {
    Handle(Node != nullptr && !IsExtensionCategory(ID) && ID != 0, [&] {
        const QString name = m_userCategories->AskRename(ID, Node, *FTabViewer);
        if (name.isEmpty())
            return;
        if (HasList(MakeKey(ID)))
            FFileListViews->Item(MakeKey(ID))->ListView()->setAccessibleName(name);
        m_userCategories->RefreshForm(*FCategoryForm, ID, name, false);
    });
}

void FormMain::FCategory_OnDeleteRequest(qint32 ID, QTreeWidgetItem* Node) {
    Handle(Node != nullptr && !IsExtensionCategory(ID) && ID != 0, [&] {
        if (!m_userCategories->AskDelete(ID, Node))
            return;
        m_colouring->Show(ID, QString());
        RemoveCategoryViews(ID);
        m_userCategories->RefreshForm(*FCategoryForm, ID, QString(), true);
        RefillLists();
    });
}

// ------------------------------------------------------- collecting a folder

void FormMain::SetupCollectFolder() {
    m_folderCollect = std::make_unique<CFolderCollect>(this);
    auto* button = qobject_cast<QToolButton*>(
        m_ui.ToolbarFolderOpen->widgetForAction(findChild<QAction*>(QStringLiteral("FolderOpen"))));
    connect(m_folderCollect->Create(button), &QAction::triggered, this, &FormMain::CollectFolder);
}

void FormMain::CollectFolder() {
    if (m_unloaded || !FCategory)
        return;
    const QString folder = m_folderCollect->AskFolder();
    if (!folder.isEmpty())
        CollectFolderFrom(folder);
}

void FormMain::CollectFolderFrom(const QString& folder) {
    Handle(!folder.isEmpty() && FCategory != nullptr, [&] {
        if (WritesBlocked())
            return;
        CDataFolderWatch::RequireWritable();
        const QString real = m_folderCollect->Resolve(folder);
        const qint32 TagID = CFolderCollect::CategoryOf(FCategory->SelectedItem());
        m_collector->LeftOut().Clear();
        // What was committed before a Cancel stays, and shows; after an
        // error the handler reads every list again.
        CollectDocuments(real, TagID);
        RefreshAfterCollect(TagID);
        ReportLeftOut(m_collector->LeftOut());
    });
}

void FormMain::RefreshAfterCollect(qint32 TagID) {
    if (TagID > 0)
        ShowLinkedTo(TagID);
    // The root's list keeps showing what the selected node asks of it.
    const QTreeWidgetItem* node = FCategory->SelectedItem();
    const QString tag = node != nullptr ? CCategory::NodeTag(node) : QString();
    if (node == nullptr || !IsExtensionCategory(CCategory::NodeID(node))) {
        ShowTagFiles(0);
    } else if (!IsRecentNode(tag)) {
        const CListFiller::FileList rs = m_filler->FilesOfExtension(tag);
        m_filler->ShowFiles(FFileListViews->Item(QStringLiteral("H0")), rs);
    }
    if (HasList(FTabViewer->SelectedKey()))
        ShowCount(FTabViewer->SelectedKey());
    m_fingerprints->Start();
}

// ------------------------------------------------- the data folder and lists

void FormMain::SetupDataFolderWatch() {
    m_dataFolder->Watch([this] { return WalkProgress() != nullptr; });
    connect(m_dataFolder, &CDataFolderWatch::OnGoneDuringWalk, FPathFinder.get(),
            &CPathFinder::Cancel);
}

bool FormMain::CheckDataFolder() {
    return !m_unloaded && m_dataFolder->Check();
}

bool FormMain::WritesBlocked() {
    if (!CheckDataFolder())
        return false;
    setStatusBar(CDataFolderWatch::BlockedText());
    return true;
}

// -------------------------------------------------------------------- queries

void FormMain::LoadQueryField() {
    m_query = std::make_unique<CQueryView>(this, m_ui.TabStripWork, *gRepository, *m_filler);
}

void FormMain::SetupQuery() {
    CFileListView* results =
        m_query->Bind(*FAnchor, *m_categoryLists, *FTabViewer, *FFileListViews);
    m_listKeys << CQueryView::ResultsKey();
    FollowList(results);
    // Nothing can be dropped on the results: their empty list says why it is.
    if (results != nullptr)
        results->ListView()->setEmptyText(tr("クエリに一致する文書はありません。"));
    connect(m_query.get(), &CQueryView::OnShown, this, &FormMain::ShowCount);
}

void FormMain::SetupSavedSearches() {
    m_query->LoadHistory();
    m_saved = std::make_unique<CSavedSearchTree>(*FCategory, *m_query, *gRepository, this);
    m_saved->Load();
    m_combine = std::make_unique<CCategoryCombine>(*FCategory, *m_query);
    connect(m_query->SaveAction(), &QAction::triggered, this,
            [this] { Handle(!WritesBlocked(), [this] { m_saved->SaveCurrent(); }); });
}

// ------------------------------------------------------ many documents at once

void FormMain::SetupManyDocuments() {
    m_links = std::make_unique<CCategoryLinks>(*gRepository);
    m_many = std::make_unique<CManyDocuments>(*m_links);
    connect(FFileListViews.get(), &CFileListViews::OnSelectionChange, this,
            &FormMain::FFileListViews_OnSelectionChange);
    connect(FFileListViews.get(), &CFileListViews::OnRemoveFromCategory, this,
            &FormMain::FFileListViews_OnRemoveFromCategory);
    // The first list shows all files, extensions and recent documents: there
    // is no one category to take its rows out of.
    for (int i = 1; i <= FFileListViews->Count(); ++i)
        FFileListViews->Item(i)->setCategoryRemovable(m_listKeys.value(i - 1) !=
                                                      QLatin1String("H0"));
}

// ------------------------------------------------------ desktop tags

void FormMain::SetupDesktopTags() {
    m_links->setTagMirror(&m_desktopTags->Mirror());
    m_userCategories->setTagMirror(&m_desktopTags->Mirror());
    m_desktopTags->setToggle(FCategory->Commands()->DesktopTagsAction());
    connect(m_desktopTags.get(), &CDesktopTags::OnCategoryAdded, this,
            &FormMain::DesktopTags_OnCategoryAdded);
    Handle(true, [&] {
        // The first start's walk may have found tags; the question about
        // writing them comes once, after the first start's own.
        if (m_desktopTags->OfferImport())
            RefillLists();
        if (m_firstStartAsked)
            m_desktopTags->AskOnce();
    });
}

void FormMain::DesktopTags_OnCategoryAdded(qint32 ID, const QString& Name) {
    m_userCategories->InsertNode(ID, Name);
    AddCategoryViews(ID, Name);
    m_userCategories->RefreshForm(*FCategoryForm, ID, Name, false);
    // A tag "a/b" made b below a.
    m_userCategories->LoadNesting();
    m_userCategories->ShowNesting(*FCategoryForm);
}

QString FormMain::SelectionText(qint32 count, qint32 selected) {
    return CManyDocuments::SelectionText(count, selected);
}

void FormMain::ShowSelection() {
    CFileListView* list = ShownList();
    if (list == nullptr)
        return;
    const qint32 selected = list->SelectedCount();
    if (selected == 1) {
        ShowItem(list->SelectedItems().first());
        return;
    }
    setStatusBar(CManyDocuments::StatusOf(*list));
    m_many->FeedCategoryForm(*list, FCategoryForm.get());
}

void FormMain::FFileListViews_OnSelectionChange(qint32 Count) {
    Q_UNUSED(Count);
    // However the row was reached (click, keys, Find, F3), the status line
    // names the document now selected.
    Handle(true, [&] { ShowSelection(); });
}

void FormMain::FFileListViews_OnRemoveFromCategory(const QString& Key,
                                                   const QList<CListItem>& Items) {
    Handle(HasList(Key) && Key != QLatin1String("H0"), [&] {
        const qint32 ID = KeyToID(Key);
        m_links->UnlinkFiles(CCategoryFormFeed::FileIDsOf(Items), ID);
        ShowLinkedTo(ID);
        ShowCount(Key);
    });
}

bool FormMain::LinkDraggedRows(const QMimeData* Data, qint32 TagID) {
    if (!m_many->LinkDraggedRows(Data, TagID))
        return false;
    if (TagID > 0)
        ShowLinkedTo(TagID);
    return true;
}

void FormMain::ShowLinkedTo(qint32 TagID) {
    // A category beyond the lists gets its links, but has no list.
    if (HasList(MakeKey(TagID)))
        ShowTagFiles(TagID);
    ShowOpenParents(TagID);
}

void FormMain::ShowOpenParents(qint32 TagID) {
    // A parent's list shows its descendants' documents too; the closed ones
    // are read when their node is clicked.
    if (!m_categoryTabs || TagID <= 0 || IsExtensionCategory(TagID))
        return;
    for (const qint32 up : m_categoryTabs->OpenAncestors(TagID))
        if (HasList(MakeKey(up)))
            ShowTagFiles(up);
}

// ---------------------------------------------------------------- moved documents

void FormMain::LoadMoveFollowing() {
    FMoveFollower = std::make_unique<CMoveFollower>(this);
    m_moves = std::make_unique<CDocumentMoves>(*gRepository, *FMoveFollower);
    connect(FMoveFollower.get(), &CMoveFollower::OnRelinked, this,
            &FormMain::FMoveFollower_OnRelinked);
    connect(FMoveFollower.get(), &CMoveFollower::OnStillMissing, this, [this](qint32 FileID) {
        Handle(gRepository != nullptr, [&] { gRepository->MarkMissing(FileID); });
    });
    connect(FMoveFollower.get(), &CMoveFollower::OnGone, this, [this](qint32 FileID) {
        Handle(gRepository != nullptr, [&] { m_filler->ShowMissing(FileID); });
    });
    connect(FMoveFollower.get(), &CMoveFollower::OnMovesLost, this, [this] {
        Handle(!gRepository->IsReadOnly(), [this] { FMoveFollower->Repair(true); });
    });
    auto* findMissing = new QAction(tr("見つからない文書を探す"), this);
    findMissing->setObjectName(QStringLiteral("FindMissing"));
    connect(findMissing, &QAction::triggered, this, &FormMain::FindMissing_Triggered);
    FCategory->Commands()->Menu()->addAction(findMissing);
    for (qint32 i = 1; i <= FFileListViews->Count(); ++i)
        FFileListViews->Item(i)->ContextMenu()->AddCommand(findMissing);
    if (m_pendingKeys.isEmpty())
        m_moves->FollowRegistered(m_filler->TakeWholeRead());
    // A window that never gets drawn (started minimised) still looks.
    QTimer::singleShot(kFollowAtLatestMs, this, &FormMain::StartMoveFollowing);
}

// Looking for every registered document on the disk takes a noticeable
// moment in a large repository; the window is drawn first, so the user sees
// it at once.
void FormMain::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // Queued: it runs once this paint is on the screen. Lists not read yet
    // come first; the search for moved documents starts from what they read.
    if (!m_pendingKeys.isEmpty())
        QMetaObject::invokeMethod(this, &FormMain::FillPendingLists, Qt::QueuedConnection);
    else if (!m_followStarted)
        QMetaObject::invokeMethod(this, &FormMain::StartMoveFollowing, Qt::QueuedConnection);
}

void FormMain::StartMoveFollowing() {
    if (!FMoveFollower || m_followStarted || gRepository == nullptr)
        return;
    FillPendingLists();
    m_followStarted = true;
    // Shortcuts cannot be re-pointed for a repository that stays unchanged.
    if (!gRepository->IsReadOnly())
        FMoveFollower->Repair(true);
    // Documents collected at this start or left without a fingerprint last
    // time; only after the search, whose questions would otherwise wait on
    // the worker's writes and see its changes arrive in between.
    m_fingerprints->Start();
}

void FormMain::FollowAfter(const std::function<void()>& refill, bool fillsAll) {
    if (!m_moves || !fillsAll) {
        refill();
        if (m_moves)
            m_moves->FollowRegistered();
        return;
    }
    // The follower and the list of all files share one reading, made before
    // the refill. The list's rows and the follower's earlier reading are let
    // go first, so that two copies of every path are never held at once.
    if (CFileListView* all = FFileListViews->Item(MakeKey(0)))
        m_filler->Empty(all);
    CListFiller::WholeRead read = m_filler->ReadWhole();
    m_moves->FollowRegistered(read);
    m_filler->LendWholeRead(std::move(read));
    const auto takenBack = qScopeGuard([this] { m_filler->LendWholeRead(std::nullopt); });
    refill();
}

void FormMain::FMoveFollower_OnRelinked(qint32 FileID, const QString& Shortcut,
                                        const QString& OldPath, const QString& NewPath) {
    Q_UNUSED(OldPath);
    Handle(gRepository != nullptr,
           [&] { m_moves->Relinked(FileID, Shortcut, NewPath, *FFileListViews); });
}

void FormMain::FindMissing_Triggered() {
    Handle(FMoveFollower != nullptr && !gRepository->IsReadOnly(),
           [this] { FMoveFollower->Repair(false); });
}

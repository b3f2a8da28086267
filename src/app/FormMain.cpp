#include "FormMain.h"

#include "AM_Vollo.h"
#include "BM_Library.h"
#include "CAnchor.h"
#include "CBatchTransaction.h"
#include "CBusyIndicator.h"
#include "CCategoryEditor.h"
#include "CCategoryLinks.h"
#include "CCategoryMenu.h"
#include "CCheckListView.h"
#include "CContextMenu.h"
#include "CFileCollector.h"
#include "CFileDrag.h"
#include "CFileFacts.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CFindBox.h"
#include "CLanguage.h"
#include "CLeftOut.h"
#include "CListFiller.h"
#include "CListViewControl.h"
#include "CMoveFollower.h"
#include "CMsghook.h"
#include "CPathFinder.h"
#include "CRecentFiles.h"
#include "CSplitBar.h"
#include "CStoredText.h"
#include "CTabViewer.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"
#include "CWalkProgress.h"
#include "CWidgetAnchorControl.h"
#include "CWidgetAnchorWindow.h"
#include "CWindowPlacement.h"
#include "FormAbout.h"
#include "FormCategory.h"
#include "IM_Images.h"
#include "Placeholders.h"
#include "RM_RecentMirror.h"
#include "SM_Shell.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScopeGuard>
#include <QScreen>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <cstdlib>

using namespace BM_Library;
using AM_Vollo::gRepository;

namespace {

int Px(int twips) {
    return CWidgetAnchorControl::ToPixels(twips);
}

int Twips(int pixels) {
    return CWidgetAnchorControl::ToTwips(pixels);
}

} // namespace

// ---------------------------------------------------------------- Initialize

FormMain::FormMain(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("Vollo"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    SetupImages();
    SetupControls();
    SetupToolbars();
    SetupCollectFolder();
    SetupKeyboard();
    resize(Px(DesignWidth), Px(DesignHeight));
    LoadWindowPosition();
}

FormMain::~FormMain() {
    if (!m_unloaded) {
        // A window dropped without being closed still lets go of its views
        // before its controls go; the repository stays with its owner.
        FCategory.reset();
        FFileListViews.reset();
        FTabViewer.reset();
    }
}

void FormMain::SetupImages() {
    m_imageListTag = IM_Images::ImageListTag(style());
}

void FormMain::PlaceDesign(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

void FormMain::SetupControls() {
    m_pictureTool = new QWidget(this);
    m_pictureTool->setObjectName(QStringLiteral("PictureTool"));
    PlaceDesign(m_pictureTool, 0, 0, 9165, 660);

    m_lineTool = new QFrame(this);
    m_lineTool->setObjectName(QStringLiteral("LineTool"));
    m_lineTool->setFrameShape(QFrame::NoFrame);
    m_lineTool->setAutoFillBackground(true);
    {
        // The separator is drawn in the button-shadow colour.
        QPalette p = m_lineTool->palette();
        p.setColor(QPalette::Window, p.color(QPalette::Dark));
        m_lineTool->setPalette(p);
    }
    m_lineTool->setGeometry(0, Px(690), Px(9315), 1);

    m_textSearch = new QLineEdit(tr("検索"), this);
    m_textSearch->setObjectName(QStringLiteral("TextSearch"));
    PlaceDesign(m_textSearch, 6240, 150, 2895, 330);

    m_treeViewTag = new QTreeWidget(this);
    m_treeViewTag->setObjectName(QStringLiteral("TreeViewTag"));
    m_treeViewTag->setHeaderHidden(true);
    m_treeViewTag->setIconSize(QSize(16, 16));
    PlaceDesign(m_treeViewTag, 120, 795, 2535, 5055);

    m_tabStripWork = new QTabBar(this);
    m_tabStripWork->setObjectName(QStringLiteral("TabStripWork"));
    m_tabStripWork->setExpanding(false);
    m_tabStripWork->setDrawBase(true);
    PlaceDesign(m_tabStripWork, 2760, 795, 6375, 5055);

    // The hooks live in a container of their own, outside the visible layout.
    m_frame1 = new QGroupBox(QStringLiteral("Invisible Container"), this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_frame1->hide();
    for (int i = 0; i < 4; ++i) {
        m_listView[i] = new CListViewControl(this);
        m_listView[i]->setObjectName(QStringLiteral("ListView%1").arg(i + 1));
        m_listView[i]->hide();
        m_msghook[i] = new CMsghook(m_frame1);
        m_msghook[i]->setObjectName(QStringLiteral("Msghook%1").arg(i + 1));
    }

    m_textStatusBar = new QLineEdit(this);
    m_textStatusBar->setObjectName(QStringLiteral("TextStatusBar"));
    m_textStatusBar->setReadOnly(true);
    m_textStatusBar->setFrame(false);
    // The design height fits the design font only: the bottom of the count's
    // text would be cut off. A taller line keeps to the window's bottom edge.
    const int statusHeight = std::max(Px(240), m_textStatusBar->sizeHint().height());
    m_textStatusBar->setGeometry(Px(120), std::min(Px(5955), Px(DesignHeight) - statusHeight),
                                 Px(9000), statusHeight);
    SetupSplitBar();
    SetupAccessibleNames();
}

void FormMain::SetupSplitBar() {
    // In the gap between the tree and the tab strip, clear of the lists,
    // which reach two pixels left of the strip.
    m_splitBar = new CSplitBar(this);
    m_splitBar->Place(2655, 795, 75, 5055);
    m_splitBar->Bar()->setAccessibleName(tr("ツリーと一覧の境界"));
}

void FormMain::SetupAccessibleNames() {
    // What a screen reader says for controls that show no caption of their
    // own; the tree, the lists and the search field name themselves.
    m_tabStripWork->setAccessibleName(tr("ファイル一覧の切り替え"));
    m_textStatusBar->setAccessibleName(tr("状態"));
    m_pictureTool->setAccessibleName(tr("ツールバー"));
}

void FormMain::SetupKeyboard() {
    // Tree, tabs, the shown list, search (the hidden lists drop out by
    // themselves), then the buttons, each with the key a desktop user tries.
    QWidget* previous = m_treeViewTag;
    for (QWidget* next :
         {static_cast<QWidget*>(m_tabStripWork), static_cast<QWidget*>(m_listView[0]),
          static_cast<QWidget*>(m_listView[1]), static_cast<QWidget*>(m_listView[2]),
          static_cast<QWidget*>(m_listView[3]), static_cast<QWidget*>(m_textSearch)}) {
        setTabOrder(previous, next);
        previous = next;
    }
    const std::pair<const char*, QKeySequence> keys[] = {
        {"Exit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"About", QKeySequence::HelpContents},
        {"Category", QKeySequence(Qt::CTRL | Qt::Key_T)},
        {"FolderOpen", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
        {"CollectFolder", QKeySequence(Qt::CTRL | Qt::Key_O)}};
    for (const auto& [name, key] : keys) {
        auto* action = findChild<QAction*>(QLatin1String(name));
        action->setShortcut(key);
        action->setToolTip(
            QStringLiteral("%1 (%2)").arg(action->text(), key.toString(QKeySequence::NativeText)));
        for (QToolBar* bar : {m_toolbarMenu, m_toolbarFolderOpen}) {
            if (QWidget* button = bar->widgetForAction(action)) {
                button->setFocusPolicy(Qt::TabFocus);
                setTabOrder(previous, button);
                previous = button;
            }
        }
    }
    auto* find = new QAction(this);
    find->setObjectName(QStringLiteral("Find"));
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        m_textSearch->setFocus(Qt::ShortcutFocusReason);
        m_textSearch->selectAll();
    });
    addAction(find);
}

void FormMain::SetupToolbars() {
    auto makeBar = [this](const QString& name) {
        auto* bar = new QToolBar(this);
        bar->setObjectName(name);
        bar->setMovable(false);
        bar->setFloatable(false);
        bar->setIconSize(QSize(16, 16));
        bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        bar->setAutoFillBackground(false);
        return bar;
    };
    auto addButton = [this](QToolBar* bar, const QString& key, const QString& text) {
        QAction* a = bar->addAction(m_imageListTag.value(key), text);
        a->setObjectName(key);
        a->setData(key);
        return a;
    };

    m_toolbarMenu = makeBar(QStringLiteral("ToolbarMenu"));
    addButton(m_toolbarMenu, QStringLiteral("Exit"), tr("終了"));
    addButton(m_toolbarMenu, QStringLiteral("About"), tr("情報"));
    auto* placeholder = new QWidget(m_toolbarMenu);
    placeholder->setObjectName(QStringLiteral("Placeholder"));
    placeholder->setFixedWidth(Px(1450));
    m_toolbarMenu->addWidget(placeholder);
    addButton(m_toolbarMenu, QStringLiteral("Category"), tr("カテゴリ"));
    PlaceDesign(m_toolbarMenu, 120, 30, 4215, 675);
    connect(m_toolbarMenu, &QToolBar::actionTriggered, this, &FormMain::ToolbarMenu_ButtonClick);

    m_toolbarFolderOpen = makeBar(QStringLiteral("ToolbarFolderOpen"));
    // The folder button has an image and a text but no key.
    QAction* folder = m_toolbarFolderOpen->addAction(m_imageListTag.value(QStringLiteral("Folder")),
                                                     tr("フォルダ"));
    folder->setObjectName(QStringLiteral("FolderOpen"));
    PlaceDesign(m_toolbarFolderOpen, 4920, 30, 1215, 675);
    connect(m_toolbarFolderOpen, &QToolBar::actionTriggered, this,
            &FormMain::ToolbarFolderOpen_ButtonClick);
}

void FormMain::LoadWindowPosition() {
    CRecordset rs = gRepository->RunQuery(QStringLiteral("getMyPos"));
    const int nLeft = rs.Field(QStringLiteral("nLeft")).toInt();
    const int nTop = rs.Field(QStringLiteral("nTop")).toInt();
    const int nWidth = rs.Field(QStringLiteral("nWidth")).toInt();
    const int nHeight = rs.Field(QStringLiteral("nHeight")).toInt();
    if (nLeft <= 0 && nTop <= 0 && nWidth <= 0 && nHeight <= 0) {
        // Nothing saved yet: open centred at a size made for today's screens.
        const QRect first = CWindowPlacement::FirstGeometry(screen()->availableGeometry(), size());
        if (CWindowPlacement::CanPlace())
            move(first.topLeft());
        m_restoreWidth = first.width();
        m_restoreHeight = first.height();
        return;
    }
    // Each value on its own: 0 or below keeps the design value.
    QPoint at = pos();
    if (nLeft > 0)
        at.setX(Px(nLeft));
    if (nTop > 0)
        at.setY(Px(nTop));
    if (CWindowPlacement::CanPlace())
        move(at);
    m_restoreWidth = nWidth > 0 ? Px(nWidth) : -1;
    m_restoreHeight = nHeight > 0 ? Px(nHeight) : -1;
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
    LoadLayout();
    LoadCategoryForm();
    SetupListFollowing();
    SetupCategoryCommands();
    SetupManyDocuments();
    LoadSelection();
    SetupDataFolderWatch();
    LoadMoveFollowing();
    // The search field shows its placeholder until the user goes to it.
    m_treeViewTag->setFocus();
}

void FormMain::LoadFieldLists() {
    FListViews = {m_listView[0], m_listView[1], m_listView[2], m_listView[3]};
    FMsghooks = {m_msghook[0], m_msghook[1], m_msghook[2], m_msghook[3]};
}

void FormMain::LoadFindBox() {
    FFindBox = std::make_unique<CFindBox>();
    FFindBox->Create(m_textSearch);
    connect(FFindBox.get(), &CFindBox::OnFind, this, &FormMain::FFindBox_OnFind);
    connect(FFindBox.get(), &CFindBox::OnFindNext, this, &FormMain::FFindBox_OnFindNext);
}

void FormMain::LoadToolStrip() {
    // The strip behind the toolbars takes the button face; the tab strip
    // starts without tabs.
    m_pictureTool->setBackgroundRole(QPalette::Button);
    m_pictureTool->setAutoFillBackground(true);
    while (m_tabStripWork->count() > 0)
        m_tabStripWork->removeTab(0);
}

void FormMain::LoadCategoryTree() {
    CRecordset root = gRepository->RunQuery(QStringLiteral("getRootFolder"));
    const QString rootName = CStoredText::Shown(root.Field(QStringLiteral("Value")).toString());
    FCategory = std::make_unique<CCategory>();
    FCategory->setImages(m_imageListTag);
    FCategory->Create(m_treeViewTag, rootName);
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
        for (columns.MoveFirst(); !columns.IsEOF(); columns.MoveNext())
            list->AddColumnHeader(
                CStoredText::Shown(columns.Field(QStringLiteral("Value")).toString()),
                columns.Field(QStringLiteral("Extra")).toInt());
    }
}

void FormMain::LoadCategories(CRecordset& categories) {
    for (categories.MoveFirst(); !categories.IsEOF(); categories.MoveNext()) {
        const qint32 id = categories.Field(0).toInt();
        SetupCategoryNode(
            FCategory->Add(MakeKey(id), CStoredText::Shown(categories.Field(1).toString())), id);
    }
}

void FormMain::LoadFirstStart() {
    CRecordset rs = gRepository->RunQuery(QStringLiteral("getFirstStart"));
    // Nothing can be collected into a repository open for reading; the
    // question waits for a start that can.
    if (rs.Field(0).toBool() || gRepository->IsReadOnly())
        return;
    QMessageBox question(QMessageBox::NoIcon, QStringLiteral("Vollo"),
                         CStoredText::Shown(rs.Field(1).toString()),
                         QMessageBox::Ok | QMessageBox::Cancel, this);
    question.setObjectName(QStringLiteral("FirstStartQuestion"));
    // Enter answers OK on every button order, GNOME's (Cancel first) too.
    question.setDefaultButton(QMessageBox::Ok);
    if (question.exec() == QMessageBox::Ok) {
        const QString folder = DocumentsFolder(this);
        m_collector->LeftOut().Clear();
        try {
            // An unknown documents folder comes back as the root of the file
            // system, which is no one's documents.
            if (folder != QLatin1String("/"))
                CollectDocuments(folder);
        } catch (const CError& e) {
            // What was collected stays; the question comes again next time,
            // and collecting again finds the documents already there.
            AM_Vollo::ReportError(AM_Vollo::UserText(e), this);
            return;
        }
        ReportLeftOut(m_collector->LeftOut());
    }
    gRepository->RunQuery(QStringLiteral("setFirstStart"));
}

bool FormMain::CollectDocuments(const QString& folder, qint32 TagID) {
    CBusyIndicator busy;
    // Committed in batches: an interrupted walk loses one batch at most, and
    // a small disk keeps what fitted.
    CBatchTransaction transaction(*gRepository);
    CWalkProgress progress(this);
    m_walkProgress = &progress;
    m_walkCount = 0;
    m_walkBatch = &transaction;
    m_walkTag = TagID;
    const QMetaObject::Connection onFolder = connect(FPathFinder.get(), &CPathFinder::OnFolder,
                                                     &progress, [&progress](const QString& f) {
                                                         progress.setFolder(f);
                                                         progress.Pump();
                                                     });
    // What the walk cannot take is told once it is over, never per entry.
    const QMetaObject::Connection onLeftOut =
        connect(FPathFinder.get(), &CPathFinder::OnLeftOut, this,
                [this](const QString& path, const QString& reason) {
                    m_collector->LeftOutFound(path, reason);
                });
    connect(&progress, &CWalkProgress::OnCancel, FPathFinder.get(), &CPathFinder::Cancel);
    bool canceled = false;
    connect(&progress, &CWalkProgress::OnCancel, &progress, [&canceled] { canceled = true; });
    m_collector->BeginBatch();
    const auto batchEnd = qScopeGuard([this] { m_collector->EndBatch(); });
    {
        progress.Begin();
        const auto walkEnd = qScopeGuard([&] {
            progress.End();
            disconnect(onFolder);
            disconnect(onLeftOut);
            m_walkProgress = nullptr;
            m_walkBatch = nullptr;
        });
        FPathFinder->FindFile(folder);
    }
    transaction.Commit();
    return !canceled;
}

void FormMain::ReportLeftOut(const CLeftOut& leftOut) {
    // With the data folder gone every document fails for that one reason,
    // which the user is told on its own.
    if (leftOut.IsEmpty() || (gRepository != nullptr && gRepository->IsGone()))
        return;
    const QString text = leftOut.Summary();
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Vollo"), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("LeftOutReport"));
    box.exec();
}

void FormMain::RefillLists() {
    if (m_unloaded || gRepository == nullptr || !FFileListViews)
        return;
    for (const QString& key : std::as_const(m_listKeys)) {
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
    FTabViewer->Create(this, m_tabStripWork);
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
    ShowTagFiles(0);
    // One list per category, as far as there are categories; a list
    // without category stays hidden and out of the tabs.
    categories.MoveFirst();
    for (int i = 1; i < FListViews.size() && !categories.IsEOF(); ++i) {
        const qint32 id = categories.Field(0).toInt();
        const QString key = MakeKey(id);
        const QString caption = CStoredText::Shown(categories.Field(1).toString());
        FTabViewer->Add(FListViews.at(i), key, caption);
        FListViews.at(i)->setAccessibleName(caption);
        FFileListViews->Add(FListViews.at(i), FMsghooks.at(i), key);
        m_listKeys << key;
        ShowTagFiles(id);
        categories.MoveNext();
    }
}

void FormMain::LoadLayout() {
    FAnchor = std::make_unique<CAnchor>();
    FAnchor->Create(CWidgetAnchorWindow::Wrap(this), false);
    connect(FAnchor.get(), &CAnchor::FormResize, this, &FormMain::FAnchor_FormResize);
    FAnchor->Add(CWidgetAnchorControl::Wrap(m_toolbarMenu), 0, 0);
    FAnchor->Add(CWidgetAnchorControl::Wrap(m_toolbarFolderOpen), 6, 0);
    FAnchor->Add(CWidgetAnchorControl::Wrap(m_textSearch), 6, 0);
    FAnchor->Add(CWidgetAnchorControl::Wrap(m_tabStripWork), 8, 2);
    FAnchor->Add(CWidgetAnchorControl::Wrap(m_treeViewTag), 3, 2);
    FAnchor->Add(CWidgetAnchorControl::Wrap(m_textStatusBar), 2, 0);
    FAnchor->setMinWidth(MinWidth);
    // The window manager stops a drag at the layout's minimum instead of the
    // layout snapping the window back after it (or never, under some).
    setMinimumSize(Px(FAnchor->MinWidth()), Px(FAnchor->MinHeight()));
    // The lists lie over the tab strip's page, below its tabs.
    const QRect strip = m_tabStripWork->geometry();
    const int tabsHeight = m_tabStripWork->sizeHint().height();
    const int clientLeft = Twips(strip.x());
    const int clientTop = Twips(strip.y() + tabsHeight);
    const int clientWidth = Twips(strip.width());
    const int clientHeight = Twips(strip.height() - tabsHeight);
    for (CListViewControl* list : std::as_const(FListViews)) {
        list->setGeometry(Px(clientLeft - 30), Px(clientTop), Px(clientWidth + 30),
                          Px(clientHeight));
        list->raise();
        FAnchor->Add(CWidgetAnchorControl::Wrap(list), 8, 3);
    }
    m_splitBar->Bind(*FAnchor);
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
    m_splitBar->Restore(*gRepository);
    // The name column takes whatever width the other columns leave.
    for (CListViewControl* list : std::as_const(FListViews)) {
        if (list->header()->count() > 0)
            list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

void FormMain::LoadSelection() {
    QString key = LoadTabKey();
    // A saved key that names no tab (a category gone since) starts on the
    // root's list.
    if (!HasList(key))
        key = QStringLiteral("H0");
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
    // Minimised or maximised: the last normal position stays stored.
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    QPoint at(Twips(x()), Twips(y()));
    if (!CWindowPlacement::CanPlace()) {
        // The place stored where the program could place itself stays.
        CRecordset rs = gRepository->RunQuery(QStringLiteral("getMyPos"));
        at = QPoint(rs.Field(0).toInt(), rs.Field(1).toInt());
    }
    gRepository->RunSQL(FillPlaceholders(gRepository->GetQuery(QStringLiteral("setMyPos")),
                                         {{QStringLiteral("%leftPos"), at.x()},
                                          {QStringLiteral("%topPos"), at.y()},
                                          {QStringLiteral("%widthPos"), Twips(width())},
                                          {QStringLiteral("%heightPos"), Twips(height())}}));
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
    if (FCategoryForm)
        FCategoryForm->hide();
    if (gRepository != nullptr && !gRepository->IsReadOnly()) {
        if (FTabViewer && !FTabViewer->SelectedKey().isEmpty())
            SaveTabKey(FTabViewer->SelectedKey());
        SaveWindowPosition();
        m_splitBar->Save(*gRepository);
    }
    FMoveFollower.reset();
    FCategory.reset();
    FFileListViews.reset();
    FTabViewer.reset();
    FListViews.clear();
    FMsghooks.clear();
    m_collector.reset();
    m_filler.reset();
    AM_Vollo::ReleaseRepository();
}

// ----------------------------------------------------------------- the lists

QString FormMain::StatusBar() const {
    return m_textStatusBar->text();
}

void FormMain::setStatusBar(const QString& vNewValue) {
    m_textStatusBar->setText(vNewValue);
}

QString FormMain::CountText(qint32 count) {
    return tr("%n 個のファイル", nullptr, count);
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
    const QAbstractItemModel* model = list->ListView()->Model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &FormMain::ListModel_OnRowsChanged);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &FormMain::ListModel_OnRowsChanged);
    connect(model, &QAbstractItemModel::modelReset, this, &FormMain::ListModel_OnRowsChanged);
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
    setStatusBar(CountText(FFileListViews->Item(Key)->Count()));
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
    if (files.isEmpty() && folders.isEmpty())
        return;
    if (WritesBlocked())
        return;
    RequireWritable();
    CBusyIndicator busy;
    // One transaction for the whole drop, dropped folders included; it
    // commits also when a file fails, so the files before it stay collected.
    CTransactionScope transaction(*gRepository);
    m_collector->AddDroppedFiles(files, TagID);
    for (const QString& folder : folders) {
        if (!CollectDocuments(folder, TagID))
            break; // Cancel stops the whole drop; what was taken stays
    }
    transaction.Commit();
    FollowRegisteredDocuments();
}

// ------------------------------------------------------------------ handlers

void FormMain::FCategory_OnNodeClick(qint32 ID, QTreeWidgetItem* Node) {
    Handle(Node != nullptr, [&] {
        const QString tag = CCategory::NodeTag(Node);
        QString shown = QStringLiteral("H0");
        if (IsRecentNode(tag)) {
            FTabViewer->SelectTab(shown);
            m_filler->ShowRecentFiles(FFileListViews->Item(shown), *FRecentFiles);
            ReportRecentLeftOut(FRecentFiles->LeftOut());
        } else {
            CListFiller::FileList rs;
            if (IsExtensionCategory(ID)) {
                rs = m_filler->FilesOfExtension(tag);
            } else {
                shown = MakeKey(ID);
                // A category beyond the lists has no tab to show it in.
                if (!HasList(shown))
                    return;
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
        // A category beyond the lists gets its links, but has no list.
        if (HasList(MakeKey(ID)))
            ShowTagFiles(ID);
        ReportLeftOut(m_collector->LeftOut());
    });
}

void FormMain::FFileListViews_OnDrop(const QString& Key, const QMimeData* Data) {
    // Before any tab was chosen the drop names no list.
    Handle(!Key.isEmpty(), [&] {
        const qint32 ID = KeyToID(Key);
        if (LinkDraggedRows(Data, ID))
            return;
        AddDroppedFiles(Data, ID);
        ShowTagFiles(ID);
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
        if (FCategoryForm->FileIDs().size() > 1) {
            if (state == 1)
                m_links->LinkFiles(FCategoryForm->FileIDs(), TagID);
            else
                m_links->UnlinkFiles(FCategoryForm->FileIDs(), TagID);
        } else if (state == 1) {
            LinkFileToTag(FileID, TagID);
        } else {
            gRepository->DelFileTag(FileID, TagID);
        }
        if (FTabViewer->SelectedKey() == key)
            ShowTagFiles(TagID);
    });
}

void FormMain::FAnchor_FormResize() {
    // The separator spans the window whatever its width.
    m_lineTool->setGeometry(0, m_lineTool->y(), width(), 1);
}

void FormMain::FPathFinder_OnFound(const QString& FileName, const QString& FileAge) {
    Q_UNUSED(FileAge);
    // Not guarded: an error ends the walk, and the walk's caller reports it.
    if (m_collector->CollectFound(FileName, m_walkTag))
        ++m_walkCount;
    if (m_walkBatch)
        m_walkBatch->Step();
    if (m_walkProgress) {
        m_walkProgress->setCount(m_walkCount);
        m_walkProgress->Pump();
    }
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
        m_links->FeedCategoryForm(*FCategoryForm, CCategoryLinks::FileIDsOf(list->SelectedItems()));
    else if (row.IsEmpty() || !row.Selected())
        FCategoryForm->Freeze();
    else
        m_filler->FeedCategoryForm(*FCategoryForm, FileNameOf(RemoveExtension(row.Tag())),
                                   row.Key());
    if (!FCategoryForm->isVisible())
        FCategoryForm->show();
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
}

void FormMain::LoadCategoryLists(const CRecordset& categories) {
    // The design's lists serve the first categories; more get their own.
    while (FListViews.size() < categories.RecordCount() + 1)
        AddListControl();
}

CListViewControl* FormMain::AddListControl() {
    int n = static_cast<int>(FListViews.size()) + 1;
    // A deleted category's list stays, hidden, under its name.
    while (findChild<QWidget*>(QStringLiteral("ListView%1").arg(n)) != nullptr)
        ++n;
    auto* list = new CListViewControl(this);
    list->setObjectName(QStringLiteral("ListView%1").arg(n));
    list->hide();
    auto* hook = new CMsghook(m_frame1);
    hook->setObjectName(QStringLiteral("Msghook%1").arg(n));
    FListViews << list;
    FMsghooks << hook;
    return list;
}

void FormMain::SetupCategoryNode(QTreeWidgetItem* node, qint32 ID) {
    // The design's categories have pictures of their own; the user's show
    // the category picture.
    const QString key = MakeKey(ID);
    FCategory->setNodeImage(node, m_imageListTag.contains(key) ? key : QStringLiteral("Category"));
    FCategory->setNodeSelectedImage(node, QStringLiteral("selected"));
    CCategoryMenu::setNodeEditable(node, true);
}

void FormMain::AddCategoryViews(qint32 ID, const QString& Name) {
    const QString key = MakeKey(ID);
    // After the last category, before the extension categories.
    QTreeWidgetItem* root = FCategory->Node(QStringLiteral("H0"));
    int at = 0;
    while (at < root->childCount() &&
           !IsExtensionCategory(KeyToID(CCategory::NodeKey(root->child(at)))))
        ++at;
    SetupCategoryNode(FCategory->Insert(at, key, Name), ID);

    CListViewControl* control = AddListControl();
    CRecordset columns = gRepository->RunQuery(QStringLiteral("getColumnHeader"));
    for (; !columns.IsEOF(); columns.MoveNext())
        control->AddColumnHeader(
            CStoredText::Shown(columns.Field(QStringLiteral("Value")).toString()),
            columns.Field(QStringLiteral("Extra")).toInt());
    // Placed and anchored like the lists made at start, beside the split bar.
    control->setGeometry(FListViews.at(0)->geometry());
    FAnchor->Add(CWidgetAnchorControl::Wrap(control), 8, 3);
    if (control->header()->count() > 0)
        control->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    FTabViewer->Add(control, key, Name);
    control->setAccessibleName(Name);
    CFileListView* list = FFileListViews->Add(control, FMsghooks.last(), key);
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
        CListViewControl* control = FFileListViews->Item(key)->ListView();
        FTabViewer->Delete(key);
        FFileListViews->Remove(key);
        m_listKeys.removeAll(key);
        const qsizetype at = FListViews.indexOf(control);
        if (at >= 0) {
            FListViews.removeAt(at);
            FMsghooks.removeAt(at);
        }
        // The layout keeps the control it was given: it stays, hidden.
        control->hide();
    }
    FCategory->Remove(key);
}

// The category dialog reads its rows when it loads; a loaded one is told
// at once. Removed: the category is gone.
void FormMain::RefreshCategoryForm(qint32 ID, const QString& Name, bool Removed) {
    CRecordset all = gRepository->GetTagName();
    if (FCategoryForm->IsLoaded()) {
        CCheckListView* rows = FCategoryForm->CheckListView();
        QTreeWidgetItem* row = rows->FindItem(CCheckListView::RecordKey(ID));
        if (Removed) {
            delete row;
        } else if (row != nullptr) {
            row->setText(0, Name);
        } else {
            for (; !all.IsEOF() && all.Field(0).toInt() != ID; all.MoveNext()) {
            }
            if (!all.IsEOF())
                rows->AddItem(all);
        }
    }
    FCategoryForm->setCategorySet(std::move(all));
}

void FormMain::FCategory_OnNewCategoryRequest() {
    Handle(FCategory != nullptr, [&] {
        QString name;
        const qint32 id = CCategoryEditor(*gRepository, this).AskNew(&name);
        if (id == 0)
            return;
        AddCategoryViews(id, name);
        RefreshCategoryForm(id, name, false);
        // The new category is shown, ready to take files.
        FCategory->SelectNode(MakeKey(id));
        FCategory_OnNodeClick(id, FCategory->Node(MakeKey(id)));
    });
}

void FormMain::FCategory_OnRenameRequest(qint32 ID, QTreeWidgetItem* Node) {
    Handle(Node != nullptr && !IsExtensionCategory(ID) && ID != 0, [&] {
        const QString name = CCategoryEditor(*gRepository, this).AskRename(ID, Node->text(0));
        if (name.isEmpty())
            return;
        Node->setText(0, name);
        const QString key = MakeKey(ID);
        QTabBar* tabs = FTabViewer->TabStrip();
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->tabData(i).toString() == key)
                tabs->setTabText(i, name);
        }
        if (HasList(key))
            FFileListViews->Item(key)->ListView()->setAccessibleName(name);
        RefreshCategoryForm(ID, name, false);
    });
}

void FormMain::FCategory_OnDeleteRequest(qint32 ID, QTreeWidgetItem* Node) {
    Handle(Node != nullptr && !IsExtensionCategory(ID) && ID != 0, [&] {
        if (!CCategoryEditor(*gRepository, this).AskDelete(ID, Node->text(0)))
            return;
        RemoveCategoryViews(ID);
        RefreshCategoryForm(ID, QString(), true);
    });
}

// ------------------------------------------------------- collecting a folder

void FormMain::SetupCollectFolder() {
    auto* collect = new QAction(tr("フォルダを取り込む..."), this);
    collect->setObjectName(QStringLiteral("CollectFolder"));
    // The key works wherever the window has the focus, menu shown or not.
    addAction(collect);
    connect(collect, &QAction::triggered, this, &FormMain::CollectFolder);
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("FolderMenu"));
    menu->addAction(collect);
    auto* button = qobject_cast<QToolButton*>(
        m_toolbarFolderOpen->widgetForAction(findChild<QAction*>(QStringLiteral("FolderOpen"))));
    // A click still opens the selected document's folder; the arrow offers
    // the rest.
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setMenu(menu);
}

void FormMain::CollectFolder() {
    if (m_unloaded || !FCategory)
        return;
    const QString start =
        m_lastCollectFolder.isEmpty() ? DocumentsFolder(this) : m_lastCollectFolder;
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("取り込むフォルダを選んでください"), start);
    if (!folder.isEmpty())
        CollectFolderFrom(folder);
}

void FormMain::CollectFolderFrom(const QString& folder) {
    Handle(!folder.isEmpty() && FCategory != nullptr, [&] {
        if (WritesBlocked())
            return;
        RequireWritable();
        // A folder picked through a link is walked where the link leads.
        const QString real = QFileInfo(folder).canonicalFilePath();
        if (real.isEmpty() || !FolderExists(real))
            throw CError(0, tr("フォルダ「%1」が見つかりません。").arg(folder));
        m_lastCollectFolder = folder;
        const qint32 TagID = SelectedCategoryID();
        m_collector->LeftOut().Clear();
        // What was committed before a Cancel stays, and shows; after an
        // error the handler reads every list again.
        CollectDocuments(real, TagID);
        RefreshAfterCollect(TagID);
        ReportLeftOut(m_collector->LeftOut());
    });
}

qint32 FormMain::SelectedCategoryID() const {
    const QTreeWidgetItem* node = FCategory ? FCategory->SelectedItem() : nullptr;
    if (node == nullptr)
        return 0;
    const qint32 id = KeyToID(CCategory::NodeKey(node));
    return id > 0 && !IsExtensionCategory(id) ? id : 0;
}

void FormMain::RefreshAfterCollect(qint32 TagID) {
    if (TagID > 0 && HasList(MakeKey(TagID)))
        ShowTagFiles(TagID);
    // The root's list keeps showing what the selected node asks of it.
    const QTreeWidgetItem* node = FCategory->SelectedItem();
    const QString tag = node != nullptr ? CCategory::NodeTag(node) : QString();
    if (node == nullptr || !IsExtensionCategory(KeyToID(CCategory::NodeKey(node)))) {
        ShowTagFiles(0);
    } else if (!IsRecentNode(tag)) {
        const CListFiller::FileList rs = m_filler->FilesOfExtension(tag);
        m_filler->ShowFiles(FFileListViews->Item(QStringLiteral("H0")), rs);
    }
    if (HasList(FTabViewer->SelectedKey()))
        ShowCount(FTabViewer->SelectedKey());
}

void FormMain::RequireWritable() const {
    if (gRepository->IsReadOnly())
        throw CError(0, gRepository->ReadOnlyNotice());
}

// ------------------------------------------------- the data folder and lists

void FormMain::SetupDataFolderWatch() {
    // Told promptly, not at the next click: the folder holds the repository
    // and every shortcut.
    auto* watcher = new QFileSystemWatcher(this);
    watcher->setObjectName(QStringLiteral("DataFolderWatcher"));
    watcher->addPath(QDir::cleanPath(gRepository->ShortcutFolder()));
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (m_unloaded || gRepository == nullptr)
            return;
        // A walk stops; the command that runs it tells once it has ended.
        if (m_walkProgress != nullptr) {
            if (gRepository->CheckGone())
                FPathFinder->Cancel();
            return;
        }
        CheckDataFolder();
    });
}

bool FormMain::CheckDataFolder() {
    if (m_unloaded || gRepository == nullptr || !gRepository->CheckGone())
        return false;
    if (!m_dataFolderGone) {
        m_dataFolderGone = true;
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Vollo"),
                        gRepository->ReadOnlyNotice(), QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("DataFolderGone"));
        box.exec();
    }
    return true;
}

bool FormMain::WritesBlocked() {
    if (!CheckDataFolder())
        return false;
    setStatusBar(tr("データフォルダがないため、変更できません。Vollo を起動し直してください。"));
    return true;
}

void FormMain::ReportRecentLeftOut(const CLeftOut& leftOut) {
    // The desktop's list stays as it is between listings: each entry, and a
    // list that cannot be read, is told once a session.
    CLeftOut fresh;
    for (const CLeftOut::Item& item : leftOut.Items()) {
        if (!m_recentLeftOutTold.contains(item.Path)) {
            m_recentLeftOutTold.insert(item.Path);
            fresh.Add(item.Path, item.Reason);
        }
    }
    ReportLeftOut(fresh);
}

// ------------------------------------------------------ many documents at once

void FormMain::SetupManyDocuments() {
    m_links = std::make_unique<CCategoryLinks>(*gRepository);
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

QString FormMain::SelectionText(qint32 count, qint32 selected) {
    return CountText(count) + tr("（%1 個を選択）").arg(selected);
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
    setStatusBar(selected > 0 ? SelectionText(list->Count(), selected) : CountText(list->Count()));
    if (selected > 1 && FCategoryForm && FCategoryForm->IsLoaded())
        m_links->FeedCategoryForm(*FCategoryForm, CCategoryLinks::FileIDsOf(list->SelectedItems()));
}

void FormMain::FFileListViews_OnSelectionChange(qint32 Count) {
    // A single row is shown by its click (or key); Find selecting a row
    // leaves the status line alone.
    Handle(Count != 1, [&] { ShowSelection(); });
}

void FormMain::FFileListViews_OnRemoveFromCategory(const QString& Key,
                                                   const QList<CListItem>& Items) {
    Handle(HasList(Key) && Key != QLatin1String("H0"), [&] {
        const qint32 ID = KeyToID(Key);
        m_links->UnlinkFiles(CCategoryLinks::FileIDsOf(Items), ID);
        ShowTagFiles(ID);
        ShowCount(Key);
    });
}

bool FormMain::LinkDraggedRows(const QMimeData* Data, qint32 TagID) {
    // Rows of a list are documents Vollo holds already: linked, never
    // collected again.
    if (!CFileDrag::IsRowDrag(Data))
        return false;
    m_links->LinkFiles(CFileDrag::FileIDs(Data), TagID);
    if (TagID > 0 && HasList(MakeKey(TagID)))
        ShowTagFiles(TagID);
    return true;
}

// ---------------------------------------------------------------- moved documents

void FormMain::LoadMoveFollowing() {
    FMoveFollower = std::make_unique<CMoveFollower>(this);
    connect(FMoveFollower.get(), &CMoveFollower::OnRelinked, this,
            &FormMain::FMoveFollower_OnRelinked);
    connect(FMoveFollower.get(), &CMoveFollower::OnStillMissing, this, [this](qint32 FileID) {
        Handle(gRepository != nullptr, [&] { gRepository->MarkMissing(FileID); });
    });
    auto* findMissing = new QAction(tr("見つからない文書を探す"), this);
    findMissing->setObjectName(QStringLiteral("FindMissing"));
    connect(findMissing, &QAction::triggered, this, &FormMain::FindMissing_Triggered);
    FCategory->Commands()->Menu()->addAction(findMissing);
    for (qint32 i = 1; i <= FFileListViews->Count(); ++i)
        FFileListViews->Item(i)->ContextMenu()->AddCommand(findMissing);
    FollowRegisteredDocuments();
    // Shortcuts cannot be re-pointed for a repository that stays unchanged.
    if (!gRepository->IsReadOnly())
        FMoveFollower->Repair(true);
}

void FormMain::FollowRegisteredDocuments() {
    if (!FMoveFollower)
        return;
    const QHash<qint32, CFileFacts> facts = gRepository->FactsOf();
    QList<CMoveFollower::Document> documents;
    for (CRecordset rs = gRepository->RunQuery(QStringLiteral("getFileNameAll")); !rs.IsEOF();
         rs.MoveNext()) {
        const qint32 id = rs.Field(0).toInt();
        const auto known = facts.constFind(id);
        if (known != facts.constEnd())
            documents << CMoveFollower::Document{id, rs.Field(1).toString(),
                                                 CMoveMatcher::FromStored(*known), known->missing};
    }
    FMoveFollower->setDocuments(documents);
}

void FormMain::FMoveFollower_OnRelinked(qint32 FileID, const QString& Shortcut,
                                        const QString& OldPath, const QString& NewPath) {
    Q_UNUSED(OldPath);
    Handle(gRepository != nullptr, [&] {
        const CFileFacts facts = CFileFacts::Read(NewPath);
        gRepository->StoreFacts(FileID, facts);
        FMoveFollower->Follow({FileID, Shortcut, CMoveMatcher::FromStored(facts)});
        // The shown rows keep their place; only what the document says changes.
        const QString key = MakeKey(FileID);
        for (qint32 i = 1; i <= FFileListViews->Count(); ++i) {
            CFileListView* list = FFileListViews->Item(i);
            for (qint32 row = 1; list != nullptr && row <= list->Count(); ++row) {
                if (list->Key(row) != key)
                    continue;
                // A row shown as missing is found again.
                const quint64 param = list->Item(row).Param();
                list->ListView()->Model()->UpdateRows(
                    {{param, SizeText(facts.size),
                      FileTimeText(FileTimeFromUnixNanoseconds(facts.modified)), false}});
                list->setDocumentFacts(param, facts.size, facts.modified);
            }
        }
    });
}

void FormMain::FindMissing_Triggered() {
    Handle(FMoveFollower != nullptr && !gRepository->IsReadOnly(),
           [this] { FMoveFollower->Repair(false); });
}

#include "CMainControls.h"

#include "CAnchor.h"
#include "CListViewControl.h"
#include "CMsghook.h"
#include "CSplitBar.h"
#include "CWidgetAnchorControl.h"

#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QStyle>
#include <QTabBar>
#include <QToolBar>
#include <QTreeWidget>
#include <algorithm>

namespace {

int Px(int twips) {
    return CWidgetAnchorControl::ToPixels(twips);
}

int Twips(int pixels) {
    return CWidgetAnchorControl::ToTwips(pixels);
}

QToolBar* MakeBar(QWidget* window, const QString& name) {
    auto* bar = new QToolBar(window);
    bar->setObjectName(name);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setAutoFillBackground(false);
    return bar;
}

QAction* AddButton(QToolBar* bar, const CCategory::ImageList& images, const QString& key,
                   const QString& text) {
    QAction* a = bar->addAction(images.value(key), text);
    a->setObjectName(key);
    a->setData(key);
    return a;
}

} // namespace

CMainControls CMainControls::Create(QWidget* window, const CCategory::ImageList& ImageListTag) {
    CMainControls c;
    c.MakeControls(window);
    c.MakeStatusBar(window);
    // In the gap between the tree and the tab strip, clear of the lists,
    // which reach two pixels left of the strip.
    c.SplitBar = new CSplitBar(window);
    c.SplitBar->Place(2655, 795, 75, 5055);
    c.SetupAccessibleNames();
    c.MakeToolbars(window, ImageListTag);
    c.FitToFont();
    return c;
}

void CMainControls::PlaceDesign(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

void CMainControls::MakeControls(QWidget* window) {
    PictureTool = new QWidget(window);
    PictureTool->setObjectName(QStringLiteral("PictureTool"));
    PlaceDesign(PictureTool, 0, 0, 9165, 660);

    LineTool = new QFrame(window);
    LineTool->setObjectName(QStringLiteral("LineTool"));
    LineTool->setFrameShape(QFrame::NoFrame);
    LineTool->setAutoFillBackground(true);
    {
        // The separator is drawn in the button-shadow colour.
        QPalette p = LineTool->palette();
        p.setColor(QPalette::Window, p.color(QPalette::Dark));
        LineTool->setPalette(p);
    }
    LineTool->setGeometry(0, Px(690), Px(9315), 1);

    TextSearch = new QLineEdit(QCoreApplication::translate("FormMain", "検索"), window);
    TextSearch->setObjectName(QStringLiteral("TextSearch"));
    PlaceDesign(TextSearch, 6240, 150, 2895, 330);

    TreeViewTag = new QTreeWidget(window);
    TreeViewTag->setObjectName(QStringLiteral("TreeViewTag"));
    TreeViewTag->setHeaderHidden(true);
    TreeViewTag->setIconSize(QSize(16, 16));
    PlaceDesign(TreeViewTag, 120, 795, 2535, 5055);

    TabStripWork = new QTabBar(window);
    TabStripWork->setObjectName(QStringLiteral("TabStripWork"));
    TabStripWork->setExpanding(false);
    TabStripWork->setDrawBase(true);
    PlaceDesign(TabStripWork, 2760, 795, 6375, 5055);

    // The hooks live in a container of their own, outside the visible layout.
    Frame1 = new QGroupBox(QStringLiteral("Invisible Container"), window);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->hide();
    for (int i = 0; i < 4; ++i) {
        ListView[i] = new CListViewControl(window);
        ListView[i]->setObjectName(QStringLiteral("ListView%1").arg(i + 1));
        ListView[i]->hide();
        Msghook[i] = new CMsghook(Frame1);
        Msghook[i]->setObjectName(QStringLiteral("Msghook%1").arg(i + 1));
    }
}

void CMainControls::MakeStatusBar(QWidget* window) {
    TextStatusBar = new QLineEdit(window);
    TextStatusBar->setObjectName(QStringLiteral("TextStatusBar"));
    TextStatusBar->setReadOnly(true);
    TextStatusBar->setFrame(false);
    // The design height fits the design font only: the bottom of the count's
    // text would be cut off. A taller line keeps to the window's bottom edge.
    const int statusHeight = std::max(Px(240), TextStatusBar->sizeHint().height());
    TextStatusBar->setGeometry(Px(120), std::min(Px(5955), Px(DesignHeight) - statusHeight),
                               Px(9000), statusHeight);
}

void CMainControls::SetupAccessibleNames() const {
    // What a screen reader says for controls that show no caption of their
    // own; the tree, the lists and the search field name themselves.
    SplitBar->Bar()->setAccessibleName(
        QCoreApplication::translate("FormMain", "ツリーと一覧の境界"));
    TabStripWork->setAccessibleName(
        QCoreApplication::translate("FormMain", "ファイル一覧の切り替え"));
    TextStatusBar->setAccessibleName(QCoreApplication::translate("FormMain", "状態"));
    PictureTool->setAccessibleName(QCoreApplication::translate("FormMain", "ツールバー"));
}

void CMainControls::MakeToolbars(QWidget* window, const CCategory::ImageList& ImageListTag) {
    ToolbarMenu = MakeBar(window, QStringLiteral("ToolbarMenu"));
    AddButton(ToolbarMenu, ImageListTag, QStringLiteral("Exit"),
              QCoreApplication::translate("FormMain", "終了"));
    AddButton(ToolbarMenu, ImageListTag, QStringLiteral("About"),
              QCoreApplication::translate("FormMain", "情報"));
    auto* placeholder = new QWidget(ToolbarMenu);
    placeholder->setObjectName(QStringLiteral("Placeholder"));
    placeholder->setFixedWidth(Px(1450));
    ToolbarMenu->addWidget(placeholder);
    AddButton(ToolbarMenu, ImageListTag, QStringLiteral("Category"),
              QCoreApplication::translate("FormMain", "カテゴリ"));
    PlaceDesign(ToolbarMenu, 120, 30, 4215, 675);

    ToolbarFolderOpen = MakeBar(window, QStringLiteral("ToolbarFolderOpen"));
    // The folder button has an image and a text but no key.
    QAction* folder =
        ToolbarFolderOpen->addAction(ImageListTag.value(QStringLiteral("Folder")),
                                     QCoreApplication::translate("FormMain", "フォルダ"));
    folder->setObjectName(QStringLiteral("FolderOpen"));
    PlaceDesign(ToolbarFolderOpen, 4920, 30, 1215, 675);
}

void CMainControls::FitToFont() {
    // A larger font would send the last buttons behind an overflow marker:
    // the gap in the menu bar gives way first, then the bars widen.
    auto* gap = ToolbarMenu->findChild<QWidget*>(QStringLiteral("Placeholder"));
    const int over = ToolbarMenu->sizeHint().width() - ToolbarMenu->width();
    if (over > 0 && gap != nullptr)
        gap->setFixedWidth(std::max(Px(120), gap->minimumWidth() - over));
    const int height = std::max({ToolbarMenu->height(), ToolbarMenu->sizeHint().height(),
                                 ToolbarFolderOpen->sizeHint().height()});
    ToolbarMenu->resize(std::max(ToolbarMenu->width(), ToolbarMenu->sizeHint().width()), height);
    const int folderLeft =
        std::max(ToolbarFolderOpen->x(), ToolbarMenu->geometry().right() + Px(60));
    ToolbarFolderOpen->setGeometry(
        folderLeft, ToolbarFolderOpen->y(),
        std::max(ToolbarFolderOpen->width(), ToolbarFolderOpen->sizeHint().width()), height);
    // The search field keeps its right edge and gives up width on the left.
    const int searchRight = TextSearch->geometry().right();
    const int searchLeft =
        std::max(TextSearch->x(), ToolbarFolderOpen->geometry().right() + Px(105));
    const int searchHeight = std::max(TextSearch->height(), TextSearch->sizeHint().height());
    TextSearch->setGeometry(searchLeft, TextSearch->y(),
                            std::max(Px(1200), searchRight - searchLeft + 1), searchHeight);
    MoveBelowToolbars(height - Px(675));
}

int CMainControls::TreeWidthNeeded() const {
    QTreeWidget* tree = TreeViewTag;
    tree->ensurePolished();
    // Public on the view's base, where the tree hides it.
    const QAbstractItemView* view = tree;
    // Room for the scroll bar whether it shows now or not: categories and
    // saved searches added after this (or at a smaller window height) bring
    // it, and it must not cut the labels then.
    const int width = view->sizeHintForColumn(0) + 2 * tree->frameWidth() + Px(60) +
                      tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, tree);
    return Twips(tree->x() + width);
}

void CMainControls::MoveBelowToolbars(int extra) {
    if (extra <= 0)
        return;
    PictureTool->resize(PictureTool->width(), PictureTool->height() + extra);
    LineTool->move(LineTool->x(), LineTool->y() + extra);
    for (QWidget* pane : {static_cast<QWidget*>(TreeViewTag), static_cast<QWidget*>(TabStripWork)})
        pane->setGeometry(pane->x(), pane->y() + extra, pane->width(), pane->height() - extra);
    SplitBar->Place(2655, 795 + Twips(extra), 75, 5055 - Twips(extra));
}

void CMainControls::SetupKeyboard(QWidget* window) const {
    QWidget* previous = TreeViewTag;
    for (QWidget* next : {static_cast<QWidget*>(TabStripWork), static_cast<QWidget*>(ListView[0]),
                          static_cast<QWidget*>(ListView[1]), static_cast<QWidget*>(ListView[2]),
                          static_cast<QWidget*>(ListView[3]), static_cast<QWidget*>(TextSearch)}) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    }
    const std::pair<const char*, QKeySequence> keys[] = {
        {"Exit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"About", QKeySequence::HelpContents},
        {"Category", QKeySequence(Qt::CTRL | Qt::Key_T)},
        {"FolderOpen", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
        {"CollectFolder", QKeySequence(Qt::CTRL | Qt::Key_O)}};
    for (const auto& [name, key] : keys) {
        auto* action = window->findChild<QAction*>(QLatin1String(name));
        action->setShortcut(key);
        action->setToolTip(
            QStringLiteral("%1 (%2)").arg(action->text(), key.toString(QKeySequence::NativeText)));
        for (QToolBar* bar : {ToolbarMenu, ToolbarFolderOpen}) {
            if (QWidget* button = bar->widgetForAction(action)) {
                button->setFocusPolicy(Qt::TabFocus);
                QWidget::setTabOrder(previous, button);
                previous = button;
            }
        }
    }
    auto* find = new QAction(window);
    find->setObjectName(QStringLiteral("Find"));
    find->setShortcut(QKeySequence::Find);
    QLineEdit* search = TextSearch;
    QObject::connect(find, &QAction::triggered, search, [search] {
        search->setFocus(Qt::ShortcutFocusReason);
        search->selectAll();
    });
    window->addAction(find);
}

void CMainControls::AnchorControls(CAnchor& Anchor) const {
    Anchor.Add(CWidgetAnchorControl::Wrap(ToolbarMenu), 0, 0);
    Anchor.Add(CWidgetAnchorControl::Wrap(ToolbarFolderOpen), 6, 0);
    Anchor.Add(CWidgetAnchorControl::Wrap(TextSearch), 6, 0);
    Anchor.Add(CWidgetAnchorControl::Wrap(TabStripWork), 8, 2);
    Anchor.Add(CWidgetAnchorControl::Wrap(TreeViewTag), 3, 2);
    Anchor.Add(CWidgetAnchorControl::Wrap(TextStatusBar), 2, 0);
}

void CMainControls::AnchorLists(const QTabBar* TabStrip, const QList<CListViewControl*>& Lists,
                                CAnchor& Anchor) {
    const QRect strip = TabStrip->geometry();
    const int tabsHeight = TabStrip->sizeHint().height();
    const int clientLeft = Twips(strip.x());
    const int clientTop = Twips(strip.y() + tabsHeight);
    const int clientWidth = Twips(strip.width());
    const int clientHeight = Twips(strip.height() - tabsHeight);
    for (CListViewControl* list : Lists) {
        list->setGeometry(Px(clientLeft - 30), Px(clientTop), Px(clientWidth + 30),
                          Px(clientHeight));
        list->raise();
        Anchor.Add(CWidgetAnchorControl::Wrap(list), 8, 3);
    }
}

#pragma once

#include "CCategory.h"

#include <QList>

class CAnchor;
class CListViewControl;
class CMsghook;
class CSplitBar;
class QFrame;
class QGroupBox;
class QLineEdit;
class QTabBar;
class QToolBar;
class QTreeWidget;
class QWidget;

// The controls of the main window, made at their design places (twips) with
// their object names, texts, accessible names and keys; the window binds
// them to its view objects when it loads.
struct CMainControls {
    // Design size of the client area.
    static constexpr int DesignWidth = 9165;
    static constexpr int DesignHeight = 6165;

    QToolBar* ToolbarMenu = nullptr;
    QToolBar* ToolbarFolderOpen = nullptr;
    QWidget* PictureTool = nullptr;
    QFrame* LineTool = nullptr;
    QLineEdit* TextSearch = nullptr;
    QTreeWidget* TreeViewTag = nullptr;
    QTabBar* TabStripWork = nullptr;
    CListViewControl* ListView[4] = {};
    CMsghook* Msghook[4] = {};
    QGroupBox* Frame1 = nullptr;
    QLineEdit* TextStatusBar = nullptr;
    CSplitBar* SplitBar = nullptr; // between the tree and the lists

    // Makes every control as a child of window; the toolbar buttons take
    // their pictures from ImageListTag.
    static CMainControls Create(QWidget* window, const CCategory::ImageList& ImageListTag);
    // Tree, tabs, the shown list, search, then the buttons in the tab order;
    // each command gets the key a desktop user tries, Ctrl+F goes to the
    // search field. Every command must exist by now.
    void SetupKeyboard(QWidget* window) const;

    // The controls above, beside and below the lists join the layout engine
    // with their alignments: toolbars and search at the top, the tree down
    // the left, the tab strip stretching both ways, the status line along
    // the bottom.
    void AnchorControls(CAnchor& Anchor) const;
    // The lists lie over the tab strip's page, below its tabs, and stretch
    // both ways and follow the split bar.
    static void AnchorLists(const QTabBar* TabStrip, const QList<CListViewControl*>& Lists,
                            CAnchor& Anchor);

    // Where the split bar goes (twips) for the tree to show its longest
    // node's name whole.
    int TreeWidthNeeded() const;

    static void PlaceDesign(QWidget* control, int left, int top, int width, int height);

private:
    void MakeControls(QWidget* window);
    void MakeStatusBar(QWidget* window);
    void MakeToolbars(QWidget* window, const CCategory::ImageList& ImageListTag);
    void SetupAccessibleNames() const;
    // The design places fit the design font: the toolbars grow to their
    // contents, pushing what lies beside and below them.
    void FitToFont();
    void MoveBelowToolbars(int extra);
};

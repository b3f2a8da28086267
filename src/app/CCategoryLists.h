#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CAnchor;
class CFileListView;
class CFileListViews;
class CListViewControl;
class CMsghook;
class CRecordset;
class CTabViewer;
class CVolloDB;
class QWidget;

// The file lists of the categories beyond the design's four lists: made at
// load for the categories the repository holds, and whenever the user adds
// one; each is a list control with its hook in the window's lists, placed
// and anchored like the design's, under a tab of its own.
class CCategoryLists {
public:
    CCategoryLists(QWidget* window, QWidget* HookFrame, QList<CListViewControl*>& ListViews,
                   QList<CMsghook*>& Msghooks);

    // Makes hidden list controls until there is one per category besides the
    // root's list.
    void MakeFor(qint32 CategoryCount);
    // The list of a new category: its columns, its place beside the split
    // bar, its entry under Key in Lists and, when its tab always stays, its
    // tab captioned Name.
    CFileListView* Add(const QString& Key, const QString& Name, CVolloDB& repository,
                       CAnchor& Anchor, CTabViewer& Tabs, CFileListViews& Lists);
    // Takes a deleted category's list out of the tabs and the lists. The
    // layout keeps the control it was given: it stays, hidden.
    void Remove(const QString& Key, CTabViewer& Tabs, CFileListViews& Lists);

    // One column per row of the stored column headers, from the current row
    // on, each at least as wide as its stored width, its header and the
    // widest text it shows in the list's font (sizes, dates, "not found").
    static void AddColumns(CListViewControl* list, CRecordset& columns);
    // The widest texts the size (1) and date (2) columns show.
    static QStringList WidestTexts(int column);

private:
    CListViewControl* AddControl();

    QWidget* m_window;
    QWidget* m_hookFrame;
    QList<CListViewControl*>& m_listViews;
    QList<CMsghook*>& m_msghooks;
};

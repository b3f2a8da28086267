#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class CCategory;
class CFileListViews;
class CTabViewer;
class CVolloDB;
class QTabBar;
class QWidget;

// Which categories have a tab. The root's tab, the built-in categories' and
// the query results' always stay; any other category's tab comes when the
// category is shown and goes when the user closes it (its close button, a
// middle click, Ctrl+W). The tabs open when the window closes come back at
// the next start. The strip scrolls and long names are shortened, so
// hundreds of categories leave it usable.
class CCategoryTabs : public QObject {
    Q_OBJECT
public:
    CCategoryTabs(CVolloDB& repository, CTabViewer& Tabs, CFileListViews& Lists, CCategory& Tree,
                  QWidget* window);

    // Whether the tab of Key stays whatever the user does.
    static bool IsFixed(const QString& Key);
    // Gives the category of Key a tab, at the end, captioned as its node,
    // unless it has one; a key without a list has none to show.
    void Open(const QString& Key);
    // Takes a closable tab away; its list hides, and the neighbour that the
    // strip selects in its place is shown.
    void Close(const QString& Key);
    // The closable tabs open now, in the strip's order.
    QStringList OpenKeys() const;
    // Of the categories above TagID, those whose tab is open.
    QList<qint32> OpenAncestors(qint32 TagID) const;

    // The stored tabs opened again; categories gone since are left out.
    void Restore();
    void Save();

    // A name as a tab of Strip shows it: a long one shortened, whole in the
    // tab's tooltip.
    static QString Caption(const QTabBar& Strip, const QString& Name);
    // A closable tab's key at the strip's position; empty for a fixed one.
    QString ClosableAt(int Index) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowCloseButtons();

    CVolloDB& m_repository;
    CTabViewer& m_tabs;
    CFileListViews& m_lists;
    CCategory& m_tree;
};

#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTabBar>
#include <QWidget>

// Drives the tab strip over the window's file lists: one tab per list, all
// lists stacked in one place. Choosing a tab (by the user or by SelectTab)
// brings its list to the front, shows it, and reports the tab's key.
//
//   CTabViewer tabs;  tabs.Create(window, tabBar);
//   tabs.Add(listView1, "H0", rootName);   // the list starts hidden
//   connect(&tabs, &CTabViewer::OnClick, ...);
//   tabs.SelectTab("H0");                  // shown and reported, even when
//                                          // "H0" was already selected
//
// Keys no tab holds raise CError naming the key.
class CTabViewer : public QObject {
    Q_OBJECT

public:
    explicit CTabViewer(QObject* parent = nullptr);
    ~CTabViewer() override;

    // Binds the tab strip; objForm is the window that holds the lists.
    void Create(QWidget* objForm, QTabBar* objTabStrip);

    // Adds a tab at the end for objListView and hides the list; returns the
    // number of tabs. A key is free again after Delete. The caption is
    // shown as it stands ("&" is no mnemonic).
    qint32 Add(QWidget* objListView, const QString& Key, const QString& Caption);

    // Removes the tab; its list stays as it is. When the tab was the
    // selected one, the tab that takes its place is shown and reported.
    void Delete(const QString& Key);

    // Selects the tab with that key, brings its list to the front, shows it
    // and raises OnClick, exactly as a user's click on the tab does, also
    // when the tab was selected already.
    void SelectTab(const QString& Key);

    // Whether a tab has the key now.
    bool HasTab(const QString& Key) const { return mvarTabStrip && IndexOf(Key) >= 0; }

    // The key of the selected tab; empty when there is no tab.
    QString SelectedKey() const;
    // The list last brought to the front (a CListViewControl for the file
    // lists); nullptr before the first tab was chosen.
    QWidget* SelectedListView() const { return mvarSelectedListView; }

    QTabBar* TabStrip() const { return mvarTabStrip; }
    QWidget* Form() const { return mvarForm; }

signals:
    // The key of the tab selected after a click or SelectTab.
    void OnClick(const QString& Key);

private:
    void mvarTabStrip_Click();
    void RequireCreated(const QString& operation) const;
    int IndexOf(const QString& Key) const; // -1 when no tab has it

    QPointer<QTabBar> mvarTabStrip;
    QPointer<QWidget> mvarForm;
    // For every key ever added, the list that belongs to its tab.
    QHash<QString, QPointer<QWidget>> mvarControls;
    QPointer<QWidget> mvarSelectedListView;
    bool mvarChanging = false; // tab strip changes made here, not by the user
};

#pragma once

#include "CListItem.h"

#include <QList>
#include <QMimeData>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class CFileListView;
class CListViewControl;
class CMsghook;

// The window's file lists by key ("H" and a record ID, the keys of their
// tabs). Passes on the clicks and drops of one list only: the one chosen by
// SelectItem, or, before any choice, the one added last. Drops carry the key
// of the chosen list (empty before any choice).
//
//   CFileListViews views;  views.Create();
//   views.Add(listView1, msghook1, "H0");
//   for (CFileListView* list : views) ...
//
// Keys no list holds and positions out of range raise CError naming them.
class CFileListViews : public QObject {
    Q_OBJECT

public:
    explicit CFileListViews(QObject* parent = nullptr);
    ~CFileListViews() override;

    // Makes the collection (empty); releases the lists of an earlier Create.
    // Must run before Add.
    void Create();

    // Makes a file list bound to objListView and objMsghook, adds it under
    // Key (without key when Key is empty: reachable by position only) and
    // passes on its events from now on. A key in use fails before anything
    // is bound.
    CFileListView* Add(CListViewControl* objListView, CMsghook* objMsghook,
                       const QString& Key = QString());

    // By key, or by 1-based position in the order added.
    CFileListView* Item(const QString& Key) const;
    CFileListView* Item(qint32 Index) const;
    qint32 Count() const;
    bool Contains(const QString& Key) const { return !Key.isEmpty() && mvarKeys.contains(Key); }

    // Takes the list out of the collection and releases it (deferred, so a
    // handler of its own event may remove it). Its control stays as it is.
    // When it was the list whose events are passed on, nothing is passed on
    // until the next SelectItem or Add.
    void Remove(const QString& Key);
    void Remove(qint32 Index);

    // The lists in the order added.
    QList<CFileListView*> Items() const { return mvarItems; }
    QList<CFileListView*>::const_iterator begin() const { return mvarItems.cbegin(); }
    QList<CFileListView*>::const_iterator end() const { return mvarItems.cend(); }

    // Passes on the events of the list with that key from now on, clears its
    // selection, and returns it.
    CFileListView* SelectItem(const QString& Key);

    // The key given to the last SelectItem; empty before any.
    QString SelectedKey() const { return mvarSelectedKey; }
    // The list whose events are passed on, or nullptr.
    CFileListView* FileListView() const { return mvarFileListView; }

signals:
    void OnItemClick(CListItem Item);
    // Data is the drag's own object, valid only while the handler runs.
    void OnDrop(const QString& Key, const QMimeData* Data);
    // The number of selected rows of the chosen list changed.
    void OnSelectionChange(qint32 Count);
    // Delete or the menu's command in the chosen list, whose key is Key.
    void OnRemoveFromCategory(const QString& Key, const QList<CListItem>& Items);

private slots:
    void mvarFileListView_OnDrop(const QMimeData* Data);
    void mvarFileListView_OnItemClick(const CListItem& Item);
    void mvarFileListView_OnSelectionChange(qint32 Count);
    void mvarFileListView_OnRemoveFromCategory(const QList<CListItem>& Items);

private:
    void Subscribe(CFileListView* list);
    void RequireCreated(const QString& operation) const;
    qint32 PositionOf(const QString& Key) const; // 0-based, -1 when absent
    void RemoveAt(qint32 position);

    bool mvarCreated = false;
    QList<CFileListView*> mvarItems; // owned, in the order added
    QStringList mvarKeys;            // parallel to mvarItems; empty = no key
    QPointer<CFileListView> mvarFileListView;
    QString mvarSelectedKey;
};

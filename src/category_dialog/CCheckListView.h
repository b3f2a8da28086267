#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QTreeWidgetItem>

class CCheckRowDelegate;
class CRecordset;
class QTreeWidget;
class QWidget;

// Turns a report-view list (a QTreeWidget with columns) into a check list. A
// row's state lives in the row itself, as the key of its small image
// ("unchecked", "checked", "grayed"); the class keeps no table of its own.
// Each row also carries the matching check state, which screen readers report.
// A press on a row's image, where the style draws it, or the space bar, arms
// the next item click, which toggles the row and raises OnItemClick.
class CCheckListView : public QObject {
    Q_OBJECT
public:
    // Small images by key; every key a row uses must be present.
    using ImageList = QHash<QString, QIcon>;

    enum State : qint32 { Unchecked = 0, Checked = 1, Grayed = 2 };

    // Where a row keeps its record key and its image key (column 0).
    static constexpr int KeyRole = Qt::UserRole;
    static constexpr int SmallIconRole = Qt::UserRole + 1;

    explicit CCheckListView(QObject* parent = nullptr);
    ~CCheckListView() override;

    // Binds to one list and keeps the images. Binding again to the same list
    // is harmless; binding to another one lets go of the first.
    void Create(QTreeWidget* AListView, const ImageList& AImageList);

    // Appends one unchecked row built from the current record of Fields:
    // key MakeKey(field 0), text field 1, sub-item i from field i + 2.
    // Throws CError for a field 0 that is no 32-bit number or a key that
    // the list already holds.
    QTreeWidgetItem* AddItem(const CRecordset& Fields);

    // Puts new images in place of the old ones, on every row at once (after
    // the desktop's colours changed).
    void SetImages(const ImageList& AImageList);

    // Changes a row's image without raising OnItemClick.
    void SetState(QTreeWidgetItem* AListItem, qint32 state);
    void CheckAll();
    void UncheckAll();

    // The rows in list order, and a row by its key (nullptr when absent).
    QList<QTreeWidgetItem*> ListItems() const;
    QTreeWidgetItem* FindItem(const QString& key) const;
    // A row by its key; throws CError naming the key when absent.
    QTreeWidgetItem* ListItem(const QString& key) const;

    QTreeWidget* ListView() const;
    const ImageList& Images() const { return mvarImageList; }

    // The record key and the image key a row carries.
    static QString Key(const QTreeWidgetItem* item);
    static QString SmallIcon(const QTreeWidgetItem* item);
    static QString StateKey(qint32 state); // empty for an unknown state
    // MakeKey of a record identifier; throws CError when it is no 32-bit
    // whole number.
    static QString RecordKey(const QVariant& id);

    // Where a row's image lies in the list's viewport; empty when unbound.
    QRect ImageRect(QTreeWidgetItem* Item) const;

    // A 16 x 16 check box picture in the widget's current style and palette,
    // its outline strong enough to be seen against the list in light and
    // dark colours alike.
    static QPixmap CheckBoxPicture(const QWidget* widget, qint32 state);
    // All three state pictures, keyed, for the given widget's style.
    static ImageList StateImages(const QWidget* widget);

signals:
    // state is 1 when the row is now checked, 0 otherwise. A click checks an
    // unchecked or grayed row and unchecks a checked one.
    void OnItemClick(qint32 state, QTreeWidgetItem* Item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void mvarListView_ItemClick(QTreeWidgetItem* Item);

private:
    void Release();

    // Held as a plain widget: while the list is being torn down it is no
    // longer a QTreeWidget, yet still sends events through the filter.
    QPointer<QWidget> mvarListView;
    QPointer<QWidget> mvarViewport;
    QPointer<CCheckRowDelegate> mvarDelegate;
    ImageList mvarImageList;
    bool mvarCheckClick = false;
};

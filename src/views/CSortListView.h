#pragma once

#include <QObject>
#include <QPointer>

class CListViewControl;

// Makes a list sort itself by the column whose header the user clicks: a click
// on the sort column reverses the order, a click on another column sorts
// ascending by that one. The sort state lives in the list, so it survives
// clearing and refilling.
class CSortListView : public QObject {
    Q_OBJECT

public:
    explicit CSortListView(QObject* parent = nullptr);
    ~CSortListView() override;

    // Binds to the list; with at least one column header the list becomes
    // sorted, otherwise its Sorted property is left alone.
    void Create(CListViewControl* AListView);
    CListViewControl* ListView() const;

signals:
    // After every column click, once the list's sort properties are set.
    // ColumnHeader is the 1-based index of the clicked column.
    void OnColumnClick(int ColumnHeader);

private slots:
    void mvarListView_ColumnClick(int Index);

private:
    QPointer<CListViewControl> mvarListView;
};

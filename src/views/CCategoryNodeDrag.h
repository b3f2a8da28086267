#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

class QMimeData;
class QTreeWidget;
class QTreeWidgetItem;

// Moving a category node onto another one (or onto the root) by drag and
// drop in the category tree. Only nodes marked editable move; the drop is
// reported, the owner decides and moves the node. Watches the tree's
// viewport ahead of the tree's file drops, which it leaves alone.
class CCategoryNodeDrag : public QObject {
    Q_OBJECT
public:
    explicit CCategoryNodeDrag(QTreeWidget* tree);

    // The drag's data for the node with that key.
    static QMimeData* MimeFor(const QString& Key);
    static bool IsNodeDrag(const QMimeData* Data);

signals:
    // Key: the dragged node's; Target: the node it was dropped on.
    void OnNestRequest(const QString& Key, QTreeWidgetItem* Target);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool CanTake(const QMimeData* Data, QTreeWidgetItem* Target) const;
    void StartDrag();

    QPointer<QTreeWidget> mvarTree;
    QPoint mvarPressAt;
    QString mvarPressedKey;
};

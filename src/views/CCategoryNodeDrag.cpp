#include "CCategoryNodeDrag.h"

#include "CCategory.h"
#include "CCategoryMenu.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTreeWidget>

namespace {

const QString kNodeMime = QStringLiteral("application/x-vollo-category-node");

QString DraggedKey(const QMimeData* Data) {
    return Data != nullptr ? QString::fromUtf8(Data->data(kNodeMime)) : QString();
}

} // namespace

CCategoryNodeDrag::CCategoryNodeDrag(QTreeWidget* tree) : QObject(tree), mvarTree(tree) {
    tree->viewport()->installEventFilter(this);
}

QMimeData* CCategoryNodeDrag::MimeFor(const QString& Key) {
    auto* data = new QMimeData;
    data->setData(kNodeMime, Key.toUtf8());
    return data;
}

bool CCategoryNodeDrag::IsNodeDrag(const QMimeData* Data) {
    return Data != nullptr && Data->hasFormat(kNodeMime);
}

bool CCategoryNodeDrag::CanTake(const QMimeData* Data, QTreeWidgetItem* Target) const {
    if (Target == nullptr)
        return false;
    const QString target = CCategory::NodeKey(Target);
    // The root takes a node to the top; other targets are the user's
    // categories. The owner refuses the drops that would close a loop.
    return target != DraggedKey(Data) &&
           (target == QLatin1String("H0") || CCategoryMenu::NodeEditable(Target));
}

void CCategoryNodeDrag::StartDrag() {
    const QString key = mvarPressedKey;
    mvarPressedKey.clear();
    auto* drag = new QDrag(this);
    drag->setMimeData(MimeFor(key));
    drag->exec(Qt::MoveAction);
}

bool CCategoryNodeDrag::eventFilter(QObject* watched, QEvent* event) {
    // The viewport also reports while the tree is being destroyed, when the
    // tree is no longer a tree: only the pointer and drag events look at it.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        break;
    default:
        return QObject::eventFilter(watched, event);
    }
    if (!mvarTree || watched != mvarTree->viewport())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* press = static_cast<QMouseEvent*>(event);
        QTreeWidgetItem* node = mvarTree->itemAt(press->position().toPoint());
        mvarPressAt = press->position().toPoint();
        mvarPressedKey = press->button() == Qt::LeftButton && CCategoryMenu::NodeEditable(node)
                             ? CCategory::NodeKey(node)
                             : QString();
        break;
    }
    case QEvent::MouseMove: {
        auto* move = static_cast<QMouseEvent*>(event);
        if (!mvarPressedKey.isEmpty() && (move->buttons() & Qt::LeftButton) != 0 &&
            (move->position().toPoint() - mvarPressAt).manhattanLength() >=
                QApplication::startDragDistance()) {
            StartDrag();
            return true;
        }
        break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!IsNodeDrag(drag->mimeData()))
            break;
        if (CanTake(drag->mimeData(), mvarTree->itemAt(drag->position().toPoint())))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!IsNodeDrag(drop->mimeData()))
            break;
        QTreeWidgetItem* target = mvarTree->itemAt(drop->position().toPoint());
        if (!CanTake(drop->mimeData(), target)) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        emit OnNestRequest(DraggedKey(drop->mimeData()), target);
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

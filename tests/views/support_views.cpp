#include "support_views.h"

void dragAndDrop(QWidget* target, const QPoint& pos, QMimeData* data) {
    sendDrag<QDragEnterEvent>(target, pos, data);
    sendDrag<QDragMoveEvent>(target, pos, data);
    sendDrag<QDropEvent>(target, pos, data);
}

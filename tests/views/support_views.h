#pragma once

#include "support_shell.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QWidget>

// One drag event as a drag from another application delivers it.
template <class Event> void sendDrag(QWidget* target, const QPoint& pos, QMimeData* data) {
    Event event(pos, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

// Enter, move and drop in turn.
void dragAndDrop(QWidget* target, const QPoint& pos, QMimeData* data);

#pragma once

#include "CRecordset.h"

#include <QMouseEvent>
#include <QTest>
#include <QTreeWidget>

// Three categories as the repository lists them: identifier, name.
inline CRecordset CategoryRecords() {
    return CRecordset({QStringLiteral("tagID"), QStringLiteral("tagName")},
                      {{17, QStringLiteral("仕事")},
                       {18, QStringLiteral("趣味 \"quoted\" 100%")},
                       {500, QStringLiteral("-leading dash")}});
}

// A file's categories: one record per identifier.
inline CRecordset TagsOfFile(const QList<int>& ids) {
    QList<QVector<QVariant>> rows;
    for (int id : ids)
        rows.append(QVector<QVariant>{id});
    return CRecordset({QStringLiteral("tagID")}, rows);
}

// A left click on a row at a horizontal position in the viewport; positions
// between pixels are kept.
inline void ClickRowAt(QTreeWidget* list, QTreeWidgetItem* item, double x) {
    QWidget* viewport = list->viewport();
    const QPointF at(x, list->visualItemRect(item).center().y());
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
}

#include "CColourDot.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

namespace {

QPixmap Blank(const QSize& Size, qreal Ratio) {
    QPixmap pixmap(Size * Ratio);
    pixmap.setDevicePixelRatio(Ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

void CColourDot::Paint(QPainter& Painter, const QPointF& Centre, qreal Diameter,
                       const QColor& Colour) {
    if (!Colour.isValid())
        return;
    Painter.save();
    Painter.setRenderHint(QPainter::Antialiasing);
    Painter.setPen(QPen(QApplication::palette().color(QPalette::Base), 1.0));
    Painter.setBrush(Colour);
    Painter.drawEllipse(Centre, Diameter / 2, Diameter / 2);
    Painter.restore();
}

QIcon CColourDot::Icon(const QColor& Colour, int Edge) {
    if (!Colour.isValid())
        return QIcon();
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pixmap = Blank(QSize(Edge, Edge), ratio);
    QPainter painter(&pixmap);
    Paint(painter, QPointF(Edge / 2.0, Edge / 2.0), Edge * 0.7, Colour);
    painter.end();
    return QIcon(pixmap);
}

QIcon CColourDot::Badge(const QIcon& Image, const QColor& Colour, const QSize& Size) {
    if (!Colour.isValid() || Image.isNull())
        return Image;
    const qreal ratio = qApp->devicePixelRatio();
    const qreal diameter = Size.width() * 0.55;
    const QPointF centre(Size.width() - diameter / 2, Size.height() - diameter / 2);
    QIcon badged;
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Selected}) {
        QPixmap pixmap = Blank(Size, ratio);
        QPainter painter(&pixmap);
        Image.paint(&painter, QRect(QPoint(0, 0), Size), Qt::AlignCenter, mode);
        Paint(painter, centre, diameter, Colour);
        painter.end();
        badged.addPixmap(pixmap, mode);
    }
    return badged;
}

#pragma once

#include <QColor>
#include <QIcon>
#include <QPointF>
#include <QSize>

class QPainter;

// The round mark of a category's colour, as its tab, its tree node and its
// row in the category dialog show it. An invalid colour is no mark.
class CColourDot {
public:
    // A dot filling a square of Edge device-independent pixels.
    static QIcon Icon(const QColor& Colour, int Edge);
    // Image with a dot in its lower right corner, in every mode it has.
    static QIcon Badge(const QIcon& Image, const QColor& Colour, const QSize& Size);
    // Paints a dot of Diameter centred at Centre, with a thin rim in the
    // window colour so it stands out on any background.
    static void Paint(QPainter& Painter, const QPointF& Centre, qreal Diameter,
                      const QColor& Colour);
};

#pragma once

#include <QColor>
#include <QHash>
#include <QProxyStyle>
#include <utility>

class QStyleOptionSlider;

// Some styles draw a scroll bar's handle in a shade that all but vanishes on
// its track (a white handle on light grey). Where the style's own handle
// stands out from the track by less than 3:1, this style draws it again,
// stronger: halfway between the handle and the text colour. Styles with
// enough contrast are left as they are.
class CScrollBarStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit CScrollBarStyle(QStyle* base = nullptr);

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;

    // The colour the handle is drawn over with for this palette and
    // orientation; invalid when the style's own handle is clear enough.
    QColor StrongerHandle(const QStyleOptionSlider& option, const QWidget* widget) const;

    // WCAG's contrast ratio of two opaque colours (1 to 21).
    static double Contrast(const QColor& a, const QColor& b);
    // The style's own handle and track colours, read from a drawn sample.
    std::pair<QColor, QColor> HandleAndTrack(const QStyleOptionSlider& option,
                                             const QWidget* widget) const;

private:
    mutable QHash<QString, QColor> m_stronger; // by palette and orientation
};

#include "CScrollBarStyle.h"

#include <QImage>
#include <QPainter>
#include <QStyleOptionSlider>

#include <cmath>

CScrollBarStyle::CScrollBarStyle(QStyle* base) : QProxyStyle(base) {}

double CScrollBarStyle::Contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::pair<QColor, QColor> CScrollBarStyle::HandleAndTrack(const QStyleOptionSlider& option,
                                                          const QWidget* widget) const {
    // A long bar with a short handle at its start, at rest: the handle's
    // middle and the track's middle are read back.
    QStyleOptionSlider sample = option;
    const int thickness = pixelMetric(PM_ScrollBarExtent, &option, widget);
    const bool vertical = option.orientation == Qt::Vertical;
    sample.rect = vertical ? QRect(0, 0, thickness, 400) : QRect(0, 0, 400, thickness);
    sample.minimum = 0;
    sample.maximum = 900;
    sample.pageStep = 100;
    sample.sliderPosition = sample.sliderValue = 0;
    sample.state = (option.state & State_Enabled) | (vertical ? State_None : State_Horizontal);
    sample.activeSubControls = SC_None;
    QImage image(sample.rect.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(option.palette.color(QPalette::Window));
    QPainter painter(&image);
    baseStyle()->drawComplexControl(CC_ScrollBar, &sample, &painter, widget);
    painter.end();
    const QRect handle =
        baseStyle()->subControlRect(CC_ScrollBar, &sample, SC_ScrollBarSlider, widget);
    const QRect track =
        baseStyle()->subControlRect(CC_ScrollBar, &sample, SC_ScrollBarGroove, widget);
    const QPoint trackMiddle =
        vertical ? QPoint(track.center().x(), (handle.bottom() + track.bottom()) / 2)
                 : QPoint((handle.right() + track.right()) / 2, track.center().y());
    return {QColor(image.pixel(handle.center())), QColor(image.pixel(trackMiddle))};
}

QColor CScrollBarStyle::StrongerHandle(const QStyleOptionSlider& option,
                                       const QWidget* widget) const {
    const QString key = QStringLiteral("%1 %2 %3")
                            .arg(option.palette.cacheKey())
                            .arg(int(option.orientation))
                            .arg((option.state & State_Enabled) ? 1 : 0);
    const auto known = m_stronger.constFind(key);
    if (known != m_stronger.constEnd())
        return *known;
    const auto [handle, track] = HandleAndTrack(option, widget);
    QColor stronger;
    if (Contrast(handle, track) < 3.0) {
        const QColor text = option.palette.color(QPalette::WindowText);
        stronger.setRgbF((handle.redF() + text.redF()) / 2, (handle.greenF() + text.greenF()) / 2,
                         (handle.blueF() + text.blueF()) / 2);
    }
    if (m_stronger.size() > 64)
        m_stronger.clear();
    m_stronger.insert(key, stronger);
    return stronger;
}

void CScrollBarStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                         QPainter* painter, const QWidget* widget) const {
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || bar == nullptr || !(bar->state & State_Enabled) ||
        bar->maximum <= bar->minimum)
        return;
    QColor stronger = StrongerHandle(*bar, widget);
    if (!stronger.isValid())
        return;
    if (bar->activeSubControls & SC_ScrollBarSlider)
        stronger = stronger.darker(bar->state & State_Sunken ? 130 : 115);
    const QRect handle = subControlRect(CC_ScrollBar, bar, SC_ScrollBarSlider, widget);
    const int inset =
        std::max(2, (bar->orientation == Qt::Vertical ? handle.width() : handle.height()) / 5);
    const QRectF shape = QRectF(handle).adjusted(inset, inset, -inset, -inset);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(stronger);
    const qreal radius = std::min(shape.width(), shape.height()) / 2;
    painter->drawRoundedRect(shape, radius, radius);
    painter->restore();
}

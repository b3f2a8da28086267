#include "CWindowPlacement.h"

#include <QGuiApplication>

#include <algorithm>
#include <cmath>

QRect CWindowPlacement::FirstGeometry(const QRect& available, const QSize& design) {
    // Two thirds of the area keeps the screen's proportions: each side
    // shrinks by the square root.
    const double side = std::sqrt(2.0 / 3.0);
    const auto fit = [](int wanted, int least, int most, int room) {
        return std::min(std::clamp(wanted, least, std::max(least, most)), room);
    };
    const int width = fit(static_cast<int>(available.width() * side), design.width(), MaxWidth,
                          available.width());
    const int height = fit(static_cast<int>(available.height() * side), design.height(), MaxHeight,
                           available.height());
    QRect placed(0, 0, width, height);
    placed.moveCenter(available.center());
    return placed;
}

bool CWindowPlacement::CanPlace() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

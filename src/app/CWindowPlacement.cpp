#include "CWindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

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

QRect CWindowPlacement::Restored(const QRect& saved, const QRect& available,
                                 const QSize& decoration) {
    const QSize room = (available.size() - decoration).expandedTo(QSize(1, 1));
    QRect placed(saved.topLeft(), saved.size().boundedTo(room));
    // The frame's top left is the window's place; its far edges are the
    // window's plus the decoration.
    const int right = available.x() + available.width() - placed.width() - decoration.width();
    const int bottom = available.y() + available.height() - placed.height() - decoration.height();
    placed.moveTo(std::clamp(placed.x(), available.x(), std::max(available.x(), right)),
                  std::clamp(placed.y(), available.y(), std::max(available.y(), bottom)));
    return placed;
}

QSize CWindowPlacement::FittingMinimum(const QSize& wanted, const QRect& available,
                                       const QSize& decoration) {
    return wanted.boundedTo((available.size() - decoration).expandedTo(QSize(1, 1)));
}

QSize CWindowPlacement::SetMinimum(QWidget& window, const QSize& wanted) {
    QScreen* screen = window.screen();
    const QSize least =
        screen == nullptr ? wanted
                          : FittingMinimum(wanted, screen->availableGeometry(), Decoration(window));
    window.setMinimumSize(least);
    return least;
}

QSize CWindowPlacement::Decoration(const QWidget& window) {
    const QSize frame = window.frameGeometry().size() - window.size();
    if (window.isVisible() && !frame.isEmpty())
        return frame;
    const int border = window.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    return {2 * border, window.style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * border};
}

bool CWindowPlacement::CanPlace() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

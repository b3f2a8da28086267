#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// Where the main window opens when no position has been saved yet.
class CWindowPlacement {
public:
    // The largest size a first window takes on a big screen.
    static constexpr int MaxWidth = 1280;
    static constexpr int MaxHeight = 800;

    // Centred on the available area at about two thirds of it, never smaller
    // than the design size nor larger than MaxWidth x MaxHeight; a screen
    // smaller than the design size gets the whole available area.
    static QRect FirstGeometry(const QRect& available, const QSize& design);

    // A saved place moved and shrunk, as little as it takes, into the
    // available area of the screen it lands on (a screen smaller, or scaled
    // larger, than the one it was saved on); decoration is what the window
    // manager's frame adds around the window.
    static QRect Restored(const QRect& saved, const QRect& available, const QSize& decoration);

    // The layout's minimum, capped to the available area less the frame: at a
    // large scale or font on a small screen the minimum would otherwise hold
    // the window larger than the screen, its far edges out of reach.
    static QSize FittingMinimum(const QSize& wanted, const QRect& available,
                                const QSize& decoration);
    // Sets that minimum on the window for the screen it is on; returns it.
    static QSize SetMinimum(QWidget& window, const QSize& wanted);

    // What the window manager's frame adds around the window; before the
    // window is shown, the style's estimate of it.
    static QSize Decoration(const QWidget& window);

    // Whether the program may place its window itself: Wayland keeps window
    // positions to the compositor (a client's move is ignored, its position
    // reads as 0, 0), so there only the size is restored and stored.
    static bool CanPlace();
};

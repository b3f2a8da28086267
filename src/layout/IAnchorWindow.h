#pragma once

#include <QString>
#include <functional>

// What the layout engine needs of a window, in twips: its position, outer size
// (read and write), inner size, whether it is minimised, and its resize events.
class IAnchorWindow {
public:
    enum WindowStateValue { Normal = 0, Minimized = 1, Maximized = 2 };
    using ResizeHandler = std::function<void()>;

    virtual ~IAnchorWindow() = default;

    virtual QString Name() const = 0;
    virtual int Left() const = 0;
    virtual int Top() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void setWidth(int width) = 0;
    virtual void setHeight(int height) = 0;
    virtual int ScaleWidth() const = 0;
    virtual int ScaleHeight() const = 0;
    virtual int WindowState() const = 0;

    // An empty handler ends the subscription.
    virtual void setResizeHandler(ResizeHandler handler) = 0;
};

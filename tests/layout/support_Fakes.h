#pragma once

#include "CError.h"
#include "IAnchorControl.h"
#include "IAnchorWindow.h"

#include <QRect>
#include <QString>
#include <memory>

// A control that records what the layout engine does to it.
class FakeControl : public IAnchorControl {
public:
    FakeControl(const QString& name, int left, int top, int width, int height, bool visible = true)
        : name(name), left(left), top(top), width(width), height(height), visible(visible) {}
    static std::shared_ptr<FakeControl> Make(const QString& name, int left, int top, int width,
                                             int height, bool visible = true) {
        return std::make_shared<FakeControl>(name, left, top, width, height, visible);
    }

    QString Name() const override { return name; }
    QString TypeName() const override { return QStringLiteral("TextBox"); }
    int Left() const override { return left; }
    int Top() const override { return top; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    bool Visible() const override { return visible; }
    void setLeft(int value) override { left = value; }
    void setTop(int value) override { top = value; }
    void setWidth(int value) override {
        if (rejectWidth)
            throw CError(380, QStringLiteral("Invalid property value"));
        width = value;
    }
    void setHeight(int value) override { height = value; }
    void setVisible(bool value) override { visible = value; }
    void Move(int l, int t, int w, std::optional<int> h) override {
        ++moves;
        left = l;
        top = t;
        width = w;
        height = h.value_or(height);
    }
    int Style() const override { return 0; }
    void setSelStart(int) override {}
    void BringToFront() override { ++raised; }
    void setMouseHandler(MouseHandler handler) override { mouse = std::move(handler); }

    void Press(int x, int y) { mouse(MouseAction::Press, 1, x, y); }
    void Drag(int x, int y) { mouse(MouseAction::Move, 1, x, y); }
    void Release(int x, int y) { mouse(MouseAction::Release, 1, x, y); }
    QRect Rect() const { return QRect(left, top, width, height); }

    QString name;
    int left, top, width, height;
    bool visible;
    int moves = 0, raised = 0;
    bool rejectWidth = false;
    MouseHandler mouse;
};

// A window whose outer size is its inner size plus a fixed frame, resized by
// the test; the engine's own size changes only store the new value.
class FakeWindow : public IAnchorWindow {
public:
    static constexpr int FrameWidth = 240;
    static constexpr int FrameHeight = 690;
    FakeWindow(int innerWidth, int innerHeight)
        : width(innerWidth + FrameWidth), height(innerHeight + FrameHeight) {}

    QString Name() const override { return QStringLiteral("FormMain"); }
    int Left() const override { return 1200; }
    int Top() const override { return 900; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    void setWidth(int value) override { width = value; }
    void setHeight(int value) override { height = value; }
    int ScaleWidth() const override { return width - FrameWidth; }
    int ScaleHeight() const override { return height - FrameHeight; }
    int WindowState() const override { return state; }
    void setResizeHandler(ResizeHandler h) override { handler = std::move(h); }

    // Grows the inner area and raises the resize event.
    void Grow(int dx, int dy) {
        width += dx;
        height += dy;
        Resized();
    }
    void Resized() {
        if (handler)
            handler();
    }

    int width, height;
    int state = Normal;
    ResizeHandler handler;
};

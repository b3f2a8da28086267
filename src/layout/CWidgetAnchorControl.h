#pragma once

#include "IAnchorControl.h"

#include <QObject>
#include <QPointer>
#include <memory>

#include <QWidget>

// Binds one child widget to the layout engine: geometry in twips (15 twips per
// device-independent pixel), visibility by the widget's own flag (so a control
// of a window that is not shown yet still counts as visible), combo-box style
// and caret, and mouse events for splitter bars.
class CWidgetAnchorControl : public QObject, public IAnchorControl {
    Q_OBJECT
public:
    static constexpr int TwipsPerPixel = 15;
    static int ToPixels(int twips);
    static int ToTwips(int pixels) { return pixels * TwipsPerPixel; }

    explicit CWidgetAnchorControl(QWidget* widget);
    ~CWidgetAnchorControl() override;

    static std::shared_ptr<CWidgetAnchorControl> Wrap(QWidget* widget) {
        return std::make_shared<CWidgetAnchorControl>(widget);
    }

    QWidget* Widget() const { return m_widget; }

    QString Name() const override;
    QString TypeName() const override;
    int Left() const override;
    int Top() const override;
    int Width() const override;
    int Height() const override;
    bool Visible() const override;
    void setLeft(int left) override;
    void setTop(int top) override;
    void setWidth(int width) override;
    void setHeight(int height) override;
    void setVisible(bool visible) override;
    void Move(int left, int top, int width, std::optional<int> height) override;
    int Style() const override;
    void setSelStart(int start) override;
    void BringToFront() override;
    void setMouseHandler(MouseHandler handler) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* Alive() const;

    QPointer<QWidget> m_widget;
    MouseHandler m_mouseHandler;
};

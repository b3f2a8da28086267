#pragma once

#include "IAnchorWindow.h"

#include <QObject>
#include <QPointer>
#include <memory>

#include <QWidget>

// Binds a top-level widget to the layout engine, in twips: position from its
// frame, outer and inner size from the window itself (the decorations belong to
// the window manager); resize events and the return from the minimised state
// reach the engine through an event filter.
class CWidgetAnchorWindow : public QObject, public IAnchorWindow {
    Q_OBJECT
public:
    explicit CWidgetAnchorWindow(QWidget* window);
    ~CWidgetAnchorWindow() override;

    static std::shared_ptr<CWidgetAnchorWindow> Wrap(QWidget* window) {
        return std::make_shared<CWidgetAnchorWindow>(window);
    }

    QWidget* Window() const { return m_window; }

    QString Name() const override;
    int Left() const override;
    int Top() const override;
    int Width() const override;
    int Height() const override;
    void setWidth(int width) override;
    void setHeight(int height) override;
    int ScaleWidth() const override;
    int ScaleHeight() const override;
    int WindowState() const override;
    void setResizeHandler(ResizeHandler handler) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* Alive() const;
    void Notify();

    QPointer<QWidget> m_window;
    ResizeHandler m_resizeHandler;
};

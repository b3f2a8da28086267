#include "CWidgetAnchorWindow.h"

#include "CError.h"
#include "CWidgetAnchorControl.h"

#include <QEvent>
#include <QWidget>
#include <QWindowStateChangeEvent>
#include <exception>

CWidgetAnchorWindow::CWidgetAnchorWindow(QWidget* window) : m_window(window) {
    if (!window)
        throw CError(kObjectGone, QStringLiteral("Object required: no window to lay out."));
}

CWidgetAnchorWindow::~CWidgetAnchorWindow() {
    if (m_window)
        m_window->removeEventFilter(this);
}

QWidget* CWidgetAnchorWindow::Alive() const {
    if (!m_window)
        throw CError(kObjectGone, QStringLiteral("The laid-out window no longer exists."));
    return m_window;
}

QString CWidgetAnchorWindow::Name() const {
    return Alive()->objectName();
}

int CWidgetAnchorWindow::Left() const {
    return CWidgetAnchorControl::ToTwips(Alive()->frameGeometry().x());
}

int CWidgetAnchorWindow::Top() const {
    return CWidgetAnchorControl::ToTwips(Alive()->frameGeometry().y());
}

// The outer size is the window's own size without the decorations. The window
// manager draws those, may report them only once the window is mapped (or, on
// Wayland, never), and the program cannot size them; counting them would turn a
// frame that appears after the layout was bound into a spurious growth.
int CWidgetAnchorWindow::Width() const {
    return CWidgetAnchorControl::ToTwips(Alive()->width());
}

int CWidgetAnchorWindow::Height() const {
    return CWidgetAnchorControl::ToTwips(Alive()->height());
}

void CWidgetAnchorWindow::setWidth(int width) {
    QWidget* w = Alive();
    w->resize(qMax(0, CWidgetAnchorControl::ToPixels(width)), w->height());
}

void CWidgetAnchorWindow::setHeight(int height) {
    QWidget* w = Alive();
    w->resize(w->width(), qMax(0, CWidgetAnchorControl::ToPixels(height)));
}

int CWidgetAnchorWindow::ScaleWidth() const {
    return CWidgetAnchorControl::ToTwips(Alive()->width());
}

int CWidgetAnchorWindow::ScaleHeight() const {
    return CWidgetAnchorControl::ToTwips(Alive()->height());
}

int CWidgetAnchorWindow::WindowState() const {
    const Qt::WindowStates state = Alive()->windowState();
    if (state & Qt::WindowMinimized)
        return Minimized;
    if (state & Qt::WindowMaximized)
        return Maximized;
    return Normal;
}

void CWidgetAnchorWindow::setResizeHandler(ResizeHandler handler) {
    // A window that is gone has no events left to deliver or to unsubscribe.
    QWidget* w = m_window;
    const bool had = static_cast<bool>(m_resizeHandler);
    m_resizeHandler = std::move(handler);
    if (w && m_resizeHandler && !had)
        w->installEventFilter(this);
    else if (w && !m_resizeHandler && had)
        w->removeEventFilter(this);
}

void CWidgetAnchorWindow::Notify() {
    const ResizeHandler handler = m_resizeHandler;
    try {
        handler();
    } catch (const std::exception& e) {
        // An error ends the resize event that raised it; Qt's event loop must not see it.
        qWarning("Layout: %s", e.what());
    }
}

bool CWidgetAnchorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && m_resizeHandler) {
        if (event->type() == QEvent::Resize) {
            Notify();
        } else if (event->type() == QEvent::WindowStateChange) {
            // Leaving the minimised state may bring no resize of its own, yet the
            // window may have been resized while it was down.
            const auto* change = static_cast<QWindowStateChangeEvent*>(event);
            if ((change->oldState() & Qt::WindowMinimized) &&
                !(m_window->windowState() & Qt::WindowMinimized))
                Notify();
        }
    }
    return QObject::eventFilter(watched, event);
}

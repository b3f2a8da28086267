#include "CMsghook.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>

CMsghook::CMsghook(QObject* parent) : QObject(parent) {}

CMsghook::~CMsghook() {
    unbind();
}

QWidget* CMsghook::HwndHook() const {
    return mvarHwnd;
}

void CMsghook::setHwndHook(QWidget* Widget) {
    unbind();
    if (!Widget)
        return;
    mvarHwnd = Widget;
    Widget->installEventFilter(this);
    // Mouse and drop events of a list arrive at its viewport, keys at the list.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(Widget)) {
        mvarViewport = area->viewport();
        mvarViewport->installEventFilter(this);
    }
}

void CMsghook::unbind() {
    if (mvarHwnd)
        mvarHwnd->removeEventFilter(this);
    if (mvarViewport)
        mvarViewport->removeEventFilter(this);
    mvarHwnd = nullptr;
    mvarViewport = nullptr;
}

bool CMsghook::Message(QEvent::Type Type) const {
    return mvarMessages.contains(int(Type));
}

void CMsghook::setMessage(QEvent::Type Type, bool Deliver) {
    if (Deliver)
        mvarMessages.insert(int(Type));
    else
        mvarMessages.remove(int(Type));
}

bool CMsghook::InvokeWindowProc(QObject* Target, QEvent* Event, bool* Handled) {
    if (!Target || !Event)
        return false;
    QEvent* const outer = mvarPassing;
    mvarPassing = Event;
    const bool delivered = QCoreApplication::sendEvent(Target, Event);
    mvarPassing = outer;
    // The widget has seen the event now; it must not see it a second time.
    if (Handled)
        *Handled = true;
    return delivered && Event->isAccepted();
}

bool CMsghook::eventFilter(QObject* watched, QEvent* event) {
    if (event == mvarPassing || !mvarMessages.contains(int(event->type())))
        return false;
    if (watched != mvarHwnd.data() && watched != mvarViewport.data())
        return false;
    bool handled = false;
    emit OnMessage(watched, event, &handled);
    return handled;
}

#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QWidget>

// Delivers chosen events of one widget (and, for a scroll area such as a list,
// of its viewport too) to a handler, which either answers an event itself or
// lets the widget see it. Only the event types switched on with setMessage are
// delivered; every other event reaches the widget untouched.
//
//   hook.setHwndHook(list);                          // bind (nullptr unbinds)
//   hook.setMessage(QEvent::MouseButtonPress, true); // deliver this type
//   connect(&hook, &CMsghook::OnMessage, ...);       // handler
//
// In the handler, setting *Handled to true keeps the event from the widget;
// leaving it false passes it on once the handler returns. InvokeWindowProc lets
// the handler give the event to the widget first and act afterwards (it then
// marks the event handled so the widget does not see it twice).
class CMsghook : public QObject {
    Q_OBJECT

public:
    explicit CMsghook(QObject* parent = nullptr);
    ~CMsghook() override;

    // The hooked widget; nullptr when unbound.
    QWidget* HwndHook() const;
    void setHwndHook(QWidget* Widget);

    // Whether events of this type are delivered.
    bool Message(QEvent::Type Type) const;
    void setMessage(QEvent::Type Type, bool Deliver);

    // Gives Event to Target (the hooked widget or its viewport) as if it had
    // not been hooked, now, and returns whether the widget accepted it. Only
    // valid inside an OnMessage handler for that event.
    bool InvokeWindowProc(QObject* Target, QEvent* Event, bool* Handled);

signals:
    // Target is the hooked widget or its viewport.
    void OnMessage(QObject* Target, QEvent* Event, bool* Handled);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void unbind();

    QPointer<QWidget> mvarHwnd;
    QPointer<QWidget> mvarViewport;
    QSet<int> mvarMessages;
    QEvent* mvarPassing = nullptr;
};

#include "CMsghook.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

// A list that counts what reaches its own handlers.
class CountingList : public QListWidget {
public:
    int keyPresses = 0;
    int viewportPresses = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        ++keyPresses;
        QListWidget::keyPressEvent(event);
    }
    void mousePressEvent(QMouseEvent* event) override {
        ++viewportPresses;
        QListWidget::mousePressEvent(event);
    }
};

class TestMsghook : public QObject {
    Q_OBJECT

private slots:
    void onlySwitchedOnEventsAreDelivered();
    void handledEventNeverReachesWidget();
    void viewportEventsComeWithTheViewport();
    void invokeWindowProcDeliversOnce();
    void unboundHookDeliversNothing();
    void hookEndsBeforeWidget();
};

void TestMsghook::onlySwitchedOnEventsAreDelivered() {
    CountingList list;
    CMsghook hook;
    hook.setHwndHook(&list);
    QCOMPARE(hook.HwndHook(), &list);
    QSignalSpy spy(&hook, &CMsghook::OnMessage);
    QTest::keyClick(&list, Qt::Key_A);
    QCOMPARE(spy.size(), 0);
    hook.setMessage(QEvent::KeyPress, true);
    QVERIFY(hook.Message(QEvent::KeyPress));
    QVERIFY(!hook.Message(QEvent::KeyRelease));
    QTest::keyClick(&list, Qt::Key_A);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.first().at(0).value<QObject*>(), &list);
    QCOMPARE(list.keyPresses, 2); // not handled: the list saw it as well
    hook.setMessage(QEvent::KeyPress, false);
    QTest::keyClick(&list, Qt::Key_A);
    QCOMPARE(spy.size(), 1);
}

void TestMsghook::handledEventNeverReachesWidget() {
    CountingList list;
    CMsghook hook;
    hook.setHwndHook(&list);
    hook.setMessage(QEvent::KeyPress, true);
    connect(&hook, &CMsghook::OnMessage, &hook, [](QObject*, QEvent* event, bool* handled) {
        *handled = static_cast<QKeyEvent*>(event)->key() == Qt::Key_B;
    });
    QTest::keyClick(&list, Qt::Key_A);
    QTest::keyClick(&list, Qt::Key_B);
    QCOMPARE(list.keyPresses, 1);
}

void TestMsghook::viewportEventsComeWithTheViewport() {
    CountingList list;
    list.resize(200, 200);
    CMsghook hook;
    hook.setHwndHook(&list);
    hook.setMessage(QEvent::MouseButtonPress, true);
    QList<QObject*> targets;
    connect(&hook, &CMsghook::OnMessage, &hook,
            [&targets](QObject* target, QEvent*, bool* handled) {
                targets.append(target);
                *handled = true;
            });
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(targets, QList<QObject*>{list.viewport()});
    QCOMPARE(list.viewportPresses, 0);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
}

void TestMsghook::invokeWindowProcDeliversOnce() {
    CountingList list;
    CMsghook hook;
    hook.setHwndHook(&list);
    hook.setMessage(QEvent::KeyPress, true);
    int seenByListFirst = -1;
    connect(&hook, &CMsghook::OnMessage, &hook, [&](QObject* target, QEvent* event, bool* handled) {
        hook.InvokeWindowProc(target, event, handled);
        seenByListFirst = list.keyPresses;
    });
    QTest::keyClick(&list, Qt::Key_A);
    QCOMPARE(seenByListFirst, 1);
    QCOMPARE(list.keyPresses, 1);
}

void TestMsghook::unboundHookDeliversNothing() {
    CountingList list;
    CMsghook hook;
    hook.setHwndHook(&list);
    hook.setMessage(QEvent::KeyPress, true);
    QSignalSpy spy(&hook, &CMsghook::OnMessage);
    hook.setHwndHook(nullptr);
    QVERIFY(!hook.HwndHook());
    QTest::keyClick(&list, Qt::Key_A);
    QTest::mouseClick(list.viewport(), Qt::LeftButton);
    QCOMPARE(spy.size(), 0);
    QCOMPARE(list.keyPresses, 1);
}

void TestMsghook::hookEndsBeforeWidget() {
    CountingList list;
    {
        CMsghook hook;
        hook.setHwndHook(&list);
        hook.setMessage(QEvent::KeyPress, true);
    }
    QTest::keyClick(&list, Qt::Key_A); // no filter left behind
    QCOMPARE(list.keyPresses, 1);
    auto* gone = new CountingList;
    CMsghook hook;
    hook.setHwndHook(gone);
    delete gone;
    QVERIFY(!hook.HwndHook());
}

QTEST_MAIN(TestMsghook)
#include "tst_msghook.moc"

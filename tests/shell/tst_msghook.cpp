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
    void delivery_data() {
        QTest::addColumn<bool>("switchedOn");
        QTest::addColumn<bool>("bound");
        QTest::addColumn<int>("handler"); // 0 passes on, 1 handles, 2 lets the widget go first
        QTest::addColumn<int>("delivered");
        QTest::addColumn<int>("widgetSaw");
        QTest::newRow("type not switched on") << false << true << 1 << 0 << 1;
        QTest::newRow("passed on") << true << true << 0 << 1 << 1;
        QTest::newRow("handled") << true << true << 1 << 1 << 0;
        QTest::newRow("widget first, once") << true << true << 2 << 1 << 1;
        QTest::newRow("unbound") << true << false << 1 << 0 << 1;
    }
    void delivery() {
        QFETCH(bool, switchedOn);
        QFETCH(bool, bound);
        QFETCH(int, handler);
        CountingList list;
        CMsghook hook;
        hook.setHwndHook(&list);
        hook.setMessage(QEvent::KeyPress, switchedOn);
        int delivered = 0;
        int widgetSawBeforeHandlerEnded = -1;
        connect(&hook, &CMsghook::OnMessage, &hook,
                [&](QObject* target, QEvent* event, bool* handled) {
                    ++delivered;
                    if (handler == 2)
                        hook.InvokeWindowProc(target, event, handled);
                    else
                        *handled = handler == 1;
                    widgetSawBeforeHandlerEnded = list.keyPresses;
                });
        if (!bound)
            hook.setHwndHook(nullptr);
        QTest::keyClick(&list, Qt::Key_A);
        QTest::mouseClick(list.viewport(), Qt::LeftButton);
        QTEST(delivered, "delivered");
        QTEST(list.keyPresses, "widgetSaw");
        if (handler == 2)
            QCOMPARE(widgetSawBeforeHandlerEnded, 1);
    }

    void viewportEventsComeWithTheViewport() {
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

    void hookEndsBeforeWidget() {
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
};

QTEST_MAIN(TestMsghook)
#include "tst_msghook.moc"

#include "CMsghook.h"

#include <QKeyEvent>
#include <QListWidget>
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
        QTest::addColumn<bool>("mouse"); // a press on the viewport, else a key press
        QTest::addColumn<bool>("switchedOn");
        QTest::addColumn<bool>("bound");
        QTest::addColumn<int>("handler"); // 0 passes on, 1 handles, 2 lets the widget go first
        QTest::addColumn<int>("delivered");
        QTest::addColumn<int>("widgetSaw");
        QTest::newRow("type not switched on") << false << false << true << 1 << 0 << 1;
        QTest::newRow("passed on") << false << true << true << 0 << 1 << 1;
        QTest::newRow("handled") << false << true << true << 1 << 1 << 0;
        QTest::newRow("widget first, once") << false << true << true << 2 << 1 << 1;
        QTest::newRow("unbound") << false << true << false << 1 << 0 << 1;
        QTest::newRow("viewport press handled") << true << true << true << 1 << 1 << 0;
    }
    void delivery() {
        QFETCH(bool, mouse);
        QFETCH(bool, switchedOn);
        QFETCH(bool, bound);
        QFETCH(int, handler);
        CountingList list;
        list.resize(200, 200);
        CMsghook hook;
        hook.setHwndHook(&list);
        hook.setMessage(mouse ? QEvent::MouseButtonPress : QEvent::KeyPress, switchedOn);
        QList<QObject*> targets;
        int widgetSawBeforeHandlerEnded = -1;
        connect(&hook, &CMsghook::OnMessage, &hook,
                [&](QObject* target, QEvent* event, bool* handled) {
                    targets.append(target);
                    if (handler == 2)
                        hook.InvokeWindowProc(target, event, handled);
                    else
                        *handled = handler == 1;
                    widgetSawBeforeHandlerEnded = list.keyPresses;
                });
        if (!bound)
            hook.setHwndHook(nullptr);
        if (mouse)
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
        else
            QTest::keyClick(&list, Qt::Key_A);
        QTEST(int(targets.size()), "delivered");
        QTEST(mouse ? list.viewportPresses : list.keyPresses, "widgetSaw");
        if (!targets.isEmpty())
            QCOMPARE(targets.first(), mouse ? list.viewport() : &list);
        if (handler == 2)
            QCOMPARE(widgetSawBeforeHandlerEnded, 1);
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
    }
};

QTEST_MAIN(TestMsghook)
#include "tst_msghook.moc"

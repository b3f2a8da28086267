#include "CAnchor.h"
#include "CError.h"
#include "support_Fakes.h"

#include <QSignalSpy>
#include <QtTest>
#include <climits>

namespace {

// One control anchored in a window of 9000 x 6000 twips inside.
struct Rig {
    std::shared_ptr<FakeWindow> window = std::make_shared<FakeWindow>(9000, 6000);
    std::shared_ptr<FakeControl> control;
    CAnchor anchor;
    QSignalSpy resized{&anchor, &CAnchor::FormResize};
    explicit Rig(int alignments, int left = 100, int top = 100, int width = 1000, int height = 1000,
                 bool visible = true)
        : control(FakeControl::Make(QStringLiteral("Ctl"), left, top, width, height, visible)) {
        anchor.Create(window);
        anchor.Add(control, alignments);
    }
};

} // namespace

class TestAnchor : public QObject {
    Q_OBJECT
private slots:
    void presets_data() {
        QTest::addColumn<int>("alignments");
        QTest::addColumn<QRect>("expected"); // left, top, width, height deltas for 300 x 200 growth
        QTest::newRow("0 top left") << 0 << QRect(0, 0, 0, 0);
        QTest::newRow("1 along the top") << 1 << QRect(0, 0, 300, 0);
        QTest::newRow("2 along the bottom") << 2 << QRect(0, 200, 300, 0);
        QTest::newRow("3 down the left") << 3 << QRect(0, 0, 0, 200);
        QTest::newRow("4 down the right") << 4 << QRect(300, 0, 0, 200);
        QTest::newRow("5 bottom left") << 5 << QRect(0, 200, 0, 0);
        QTest::newRow("6 top right") << 6 << QRect(300, 0, 0, 0);
        QTest::newRow("7 bottom right") << 7 << QRect(300, 200, 0, 0);
        QTest::newRow("8 both ways") << 8 << QRect(0, 0, 300, 200);
        QTest::newRow("9 no anchors") << 9 << QRect(300, 200, -300, -200);
        QTest::newRow("-1 no anchors") << -1 << QRect(300, 200, -300, -200);
    }

    void presets() {
        QFETCH(int, alignments);
        QFETCH(QRect, expected);
        Rig rig(alignments, 1000, 1500, 3000, 2000);
        rig.window->Grow(300, 200);
        QCOMPARE(rig.control->moves, 1);
        QCOMPARE(rig.control->Rect(), QRect(1000 + expected.x(), 1500 + expected.y(),
                                            3000 + expected.width(), 2000 + expected.height()));
        // Growth counts from the last layout, not from the design.
        rig.window->Grow(300, 200);
        QCOMPARE(rig.control->left, 1000 + 2 * expected.x());
        QCOMPARE(rig.control->height, 2000 + 2 * expected.height());
        QCOMPARE(rig.resized.count(), 2);
    }

    void smallControlsHidden_data() {
        QTest::addColumn<bool>("horizontal");
        QTest::newRow("width") << true;
        QTest::newRow("height") << false;
    }

    void smallControlsHidden() {
        QFETCH(bool, horizontal);
        Rig rig(8);
        // Shrunk to exactly 60 twips: hidden, not moved.
        rig.window->Grow(horizontal ? -940 : 0, horizontal ? 0 : -940);
        QVERIFY(!rig.control->visible);
        QCOMPARE(rig.control->moves, 0);
        // One more twip and it is moved and shown again.
        rig.window->Grow(horizontal ? 1 : 0, horizontal ? 0 : 1);
        QVERIFY(rig.control->visible);
        QCOMPARE(rig.control->Rect(),
                 horizontal ? QRect(100, 100, 61, 1000) : QRect(100, 100, 1000, 61));
    }

    void visibilityKeptByTheOwner() {
        // Hidden when added: moved but left hidden, until once shrunk out of sight.
        Rig rig(1, 100, 100, 1000, 1000, false);
        rig.window->Grow(200, 0);
        QVERIFY(!rig.control->visible);
        QCOMPARE(rig.control->width, 1200);
        rig.window->Grow(-1150, 0);
        rig.window->Grow(1000, 0);
        QVERIFY(rig.control->visible);
        // Once shown after a move, a later hide by the owner does not stick.
        rig.control->visible = false;
        rig.window->Grow(15, 15);
        QVERIFY(rig.control->visible);
    }

    void minimisedThenRestored() {
        Rig rig(7);
        rig.window->state = IAnchorWindow::Minimized;
        rig.window->Grow(300, 150);
        rig.window->Grow(200, 100);
        QCOMPARE(rig.control->moves, 0);
        rig.window->state = IAnchorWindow::Normal;
        rig.window->Resized();
        QCOMPARE(rig.control->moves, 1);
        QCOMPARE(rig.control->Rect(), QRect(600, 350, 1000, 1000));
        QCOMPARE(rig.resized.count(), 3);
    }

    void overflowIsAnError() {
        Rig rig(6, INT_MAX - 100);
        rig.window->width += 1000;
        QVERIFY_THROWS_EXCEPTION(CError, rig.anchor.Layout());
        QCOMPARE(rig.control->moves, 0);
        QCOMPARE(rig.resized.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestAnchor)
#include "tst_anchor.moc"

#include "CAnchor.h"
#include "CError.h"
#include "support_Fakes.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// A tree and a list either side of a vertical splitter bar; the list ends at 8760.
struct Panes {
    std::shared_ptr<FakeWindow> window = std::make_shared<FakeWindow>(9000, 6000);
    std::shared_ptr<FakeControl> tree =
        FakeControl::Make(QStringLiteral("Tree"), 120, 795, 2535, 5055);
    std::shared_ptr<FakeControl> list =
        FakeControl::Make(QStringLiteral("List"), 2760, 795, 6000, 5055);
    std::shared_ptr<FakeControl> image =
        FakeControl::Make(QStringLiteral("imgSplitter"), 2655, 795, 105, 5055);
    std::shared_ptr<FakeControl> bar =
        FakeControl::Make(QStringLiteral("picSplitter"), 0, 795, 105, 5055, false);
    CAnchor anchor;
    QSignalSpy left{&anchor, &CAnchor::RepositionLeft};

    Panes() {
        anchor.Create(window);
        anchor.Add(tree, 3, 2);
        anchor.Add(list, 8, 2);
        anchor.AddSplitter(image, bar, 1);
    }
    // The panes meet the bar on both sides.
    void VerifyPanes(int barLeft) {
        QCOMPARE(image->left, barLeft);
        QCOMPARE(tree->Rect(), QRect(120, 795, barLeft - 120, 5055));
        QCOMPARE(list->Rect(), QRect(barLeft + 105, 795, 8760 - barLeft - 105, 5055));
    }
};

} // namespace

class TestSplitter : public QObject {
    Q_OBJECT
private slots:
    void dragLimits_data() {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("pointer");
        QTest::addColumn<int>("barPosition");
        QTest::newRow("vertical, far left") << true << -5000 << 240;
        QTest::newRow("vertical, on the left limit") << true << 240 - 2655 << 240;
        QTest::newRow("vertical, just right of the left limit") << true << 241 - 2655 << 241;
        QTest::newRow("vertical, far right") << true << 20000 << 9000 - 360;
        QTest::newRow("horizontal, far up") << false << -5000 << 450;
        QTest::newRow("horizontal, far down") << false << 20000 << 6000 - 540;
        QTest::newRow("horizontal, between") << false << 400 << 3400;
    }

    void dragLimits() {
        QFETCH(bool, vertical);
        QFETCH(int, pointer);
        QFETCH(int, barPosition);
        auto window = std::make_shared<FakeWindow>(9000, 6000);
        auto image = vertical ? FakeControl::Make(QStringLiteral("imgV"), 2655, 795, 105, 5055)
                              : FakeControl::Make(QStringLiteral("imgH"), 120, 3000, 8760, 60);
        auto bar = FakeControl::Make(QStringLiteral("pic"), 0, 0, 10, 10, false);
        CAnchor anchor;
        QSignalSpy left(&anchor, &CAnchor::RepositionLeft);
        QSignalSpy top(&anchor, &CAnchor::RepositionTop);
        anchor.Create(window);
        anchor.AddSplitter(image, bar, vertical ? 1 : 0);

        image->Press(30, 30);
        QVERIFY(bar->visible);
        QCOMPARE(bar->raised, 1);
        QCOMPARE(bar->Rect(), image->Rect());
        vertical ? image->Drag(pointer, 30) : image->Drag(30, pointer);
        QCOMPARE(vertical ? bar->left : bar->top, barPosition);
        // Only the drag bar follows the pointer until the release.
        QCOMPARE(vertical ? image->left : image->top, vertical ? 2655 : 3000);
        image->Release(0, 0);
        QVERIFY(!bar->visible);
        QCOMPARE(vertical ? image->left : image->top, barPosition - 30);
        QSignalSpy& reported = vertical ? left : top;
        QCOMPARE(reported.count(), 1);
        QCOMPARE(reported.at(0).at(0).toFloat(), float(barPosition - 30));
        QCOMPARE((vertical ? top : left).count(), 0);
    }

    void drag_data() {
        QTest::addColumn<int>("pressX"); // -1: no press
        QTest::addColumn<QPoint>("release");
        QTest::addColumn<int>("barLeft");
        QTest::newRow("release without move") << 50 << QPoint(50, 100) << 2625;
        QTest::newRow("grip dragged along the bar") << 30 << QPoint(30, 400) << 2655;
        QTest::newRow("dragged right") << 30 << QPoint(530, 100) << 3155;
        QTest::newRow("release without press") << -1 << QPoint(500, 100) << 2655;
    }

    void drag() {
        QFETCH(int, pressX);
        QFETCH(QPoint, release);
        QFETCH(int, barLeft);
        Panes p;
        if (pressX >= 0)
            p.image->Press(pressX, 100);
        if (release != QPoint(pressX, 100))
            p.image->Drag(release.x(), release.y());
        p.image->Release(release.x(), release.y());
        p.VerifyPanes(barLeft);
        QCOMPARE(p.left.count(), pressX >= 0 ? 1 : 0);
        // The engine learnt the new geometry: a window resize starts from it.
        p.window->Grow(100, 0);
        QCOMPARE(p.list->width, 8860 - barLeft - 105);
        QCOMPARE(p.tree->width, barLeft - 120);
    }

    void refreshMovesOnlyTheFarSide() {
        Panes p;
        auto farSide = FakeControl::Make(QStringLiteral("A"), 4000, 1000, 1000, 1000);
        auto topRight = FakeControl::Make(QStringLiteral("B"), 7000, 2000, 1000, 1000);
        auto nearSide = FakeControl::Make(QStringLiteral("D"), 120, 1000, 1000, 1000);
        p.anchor.Add(farSide, 0);
        p.anchor.Add(topRight, 6);
        p.anchor.Add(nearSide, 0);
        // Moved by its owner behind the engine's back: kept, and later resizes start from there.
        topRight->left = 6000;
        p.anchor.SplitterRefresh(*p.image, 3155);
        p.VerifyPanes(3155);
        QCOMPARE(farSide->Rect(), QRect(4500, 1000, 1000, 1000));
        QCOMPARE(topRight->left, 6000);
        QCOMPARE(nearSide->width, 1000);
        p.window->Grow(100, 0);
        QCOMPARE(topRight->left, 6100);
        FakeControl stranger(QStringLiteral("imgOther"), 0, 0, 10, 10);
        QVERIFY_THROWS_EXCEPTION(CError, p.anchor.SplitterRefresh(stranger, 100));
    }

    void horizontalBar() {
        auto window = std::make_shared<FakeWindow>(9000, 6000);
        auto above = FakeControl::Make(QStringLiteral("Above"), 120, 795, 8760, 2205);
        auto below = FakeControl::Make(QStringLiteral("Below"), 120, 3060, 8760, 2000);
        auto status = FakeControl::Make(QStringLiteral("Status"), 120, 5500, 8760, 240);
        auto image = FakeControl::Make(QStringLiteral("imgH"), 120, 3000, 8760, 60);
        CAnchor anchor;
        QSignalSpy top(&anchor, &CAnchor::RepositionTop);
        anchor.Create(window);
        anchor.Add(above, 8, 1);
        anchor.Add(below, 8, 1);
        anchor.Add(status, 2);
        anchor.AddSplitter(image, FakeControl::Make(QStringLiteral("picH"), 0, 0, 10, 10, false));
        anchor.SplitterRefresh(*image, 3500);
        QCOMPARE(image->top, 3500);
        QCOMPARE(above->height, 2705);
        QCOMPARE(below->Rect(), QRect(120, 3560, 8760, 1500));
        // Below the bar without the follow flag and not anchored to the top: stays.
        QCOMPARE(status->top, 5500);
        QCOMPARE(top.count(), 0);
        // A window resize reports where the bar is, for the owner to store.
        window->Grow(300, 300);
        QCOMPARE(top.count(), 1);
        QCOMPARE(top.at(0).at(0).toFloat(), 3500.0f);
    }

    void failingStatementsSkipped() {
        Panes p;
        p.tree->rejectWidth = true;
        p.list->rejectWidth = true;
        p.anchor.SplitterRefresh(*p.image, 3155);
        QCOMPARE(p.image->left, 3155);
        QCOMPARE(p.tree->width, 2535);
        QCOMPARE(p.list->Rect(), QRect(3260, 795, 6000, 5055));
    }

    void latestSplitterListensAndIsPlaced() {
        Panes p;
        auto second = FakeControl::Make(QStringLiteral("imgSplitter2"), 6000, 795, 105, 5055);
        p.anchor.AddSplitter(second, FakeControl::Make(QStringLiteral("pic2"), 0, 0, 1, 1, false),
                             1);
        QVERIFY(!p.image->mouse);
        QVERIFY(second->mouse);
        p.anchor.setSplitterLeft(6500);
        QCOMPARE(second->left, 6500);
        QCOMPARE(p.image->left, 2655);
        // The earlier bar can still be placed in code.
        p.anchor.SplitterRefresh(*p.image, 2000);
        QCOMPARE(p.image->left, 2000);
        // The tree follows both bars: +500 from the second, -655 from the first.
        QCOMPARE(p.tree->width, 2380);
    }
};

QTEST_GUILESS_MAIN(TestSplitter)
#include "tst_splitter.moc"

#include "CAnchor.h"
#include "CError.h"
#include "support_Fakes.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// A window with a tree and a list either side of a vertical splitter bar.
struct Panes {
    std::shared_ptr<FakeWindow> window = std::make_shared<FakeWindow>(9000, 6000);
    std::shared_ptr<FakeControl> tree =
        FakeControl::Make(QStringLiteral("Tree"), 120, 795, 2535, 5055);
    std::shared_ptr<FakeControl> list =
        FakeControl::Make(QStringLiteral("List"), 2760, 795, 6000, 5055);
    std::shared_ptr<FakeControl> image =
        FakeControl::Make(QStringLiteral("imgSplitter"), 2655, 795, 105, 5055, true, "Image");
    std::shared_ptr<FakeControl> bar =
        FakeControl::Make(QStringLiteral("picSplitter"), 0, 795, 105, 5055, false, "PictureBox");
    CAnchor anchor;

    Panes() {
        anchor.Create(window);
        anchor.Add(tree, 3, 2);
        anchor.Add(list, 8, 2);
        anchor.AddSplitter(image, bar, 1);
    }
};

} // namespace

class TestSplitter : public QObject {
    Q_OBJECT
private slots:
    void addSplitter();
    void dragLimits_data();
    void dragLimits();
    void releaseWithoutMove();
    void dragByTheGripLeavesAll();
    void treeAndListFollow();
    void farSideWithoutFollowFlag();
    void horizontalBar();
    void refreshAtCurrentPosition();
    void failingStatementsSkipped();
    void unknownSplitterIsAnError();
    void latestSplitterListensAndIsPlaced();
    void layoutReportsSplitterPositions();
    void releaseWithoutPressIgnored();
};

void TestSplitter::addSplitter() {
    Panes p;
    QCOMPARE(p.anchor.ControlCount(), 3);
    QCOMPARE(p.anchor.SplitterCount(), 1);
    QCOMPARE(p.bar->left, 2655);
    QVERIFY(p.image->mouse);

    // The bar keeps its left and stretches with the window's height.
    p.window->Grow(300, 200);
    QCOMPARE(p.image->left, 2655);
    QCOMPARE(p.image->height, 5255);
}

void TestSplitter::dragLimits_data() {
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<int>("pointer");
    QTest::addColumn<int>("barPosition");

    QTest::newRow("vertical, far left") << true << -5000 << 240;
    QTest::newRow("vertical, on the left limit") << true << 240 - 2655 << 240;
    QTest::newRow("vertical, just right of the left limit") << true << 241 - 2655 << 241;
    QTest::newRow("vertical, far right") << true << 20000 << 9000 - 360;
    QTest::newRow("vertical, between") << true << 530 << 3185;
    QTest::newRow("horizontal, far up") << false << -5000 << 450;
    QTest::newRow("horizontal, far down") << false << 20000 << 6000 - 540;
    QTest::newRow("horizontal, between") << false << 400 << 3400;
}

void TestSplitter::dragLimits() {
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
    QCOMPARE(QRect(bar->left, bar->top, bar->width, bar->height),
             QRect(image->left, image->top, image->width, image->height));
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

void TestSplitter::releaseWithoutMove() {
    Panes p;
    p.image->Press(50, 100);
    p.image->Release(50, 100);
    QCOMPARE(p.image->left, 2625);
    QCOMPARE(p.tree->width, 2505);
    QCOMPARE(p.list->left, 2730);
    QCOMPARE(p.list->width, 6030);
}

void TestSplitter::dragByTheGripLeavesAll() {
    Panes p;
    p.image->Press(30, 100);
    p.image->Drag(30, 400);
    p.image->Release(30, 400);
    QCOMPARE(p.image->left, 2655);
    QCOMPARE(p.tree->width, 2535);
    QCOMPARE(p.list->left, 2760);
    QCOMPARE(p.list->width, 6000);
}

void TestSplitter::treeAndListFollow() {
    Panes p;
    QSignalSpy left(&p.anchor, &CAnchor::RepositionLeft);
    p.image->Press(30, 100);
    p.image->Drag(300, 100);
    p.image->Drag(530, 100);
    p.image->Release(530, 100);

    QCOMPARE(p.image->left, 3155);
    QCOMPARE(p.tree->left, 120);
    QCOMPARE(p.tree->width, 3035);
    QCOMPARE(p.list->left, 3260);
    QCOMPARE(p.list->width, 5500);
    QCOMPARE(p.tree->height, 5055);
    QCOMPARE(left.count(), 1);
    QCOMPARE(left.at(0).at(0).toFloat(), 3155.0f);

    // The engine learnt the new geometry: a window resize starts from it.
    p.window->Grow(100, 0);
    QCOMPARE(p.list->left, 3260);
    QCOMPARE(p.list->width, 5600);
    QCOMPARE(p.tree->width, 3035);
}

void TestSplitter::farSideWithoutFollowFlag() {
    Panes p;
    auto anchoredLeft = FakeControl::Make(QStringLiteral("A"), 4000, 1000, 1000, 1000);
    auto anchoredRight = FakeControl::Make(QStringLiteral("B"), 5000, 2000, 1000, 1000);
    auto outside = FakeControl::Make(QStringLiteral("C"), 4000, 0, 1000, 600);
    auto nearSide = FakeControl::Make(QStringLiteral("D"), 120, 1000, 1000, 1000);
    p.anchor.Add(anchoredLeft, 0);
    p.anchor.Add(anchoredRight, 6);
    p.anchor.Add(outside, 0);
    p.anchor.Add(nearSide, 0);

    p.anchor.SplitterRefresh(*p.image, 3155);
    QCOMPARE(p.image->left, 3155);
    QCOMPARE(anchoredLeft->left, 4500);
    QCOMPARE(anchoredLeft->width, 1000);
    QCOMPARE(anchoredRight->left, 5000);
    QCOMPARE(outside->left, 4000);
    QCOMPARE(nearSide->width, 1000);
    QCOMPARE(p.list->left, 3260);
}

void TestSplitter::horizontalBar() {
    auto window = std::make_shared<FakeWindow>(9000, 6000);
    auto above = FakeControl::Make(QStringLiteral("Above"), 120, 795, 8760, 2205);
    auto below = FakeControl::Make(QStringLiteral("Below"), 120, 3060, 8760, 2000);
    auto straddling = FakeControl::Make(QStringLiteral("Straddling"), 120, 2900, 8760, 130);
    auto belowNotFollowing = FakeControl::Make(QStringLiteral("Status"), 120, 5500, 8760, 240);
    auto image = FakeControl::Make(QStringLiteral("imgH"), 120, 3000, 8760, 60);
    auto bar = FakeControl::Make(QStringLiteral("picH"), 120, 0, 8760, 60, false);
    CAnchor anchor;
    QSignalSpy top(&anchor, &CAnchor::RepositionTop);
    anchor.Create(window);
    anchor.Add(above, 8, 1);
    anchor.Add(below, 8, 1);
    anchor.Add(straddling, 8, 1);
    anchor.Add(belowNotFollowing, 2);
    anchor.AddSplitter(image, bar);
    QCOMPARE(bar->top, 3000);

    anchor.SplitterRefresh(*image, 3500);
    QCOMPARE(image->top, 3500);
    QCOMPARE(above->height, 2705);
    QCOMPARE(below->top, 3560);
    QCOMPARE(below->height, 1500);
    QCOMPARE(straddling->top, 2900);
    QCOMPARE(straddling->height, 130);
    // Below the bar without the follow flag and not anchored to the top: stays.
    QCOMPARE(belowNotFollowing->top, 5500);
    QCOMPARE(top.count(), 0);
}

void TestSplitter::refreshAtCurrentPosition() {
    Panes p;
    auto topRight = FakeControl::Make(QStringLiteral("TopRight"), 7000, 100, 1000, 300);
    p.anchor.Add(topRight, 6);
    // Moved by its owner behind the engine's back.
    topRight->left = 6000;
    p.list->width = 5000;

    p.anchor.SplitterRefresh(*p.image, 2655);
    QCOMPARE(p.image->left, 2655);
    QCOMPARE(p.tree->width, 2535);
    QCOMPARE(p.list->left, 2760);
    QCOMPARE(p.list->width, 5000);
    QCOMPARE(topRight->left, 6000);

    p.window->Grow(100, 0);
    QCOMPARE(topRight->left, 6100);
    QCOMPARE(p.list->width, 5100);
}

void TestSplitter::failingStatementsSkipped() {
    Panes p;
    p.tree->rejectWidth = true;
    p.list->rejectWidth = true;
    p.anchor.SplitterRefresh(*p.image, 3155);
    QCOMPARE(p.image->left, 3155);
    QCOMPARE(p.tree->width, 2535);
    QCOMPARE(p.list->left, 3260);
    QCOMPARE(p.list->width, 6000);
}

void TestSplitter::unknownSplitterIsAnError() {
    Panes p;
    FakeControl stranger(QStringLiteral("imgOther"), 0, 0, 10, 10);
    QVERIFY_THROWS_EXCEPTION(CError, p.anchor.SplitterRefresh(stranger, 100));
    QCOMPARE(p.image->left, 2655);
}

void TestSplitter::latestSplitterListensAndIsPlaced() {
    Panes p;
    auto second = FakeControl::Make(QStringLiteral("imgSplitter2"), 6000, 795, 105, 5055);
    auto secondBar = FakeControl::Make(QStringLiteral("picSplitter2"), 0, 0, 105, 5055, false);
    p.anchor.AddSplitter(second, secondBar, 1);
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

void TestSplitter::layoutReportsSplitterPositions() {
    Panes p;
    auto image = FakeControl::Make(QStringLiteral("imgH"), 120, 3000, 8760, 60);
    auto bar = FakeControl::Make(QStringLiteral("picH"), 120, 0, 8760, 60, false);
    p.anchor.AddSplitter(image, bar, 0);
    QSignalSpy left(&p.anchor, &CAnchor::RepositionLeft);
    QSignalSpy top(&p.anchor, &CAnchor::RepositionTop);
    QSignalSpy resized(&p.anchor, &CAnchor::FormResize);
    p.window->Grow(300, 300);
    QCOMPARE(left.count(), 1);
    QCOMPARE(left.at(0).at(0).toFloat(), 2655.0f);
    QCOMPARE(top.count(), 1);
    QCOMPARE(top.at(0).at(0).toFloat(), 3000.0f);
    QCOMPARE(resized.count(), 1);
}

void TestSplitter::releaseWithoutPressIgnored() {
    Panes p;
    QSignalSpy left(&p.anchor, &CAnchor::RepositionLeft);
    p.image->Drag(500, 100);
    p.image->Release(500, 100);
    QCOMPARE(p.image->left, 2655);
    QCOMPARE(p.bar->left, 2655);
    QCOMPARE(left.count(), 0);
}

QTEST_GUILESS_MAIN(TestSplitter)
#include "tst_splitter.moc"

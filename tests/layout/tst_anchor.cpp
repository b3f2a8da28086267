#include "CAnchor.h"
#include "CError.h"
#include "support_Fakes.h"

#include <QSignalSpy>
#include <QtTest>
#include <climits>

class TestAnchor : public QObject {
    Q_OBJECT
private slots:
    void presets_data();
    void presets();
    void mainWindowDesign();
    void smallControlsHidden_data();
    void smallControlsHidden();
    void invisibleWhenAddedUntilOnceTooSmall();
    void hiddenByOwnerShownAgain();
    void minimisedThenRestored();
    void minimumSizeSnaps();
    void comboBoxes();
    void parentWindowRaisesNoFormResize();
    void overflowIsAnError();
};

void TestAnchor::presets_data() {
    QTest::addColumn<int>("alignments");
    QTest::addColumn<QRect>("expected"); // left, top, width, height deltas

    // The window grows by 300 across and 200 down.
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

void TestAnchor::presets() {
    QFETCH(int, alignments);
    QFETCH(QRect, expected);

    auto window = std::make_shared<FakeWindow>(9000, 6000);
    auto control = FakeControl::Make(QStringLiteral("Ctl"), 1000, 1500, 3000, 2000);
    CAnchor anchor;
    anchor.Create(window);
    anchor.Add(control, alignments);
    window->Grow(300, 200);

    QCOMPARE(control->moves, 1);
    QCOMPARE(control->left, 1000 + expected.x());
    QCOMPARE(control->top, 1500 + expected.y());
    QCOMPARE(control->width, 3000 + expected.width());
    QCOMPARE(control->height, 2000 + expected.height());

    // Growth counts from the last layout, not from the design.
    window->Grow(300, 200);
    QCOMPARE(control->left, 1000 + 2 * expected.x());
    QCOMPARE(control->height, 2000 + 2 * expected.height());
}

void TestAnchor::mainWindowDesign() {
    auto window = std::make_shared<FakeWindow>(9165, 6165);
    auto toolbarMenu = FakeControl::Make(QStringLiteral("ToolbarMenu"), 120, 30, 4215, 675);
    auto toolbarFolder =
        FakeControl::Make(QStringLiteral("ToolbarFolderOpen"), 4920, 30, 1215, 675);
    auto textSearch = FakeControl::Make(QStringLiteral("TextSearch"), 6240, 150, 2895, 330);
    auto tabStrip = FakeControl::Make(QStringLiteral("TabStripWork"), 2760, 795, 6375, 5055);
    auto tree = FakeControl::Make(QStringLiteral("TreeViewTag"), 120, 795, 2535, 5055);
    auto status = FakeControl::Make(QStringLiteral("TextStatusBar"), 120, 5955, 9000, 240);
    auto list = FakeControl::Make(QStringLiteral("ListView1"), 2805, 1155, 6285, 4650);

    CAnchor anchor;
    QSignalSpy resized(&anchor, &CAnchor::FormResize);
    anchor.Create(window);
    anchor.Add(toolbarMenu, 0);
    anchor.Add(toolbarFolder, 6);
    anchor.Add(textSearch, 6);
    anchor.Add(tabStrip, 8);
    anchor.Add(tree, 3);
    anchor.Add(status, 2);
    anchor.setMinWidth(8700);
    anchor.Add(list, 8, 1);
    QCOMPARE(anchor.ControlCount(), 7);

    window->Grow(300, 0);
    QCOMPARE(resized.count(), 1);
    QCOMPARE(QRect(toolbarMenu->left, toolbarMenu->top, toolbarMenu->width, toolbarMenu->height),
             QRect(120, 30, 4215, 675));
    QCOMPARE(toolbarFolder->left, 5220);
    QCOMPARE(toolbarFolder->width, 1215);
    QCOMPARE(textSearch->left, 6540);
    QCOMPARE(textSearch->width, 2895);
    QCOMPARE(tabStrip->left, 2760);
    QCOMPARE(tabStrip->width, 6675);
    QCOMPARE(tabStrip->height, 5055);
    QCOMPARE(tree->width, 2535);
    QCOMPARE(tree->height, 5055);
    QCOMPARE(status->width, 9300);
    QCOMPARE(status->top, 5955);
    QCOMPARE(list->width, 6585);

    window->Grow(0, 450);
    QCOMPARE(resized.count(), 2);
    QCOMPARE(tree->height, 5505);
    QCOMPARE(tabStrip->height, 5505);
    QCOMPARE(list->height, 5100);
    QCOMPARE(status->top, 6405);
    QCOMPARE(status->height, 240);
    QCOMPARE(textSearch->top, 150);
}

void TestAnchor::smallControlsHidden_data() {
    QTest::addColumn<bool>("horizontal");
    QTest::newRow("width") << true;
    QTest::newRow("height") << false;
}

void TestAnchor::smallControlsHidden() {
    QFETCH(bool, horizontal);

    auto window = std::make_shared<FakeWindow>(5000, 5000);
    auto control = FakeControl::Make(QStringLiteral("Ctl"), 100, 100, 1000, 1000);
    CAnchor anchor;
    anchor.Create(window);
    anchor.Add(control, 8);

    // 940 twips narrower (or lower) leaves exactly 60: hidden, not moved.
    window->Grow(horizontal ? -940 : 0, horizontal ? 0 : -940);
    QVERIFY(!control->visible);
    QCOMPARE(control->moves, 0);
    QCOMPARE(horizontal ? control->width : control->height, 1000);

    // One more twip and it is moved and shown again.
    window->Grow(horizontal ? 1 : 0, horizontal ? 0 : 1);
    QVERIFY(control->visible);
    QCOMPARE(control->moves, 1);
    QCOMPARE(horizontal ? control->width : control->height, 61);
    QCOMPARE(horizontal ? control->height : control->width, 1000);
}

void TestAnchor::invisibleWhenAddedUntilOnceTooSmall() {
    auto window = std::make_shared<FakeWindow>(5000, 5000);
    auto control = FakeControl::Make(QStringLiteral("Ctl"), 100, 100, 1000, 1000, false);
    CAnchor anchor;
    anchor.Create(window);
    anchor.Add(control, 1);

    window->Grow(200, 0);
    QVERIFY(!control->visible);
    QCOMPARE(control->moves, 1);
    QCOMPARE(control->width, 1200);

    window->Grow(-1150, 0);
    QVERIFY(!control->visible);
    window->Grow(1000, 0);
    QVERIFY(control->visible);
}

void TestAnchor::hiddenByOwnerShownAgain() {
    auto window = std::make_shared<FakeWindow>(5000, 5000);
    auto control = FakeControl::Make(QStringLiteral("Ctl"), 100, 100, 1000, 1000, true);
    CAnchor anchor;
    anchor.Create(window);
    anchor.Add(control, 0);
    control->visible = false;
    window->Grow(15, 15);
    QVERIFY(control->visible);
}

void TestAnchor::minimisedThenRestored() {
    auto window = std::make_shared<FakeWindow>(9000, 6000);
    auto control = FakeControl::Make(QStringLiteral("Ctl"), 100, 100, 1000, 1000);
    CAnchor anchor;
    QSignalSpy resized(&anchor, &CAnchor::FormResize);
    anchor.Create(window);
    anchor.Add(control, 7);

    window->state = IAnchorWindow::Minimized;
    window->Grow(300, 150);
    window->Grow(200, 100);
    QCOMPARE(control->moves, 0);
    QCOMPARE(control->left, 100);
    QCOMPARE(resized.count(), 2);

    window->state = IAnchorWindow::Normal;
    window->Resized();
    QCOMPARE(control->moves, 1);
    QCOMPARE(control->left, 600);
    QCOMPARE(control->top, 350);
    QCOMPARE(resized.count(), 3);
}

void TestAnchor::minimumSizeSnaps() {
    auto window = std::make_shared<FakeWindow>(9000, 6000);
    auto control = FakeControl::Make(QStringLiteral("Ctl"), 100, 100, 1000, 1000);
    CAnchor anchor;
    QSignalSpy resized(&anchor, &CAnchor::FormResize);
    anchor.Create(window);
    anchor.Add(control, 6);
    anchor.setMinWidth(8700);
    anchor.setMinHeight(5000);

    // Narrower than the minimum: the width snaps back, nothing moves yet.
    window->Grow(-1000, 0);
    QCOMPARE(window->width, 8700);
    QCOMPARE(control->moves, 0);
    QCOMPARE(resized.count(), 1);
    // The resize that the snap raises lays out the remaining difference.
    window->Resized();
    QCOMPARE(control->moves, 1);
    QCOMPARE(control->left, 100 + 8700 - (9000 + FakeWindow::FrameWidth));

    window->Grow(0, -3000);
    QCOMPARE(window->height, 5000);
    QCOMPARE(control->moves, 1);
    QCOMPARE(resized.count(), 3);
}

void TestAnchor::comboBoxes() {
    auto window = std::make_shared<FakeWindow>(5000, 5000);
    auto dropDown = FakeControl::Make(QStringLiteral("Combo1"), 100, 100, 1000, 315, true,
                                      QStringLiteral("combobox"));
    auto list = FakeControl::Make(QStringLiteral("Combo2"), 100, 600, 1000, 315, true,
                                  QStringLiteral("ComboBox"));
    list->style = 2;
    auto text = FakeControl::Make(QStringLiteral("Text1"), 100, 1000, 1000, 315);
    CAnchor anchor;
    anchor.Create(window);
    anchor.Add(dropDown, 8);
    anchor.Add(list, 8);
    anchor.Add(text, 8);
    window->Grow(300, 300);

    QVERIFY(!dropDown->movedWithHeight);
    QCOMPARE(dropDown->height, 315);
    QCOMPARE(dropDown->width, 1300);
    QCOMPARE(dropDown->selStart, 0);
    QVERIFY(!list->movedWithHeight);
    QCOMPARE(list->selStart, -1);
    QVERIFY(text->movedWithHeight);
    QCOMPARE(text->height, 615);
}

void TestAnchor::parentWindowRaisesNoFormResize() {
    auto window = std::make_shared<FakeWindow>(5000, 5000);
    auto control = FakeControl::Make(QStringLiteral("Ctl"), 100, 100, 1000, 1000);
    CAnchor anchor;
    QSignalSpy resized(&anchor, &CAnchor::FormResize);
    anchor.Create(window, true);
    anchor.Add(control, 1);
    window->Grow(100, 0);
    QCOMPARE(control->width, 1100);
    QCOMPARE(resized.count(), 0);
}

void TestAnchor::overflowIsAnError() {
    auto window = std::make_shared<FakeWindow>(5000, 5000);
    auto control = FakeControl::Make(QStringLiteral("Ctl"), INT_MAX - 100, 100, 1000, 1000);
    CAnchor anchor;
    QSignalSpy resized(&anchor, &CAnchor::FormResize);
    anchor.Create(window);
    anchor.Add(control, 6);
    window->width += 1000;
    QVERIFY_THROWS_EXCEPTION(CError, anchor.Layout());
    QCOMPARE(control->moves, 0);
    QCOMPARE(resized.count(), 0);
}

QTEST_GUILESS_MAIN(TestAnchor)
#include "tst_anchor.moc"

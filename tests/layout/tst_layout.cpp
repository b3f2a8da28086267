#include "CAnchor.h"
#include "CError.h"
#include "CWidgetAnchorControl.h"
#include "CWidgetAnchorWindow.h"
#include "IAnchorControl.h"
#include "IAnchorWindow.h"

#include <QtTest>
#include <QtWidgets>
#include <climits>
#include <memory>

namespace {

// A control that records what the layout engine does to it.
class FakeControl : public IAnchorControl {
public:
    FakeControl(const QString& name, int left, int top, int width, int height, bool visible)
        : name(name), left(left), top(top), width(width), height(height), visible(visible) {}

    QString Name() const override { return name; }
    QString TypeName() const override { return QStringLiteral("TextBox"); }
    int Left() const override { return left; }
    int Top() const override { return top; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    bool Visible() const override { return visible; }
    void setLeft(int value) override { left = value; }
    void setTop(int value) override { top = value; }
    void setWidth(int value) override {
        if (rejectWidth)
            throw CError(380, QStringLiteral("Invalid property value"));
        width = value;
    }
    void setHeight(int value) override { height = value; }
    void setVisible(bool value) override { visible = value; }
    void Move(int l, int t, int w, std::optional<int> h) override {
        ++moves;
        left = l;
        top = t;
        width = w;
        height = h.value_or(height);
    }
    void BringToFront() override { ++raised; }
    void setMouseHandler(MouseHandler handler) override { mouse = std::move(handler); }

    QRect Rect() const { return QRect(left, top, width, height); }

    QString name;
    int left, top, width, height;
    bool visible;
    int moves = 0, raised = 0;
    bool rejectWidth = false;
    MouseHandler mouse;
};

std::shared_ptr<FakeControl> Make(const QString& name, int left, int top, int width, int height,
                                  bool visible = true) {
    return std::make_shared<FakeControl>(name, left, top, width, height, visible);
}

// A window of 9000 x 6000 twips inside a fixed frame, resized by the test; the
// engine's own size changes only store the new value.
class FakeWindow : public IAnchorWindow {
public:
    static constexpr int FrameWidth = 240, FrameHeight = 690;
    QString Name() const override { return QStringLiteral("FormMain"); }
    int Left() const override { return 1200; }
    int Top() const override { return 900; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    void setWidth(int value) override { width = value; }
    void setHeight(int value) override { height = value; }
    int ScaleWidth() const override { return width - FrameWidth; }
    int ScaleHeight() const override { return height - FrameHeight; }
    int WindowState() const override { return state; }
    void setResizeHandler(ResizeHandler h) override { handler = std::move(h); }

    // Grows the inner area and raises the resize event.
    void Grow(int dx, int dy) {
        width += dx;
        height += dy;
        handler();
    }

    int width = 9000 + FrameWidth, height = 6000 + FrameHeight;
    int state = Normal;
    ResizeHandler handler;
};

// One control anchored in the window.
struct Rig {
    std::shared_ptr<FakeWindow> window = std::make_shared<FakeWindow>();
    std::shared_ptr<FakeControl> control;
    CAnchor anchor;
    QSignalSpy resized{&anchor, &CAnchor::FormResize};
    explicit Rig(int alignments, int left = 100, int top = 100, int width = 1000, int height = 1000,
                 bool visible = true)
        : control(Make("Ctl", left, top, width, height, visible)) {
        anchor.Create(window);
        anchor.Add(control, alignments);
    }
};

// A tree and a list either side of the vertical splitter bar, the list
// ending at 8760, as in the main window.
struct Panes {
    std::shared_ptr<FakeWindow> window = std::make_shared<FakeWindow>();
    std::shared_ptr<FakeControl> tree = Make("Tree", 120, 795, 2535, 5055);
    std::shared_ptr<FakeControl> list = Make("List", 2760, 795, 6000, 5055);
    std::shared_ptr<FakeControl> image = Make("imgSplitter", 2655, 795, 105, 5055);
    std::shared_ptr<FakeControl> bar = Make("picSplitter", 0, 0, 10, 10, false);
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

template <typename T> T* Child(QWidget* parent, const char* name, const QRect& geometry) {
    auto* w = new T(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    return w;
}

} // namespace

// The resize engine on stand-ins first, then on real widgets.
class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void presets_data() {
        QTest::addColumn<int>("alignments");
        QTest::addColumn<QRect>("expected"); // left, top, width, height deltas for 300 x 200 growth
        QTest::newRow("0 top left") << 0 << QRect(0, 0, 0, 0);
        QTest::newRow("2 along the bottom") << 2 << QRect(0, 200, 300, 0);
        QTest::newRow("3 down the left") << 3 << QRect(0, 0, 0, 200);
        QTest::newRow("6 top right") << 6 << QRect(300, 0, 0, 0);
        QTest::newRow("8 both ways") << 8 << QRect(0, 0, 300, 200);
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

    void smallControlsHidden() {
        for (const bool horizontal : {true, false}) {
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
    }

    void visibilityKeptByTheOwner() {
        // Hidden when added: moved but left hidden, until once shrunk out of sight.
        Rig rig(8, 100, 100, 1000, 1000, false);
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
        Rig rig(6);
        rig.window->state = IAnchorWindow::Minimized;
        rig.window->Grow(300, 150);
        rig.window->Grow(200, 100);
        QCOMPARE(rig.control->moves, 0);
        rig.window->state = IAnchorWindow::Normal;
        rig.window->Grow(0, 0);
        QCOMPARE(rig.control->moves, 1);
        QCOMPARE(rig.control->Rect(), QRect(600, 100, 1000, 1000));
        QCOMPARE(rig.resized.count(), 3);
    }

    void overflowIsAnError() {
        Rig rig(6, INT_MAX - 100);
        rig.window->width += 1000;
        QVERIFY_THROWS_EXCEPTION(CError, rig.anchor.Layout());
        QCOMPARE(rig.control->moves, 0);
        QCOMPARE(rig.resized.count(), 0);
    }

    // The bar follows the pointer's x (from the bar's left edge) within the
    // limits and moves the panes on the release, a grip short of where it was
    // let go. -1: no press, no move.
    void drag_data() {
        QTest::addColumn<int>("pressX");
        QTest::addColumn<int>("moveX");
        QTest::addColumn<int>("barLeft");
        QTest::newRow("release without move") << 50 << -1 << 2625;
        QTest::newRow("grip dragged along the bar") << 30 << 30 << 2655;
        QTest::newRow("dragged right") << 30 << 530 << 3155;
        QTest::newRow("release without press") << -1 << 500 << 2655;
        QTest::newRow("far left") << 30 << -5000 << 240 - 30;
        QTest::newRow("just right of the left limit") << 30 << 241 - 2655 << 241 - 30;
        QTest::newRow("far right") << 30 << 20000 << 9000 - 360 - 30;
    }
    void drag() {
        QFETCH(int, pressX);
        QFETCH(int, moveX);
        QFETCH(int, barLeft);
        Panes p;
        if (pressX >= 0) {
            p.image->mouse(IAnchorControl::MouseAction::Press, 1, pressX, 100);
            QVERIFY(p.bar->visible);
            QCOMPARE(p.bar->raised, 1);
            QCOMPARE(p.bar->Rect(), p.image->Rect());
        }
        if (moveX != -1) {
            p.image->mouse(IAnchorControl::MouseAction::Move, 1, moveX, 400);
            // Only the drag bar follows the pointer until the release.
            QCOMPARE(p.image->left, 2655);
        }
        p.image->mouse(IAnchorControl::MouseAction::Release, 1, moveX, 400);
        QVERIFY(!p.bar->visible);
        p.VerifyPanes(barLeft);
        QCOMPARE(p.left.count(), pressX >= 0 ? 1 : 0);
        if (pressX >= 0)
            QCOMPARE(p.left.at(0).at(0).toFloat(), float(barLeft));
        // The engine learnt the new geometry: a window resize starts from it.
        p.window->Grow(100, 0);
        QCOMPARE(p.list->width, 8860 - barLeft - 105);
        QCOMPARE(p.tree->width, barLeft - 120);
    }

    void refreshMovesOnlyTheFarSide() {
        Panes p;
        auto farSide = Make("A", 4000, 1000, 1000, 1000);
        auto topRight = Make("B", 7000, 2000, 1000, 1000);
        auto nearSide = Make("D", 120, 1000, 1000, 1000);
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
        FakeControl stranger("imgOther", 0, 0, 10, 10, true);
        QVERIFY_THROWS_EXCEPTION(CError, p.anchor.SplitterRefresh(stranger, 100));
    }

    void failingStatementsSkipped() {
        Panes p;
        p.tree->rejectWidth = true;
        p.list->rejectWidth = true;
        p.anchor.SplitterRefresh(*p.image, 3155);
        QCOMPARE((QList<int>{p.image->left, p.tree->width}), (QList<int>{3155, 2535}));
        QCOMPARE(p.list->Rect(), QRect(3260, 795, 6000, 5055));
    }

    void conversions() {
        QWidget parent;
        auto* edit = Child<QLineEdit>(&parent, "Edit", QRect(8, 53, 169, 20));
        auto control = CWidgetAnchorControl::Wrap(edit);
        QCOMPARE(control->Width(), 2535);
        QVERIFY_THROWS_EXCEPTION(CError, control->setWidth(-15));
        // The window may go before the engine: a late call reports the missing
        // control instead of touching freed memory.
        delete edit;
        QVERIFY_THROWS_EXCEPTION(CError, control->Left());
    }

    void realWindowResize() {
        // The main window's design at 15 twips a pixel: a 9165 x 6165 twip client area.
        QWidget window;
        window.setObjectName("FormMain");
        window.resize(611, 411);
        auto* search = Child<QLineEdit>(&window, "TextSearch", QRect(416, 10, 193, 22));
        auto* tab = Child<QTabWidget>(&window, "TabStripWork", QRect(184, 53, 425, 337));
        auto* tree = Child<QTreeWidget>(&window, "TreeViewTag", QRect(8, 53, 169, 337));
        auto* status = Child<QLineEdit>(&window, "TextStatusBar", QRect(8, 397, 600, 16));
        auto* tiny = Child<QFrame>(&window, "Tiny", QRect(0, 60, 5, 40));

        // Bound while loading, before the window is on screen.
        CAnchor anchor;
        anchor.Create(CWidgetAnchorWindow::Wrap(&window));
        for (const auto& [w, a] :
             {std::pair<QWidget*, int>{search, 6}, {tab, 8}, {tree, 3}, {status, 2}, {tiny, 1}})
            anchor.Add(CWidgetAnchorControl::Wrap(w), a);
        anchor.setMinWidth(8700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // 300 twips wider, 150 twips lower.
        window.resize(631, 421);
        QTRY_COMPARE(search->geometry(), QRect(436, 10, 193, 22));
        QCOMPARE((QList<QRect>{tab->geometry(), tree->geometry(), status->geometry()}),
                 (QList<QRect>{{184, 53, 445, 347}, {8, 53, 169, 347}, {8, 407, 620, 16}}));
        QCOMPARE(tiny->width(), 25);

        // Too narrow: the window snaps back to the minimum and everything follows it.
        window.resize(500, 421);
        QTRY_COMPARE(window.width(), 580);
        QTRY_COMPARE(search->x(), 580 - 611 + 416);
        // The strip along the top is down to 60 twips and no longer shown.
        QVERIFY(tiny->isHidden());
        window.resize(640, 421);
        QTRY_COMPARE(search->x(), 640 - 611 + 416);
        QVERIFY(!tiny->isHidden());
        QCOMPARE(tiny->width(), 5 + 640 - 611);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    TestLayout test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_layout.moc"

#include "CAnchor.h"
#include "CError.h"
#include "CWidgetAnchorControl.h"
#include "CWidgetAnchorWindow.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

namespace {

template <typename T> T* Child(QWidget* parent, const char* name, const QRect& geometry) {
    auto* w = new T(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    return w;
}

void SendMouse(QWidget* target, QEvent::Type type, const QPointF& pos) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, pos, target->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

} // namespace

class TestWidgetAnchor : public QObject {
    Q_OBJECT
private slots:
    void conversions() {
        QWidget parent;
        auto* edit = Child<QLineEdit>(&parent, "Edit", QRect(8, 53, 169, 20));
        auto control = CWidgetAnchorControl::Wrap(edit);
        QCOMPARE(control->Width(), 2535);
        QVERIFY_THROWS_EXCEPTION(CError, control->setWidth(-15));
        // A fixed-list combo box must not be treated as an editable one.
        auto* combo = Child<QComboBox>(&parent, "Combo", QRect(0, 0, 100, 20));
        QCOMPARE(CWidgetAnchorControl::Wrap(combo)->Style(), 2);
        combo->setEditable(true);
        QCOMPARE(CWidgetAnchorControl::Wrap(combo)->Style(), 0);
        delete edit;
        QVERIFY_THROWS_EXCEPTION(CError, control->Left());
    }

    void realWindowResize() {
        // The main window's design at 15 twips a pixel: a 9165 x 6165 twip client area.
        QWidget window;
        window.setObjectName(QStringLiteral("FormMain"));
        window.resize(611, 411);
        auto* folder = Child<QFrame>(&window, "ToolbarFolderOpen", QRect(328, 2, 81, 45));
        auto* search = Child<QComboBox>(&window, "TextSearch", QRect(416, 10, 193, 22));
        search->setEditable(true);
        auto* tab = Child<QTabWidget>(&window, "TabStripWork", QRect(184, 53, 425, 337));
        auto* tree = Child<QTreeWidget>(&window, "TreeViewTag", QRect(8, 53, 169, 337));
        auto* status = Child<QLineEdit>(&window, "TextStatusBar", QRect(8, 397, 600, 16));
        auto* tiny = Child<QFrame>(&window, "Tiny", QRect(0, 60, 5, 40));
        const int searchHeight = search->height();

        // Bound while loading, before the window is on screen.
        CAnchor anchor;
        anchor.Create(CWidgetAnchorWindow::Wrap(&window));
        anchor.Add(CWidgetAnchorControl::Wrap(folder), 6);
        anchor.Add(CWidgetAnchorControl::Wrap(search), 6);
        anchor.Add(CWidgetAnchorControl::Wrap(tab), 8);
        anchor.Add(CWidgetAnchorControl::Wrap(tree), 3);
        anchor.Add(CWidgetAnchorControl::Wrap(status), 2);
        anchor.Add(CWidgetAnchorControl::Wrap(tiny), 1);
        anchor.setMinWidth(8700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        search->setEditText(QStringLiteral("report"));
        search->lineEdit()->selectAll();

        // 300 twips wider, 150 twips lower.
        window.resize(631, 421);
        QTRY_COMPARE(folder->geometry(), QRect(348, 2, 81, 45));
        QCOMPARE(search->x(), 436);
        QCOMPARE(search->height(), searchHeight);
        QVERIFY(!search->lineEdit()->hasSelectedText());
        QCOMPARE(tab->geometry(), QRect(184, 53, 445, 347));
        QCOMPARE(tree->geometry(), QRect(8, 53, 169, 347));
        QCOMPARE(status->geometry(), QRect(8, 407, 620, 16));
        QCOMPARE(tiny->width(), 25);

        // Too narrow: the window snaps back to the minimum and everything follows it.
        window.resize(500, 421);
        QTRY_COMPARE(window.width(), 580);
        QTRY_COMPARE(folder->x(), 580 - 611 + 328);
        // The strip along the top is down to 60 twips and no longer shown.
        QVERIFY(tiny->isHidden());
        window.resize(640, 421);
        QTRY_COMPARE(folder->x(), 640 - 611 + 328);
        QVERIFY(!tiny->isHidden());
        QCOMPARE(tiny->width(), 5 + 640 - 611);
    }

    void realSplitterDrag() {
        QWidget window;
        window.setObjectName(QStringLiteral("FormMain"));
        window.resize(611, 411);
        auto* tree = Child<QTreeWidget>(&window, "TreeViewTag", QRect(8, 53, 169, 337));
        auto* image = Child<QFrame>(&window, "imgSplitter", QRect(177, 53, 7, 337));
        auto* bar = Child<QFrame>(&window, "picSplitter", QRect(0, 53, 7, 337));
        bar->hide();
        auto* list = Child<QTreeWidget>(&window, "ListView1", QRect(184, 53, 425, 337));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        CAnchor anchor;
        QSignalSpy left(&anchor, &CAnchor::RepositionLeft);
        anchor.Create(CWidgetAnchorWindow::Wrap(&window));
        anchor.Add(CWidgetAnchorControl::Wrap(tree), 3, 2);
        anchor.Add(CWidgetAnchorControl::Wrap(list), 8, 2);
        anchor.AddSplitter(CWidgetAnchorControl::Wrap(image), CWidgetAnchorControl::Wrap(bar), 1);

        // Grip the bar 2 pixels in and let go 34 pixels further right.
        SendMouse(image, QEvent::MouseButtonPress, QPointF(2, 10));
        SendMouse(image, QEvent::MouseMove, QPointF(36, 10));
        QCOMPARE(bar->x(), 213);
        SendMouse(image, QEvent::MouseButtonRelease, QPointF(36, 10));

        QCOMPARE(image->x(), 211);
        QCOMPARE(tree->width(), 203);
        QCOMPARE(list->geometry(), QRect(218, 53, 391, 337));
        QCOMPARE(left.at(0).at(0).toFloat(), 211.0f * 15);
    }

    void windowGoneBeforeEngine() {
        CAnchor anchor;
        auto* window = new QWidget;
        window->setObjectName(QStringLiteral("FormMain"));
        auto* image = Child<QFrame>(window, "imgSplitter", QRect(100, 0, 7, 300));
        auto* bar = Child<QFrame>(window, "picSplitter", QRect(100, 0, 7, 300));
        anchor.Create(CWidgetAnchorWindow::Wrap(window));
        anchor.AddSplitter(CWidgetAnchorControl::Wrap(image), CWidgetAnchorControl::Wrap(bar), 1);
        delete window;
        // A late call reports the missing control instead of touching freed memory.
        QVERIFY_THROWS_EXCEPTION(CError, anchor.setSplitterLeft(200));
    }
};

QTEST_MAIN(TestWidgetAnchor)
#include "tst_widgetanchor.moc"

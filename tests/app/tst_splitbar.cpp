#include "support_app.h"

#include "AM_Vollo.h"
#include "CListViewControl.h"
#include "CSplitBar.h"
#include "CVolloDB.h"
#include "CWidgetAnchorControl.h"
#include "FormMain.h"

#include <QtTest>
#include <QtWidgets>

using AM_Vollo::gRepository;

namespace {

// A press two pixels into the bar, a move by dx, a release where it moved.
void Drag(QWidget* bar, int dx) {
    const QPoint from(2, 20);
    const QPoint to = from + QPoint(dx, 0);
    const auto send = [bar](QEvent::Type type, QPoint at, Qt::MouseButton button,
                            Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, bar->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

} // namespace

// The bar between the tree and the lists: dragged, limited, remembered; and
// the name column that fills what the other columns leave.
class TestSplitBar : public QObject {
    Q_OBJECT
    FormMain* m_form = nullptr;

    void Start() {
        AM_Vollo::OpenRepository();
        gRepository->RunQuery(QStringLiteral("setFirstStart"));
        m_form = AM_Vollo::ShowMainForm();
    }
    void Stop() {
        if (m_form != nullptr)
            m_form->close();
        delete m_form;
        m_form = AM_Vollo::gMainForm = nullptr;
        AM_Vollo::ReleaseRepository();
    }
    template <typename T> T* Find(const char* name) {
        return m_form->findChild<T*>(QString::fromLatin1(name));
    }
    QWidget* Bar() { return Find<QWidget>("SplitBar"); }
    QWidget* Tree() { return Find<QWidget>("TreeViewTag"); }
    CListViewControl* List() { return Find<CListViewControl>("ListView1"); }
    // The name column ends where the list's visible width ends.
    void VerifyNameFills() {
        QHeaderView* header = List()->header();
        QTRY_COMPARE(header->length(), List()->viewport()->width());
        QVERIFY(header->sectionSize(0) > header->sectionSize(1));
    }

private slots:
    void init() { AppTest::ResetAll(); }
    void cleanup() { Stop(); }

    void drag_data() {
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("expected"); // the bar's left in twips; -1: dx moved it freely
        QTest::newRow("right") << 120 << -1;
        QTest::newRow("left") << -60 << -1;
        // The engine stops the drag at a limit and places the bar a grip short of it.
        QTest::newRow("past the left limit") << -400 << CSplitBar::LimitLeft - CSplitBar::Grip;
        QTest::newRow("past the right limit")
            << 2000 << 1100 * 15 - CSplitBar::LimitRight - CSplitBar::Grip;
    }
    void drag() {
        QFETCH(int, dx);
        QFETCH(int, expected);
        Start();
        m_form->resize(1100, 700);
        const int bar = Bar()->x();
        const int tree = Tree()->width();
        const QRect list = List()->geometry();
        Drag(Bar(), dx);
        const int moved = expected < 0 ? dx : CWidgetAnchorControl::ToPixels(expected) - bar;
        QCOMPARE(Bar()->x(), bar + moved);
        QCOMPARE(Tree()->width(), tree + moved);
        QCOMPARE(List()->x(), list.x() + moved);
        QCOMPARE(List()->width(), list.width() - moved);
        VerifyNameFills();

        // Kept across a restart, with the window's size.
        Stop();
        Start();
        QCOMPARE(Bar()->x(), bar + moved);
        QCOMPARE(Tree()->width(), tree + moved);
        VerifyNameFills();
    }

    // A window narrowed after the bar went right still leaves the lists their room.
    void narrowingKeepsTheList() {
        Start();
        const int least = m_form->minimumWidth();
        m_form->resize(1400, 700);
        Drag(Bar(), 800);
        QVERIFY(m_form->minimumWidth() > least);
        m_form->resize(1, 700);
        QCOMPARE(m_form->width(), m_form->minimumWidth());
        QVERIFY(List()->isVisible());
        QVERIFY(List()->width() * 15 >= CSplitBar::LimitRight - 300);
        VerifyNameFills();
        // Back to the left, the window may narrow again.
        Drag(Bar(), -800);
        QCOMPARE(m_form->minimumWidth(), least);
    }
};

QTEST_MAIN(TestSplitBar)
#include "tst_splitbar.moc"

#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

#include "CError.h"
#include "CTabViewer.h"

// The tab strip over stacked lists: tab numbering, which list is shown and in
// front after a user's click or a selection from code, and the keys that stay
// taken after Delete. Plain widgets stand in for the lists.
class TestTabViewer : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void addCountsTabsAndHidesLists();
    void selectTabShowsAndReports_data();
    void selectTabShowsAndReports();
    void selectingTheSelectedTabStillShowsIt();
    void userClickShowsTheList();
    void earlierListsStayShownBehind();
    void deletedKeyCannotBeAddedAgain();
    void deletingTheSelectedTabShowsItsNeighbour();
    void unknownKeysRaiseClearErrors_data();
    void unknownKeysRaiseClearErrors();

private:
    void addAll() {
        QCOMPARE(m_tabs->Add(m_lists[0], QStringLiteral("H0"), QStringLiteral("すべて")), 1);
        QCOMPARE(m_tabs->Add(m_lists[1], QStringLiteral("H1"), QStringLiteral("仕事")), 2);
        QCOMPARE(m_tabs->Add(m_lists[2], QStringLiteral("H2"), QStringLiteral("趣味")), 3);
    }
    bool inFront(QWidget* list) const {
        // raise() puts a widget last among its siblings, which paints last.
        QWidget* top = nullptr;
        for (QObject* child : m_form->children()) {
            if (auto* w = qobject_cast<QWidget*>(child); w && m_lists.contains(w))
                top = w;
        }
        return top == list;
    }

    QWidget* m_form = nullptr;
    QTabBar* m_bar = nullptr;
    QList<QWidget*> m_lists;
    CTabViewer* m_tabs = nullptr;
};

void TestTabViewer::init() {
    m_form = new QWidget;
    m_form->resize(400, 300);
    m_bar = new QTabBar(m_form);
    m_bar->setGeometry(0, 0, 400, 30);
    m_lists.clear();
    for (int i = 0; i < 3; ++i) {
        auto* list = new QWidget(m_form);
        list->setObjectName(QStringLiteral("ListView%1").arg(i + 1));
        list->setGeometry(0, 30, 400, 270);
        m_lists.append(list);
    }
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_tabs = new CTabViewer;
    m_tabs->Create(m_form, m_bar);
}

void TestTabViewer::cleanup() {
    delete m_tabs;
    delete m_form;
}

void TestTabViewer::addCountsTabsAndHidesLists() {
    QSignalSpy click(m_tabs, &CTabViewer::OnClick);
    addAll();
    QCOMPARE(m_bar->count(), 3);
    QCOMPARE(m_bar->tabText(2), QStringLiteral("趣味"));
    for (QWidget* list : m_lists)
        QVERIFY(!list->isVisible());
    // Adding is not choosing: the first tab is selected by the strip, but
    // nothing is shown or reported until a tab is chosen.
    QCOMPARE(click.count(), 0);
    QCOMPARE(m_tabs->SelectedKey(), QStringLiteral("H0"));
    QCOMPARE(m_tabs->SelectedListView(), nullptr);
}

void TestTabViewer::selectTabShowsAndReports_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("list");
    QTest::newRow("first") << "H0" << 0;
    QTest::newRow("middle") << "H1" << 1;
    QTest::newRow("last") << "H2" << 2;
}

void TestTabViewer::selectTabShowsAndReports() {
    QFETCH(QString, key);
    QFETCH(int, list);
    addAll();
    QSignalSpy click(m_tabs, &CTabViewer::OnClick);
    m_tabs->SelectTab(key);
    QCOMPARE(click.count(), 1);
    QCOMPARE(click.first().first().toString(), key);
    QCOMPARE(m_tabs->SelectedKey(), key);
    QCOMPARE(m_bar->currentIndex(), list);
    QCOMPARE(m_tabs->SelectedListView(), m_lists[list]);
    QVERIFY(m_lists[list]->isVisible());
    QVERIFY(inFront(m_lists[list]));
}

void TestTabViewer::selectingTheSelectedTabStillShowsIt() {
    // The window restores the tab of the last session; when that is the tab
    // the strip selected by itself, the strip reports no change.
    addAll();
    QCOMPARE(m_bar->currentIndex(), 0);
    QSignalSpy click(m_tabs, &CTabViewer::OnClick);
    m_tabs->SelectTab(QStringLiteral("H0"));
    QCOMPARE(click.count(), 1);
    QCOMPARE(click.first().first().toString(), QStringLiteral("H0"));
    QCOMPARE(m_tabs->SelectedListView(), m_lists[0]);
    QVERIFY(m_lists[0]->isVisible());
    QVERIFY(inFront(m_lists[0]));

    // Again, once shown: still one report per selection.
    m_tabs->SelectTab(QStringLiteral("H0"));
    QCOMPARE(click.count(), 2);
}

void TestTabViewer::userClickShowsTheList() {
    addAll();
    QSignalSpy click(m_tabs, &CTabViewer::OnClick);
    QTest::mouseClick(m_bar, Qt::LeftButton, Qt::NoModifier, m_bar->tabRect(2).center());
    QCOMPARE(click.count(), 1);
    QCOMPARE(click.first().first().toString(), QStringLiteral("H2"));
    QCOMPARE(m_tabs->SelectedListView(), m_lists[2]);
    QVERIFY(m_lists[2]->isVisible());
    QVERIFY(inFront(m_lists[2]));
}

void TestTabViewer::earlierListsStayShownBehind() {
    addAll();
    m_tabs->SelectTab(QStringLiteral("H1"));
    m_tabs->SelectTab(QStringLiteral("H2"));
    QVERIFY(m_lists[1]->isVisible());
    QVERIFY(inFront(m_lists[2]));
    m_tabs->SelectTab(QStringLiteral("H1"));
    QVERIFY(inFront(m_lists[1]));
    QVERIFY(!m_lists[0]->isVisible()); // never chosen
}

void TestTabViewer::deletedKeyCannotBeAddedAgain() {
    addAll();
    m_tabs->Delete(QStringLiteral("H1"));
    QCOMPARE(m_bar->count(), 2);
    QCOMPARE(m_tabs->SelectedKey(), QStringLiteral("H0"));
    try {
        m_tabs->Add(m_lists[1], QStringLiteral("H1"), QStringLiteral("again"));
        QFAIL("adding a deleted key again succeeded");
    } catch (const CError& e) {
        QVERIFY2(e.Text().contains(QStringLiteral("\"H1\"")), qPrintable(e.Text()));
    }
    QCOMPARE(m_bar->count(), 2);
    // A new key still works and is counted.
    QCOMPARE(m_tabs->Add(m_lists[1], QStringLiteral("H7"), QStringLiteral("new")), 3);
}

void TestTabViewer::deletingTheSelectedTabShowsItsNeighbour() {
    addAll();
    m_tabs->SelectTab(QStringLiteral("H2"));
    QSignalSpy click(m_tabs, &CTabViewer::OnClick);
    m_tabs->Delete(QStringLiteral("H2"));
    QCOMPARE(click.count(), 1);
    const QString key = m_tabs->SelectedKey();
    QCOMPARE(click.first().first().toString(), key);
    QWidget* shown = m_lists[key == QLatin1String("H1") ? 1 : 0];
    QCOMPARE(m_tabs->SelectedListView(), shown);
    QVERIFY(inFront(shown));

    // Deleting a tab that is not selected changes nothing shown.
    m_tabs->Delete(key == QLatin1String("H1") ? QStringLiteral("H0") : QStringLiteral("H1"));
    QCOMPARE(click.count(), 1);
    QCOMPARE(m_tabs->SelectedListView(), shown);
}

void TestTabViewer::unknownKeysRaiseClearErrors_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("key");
    QTest::newRow("select a missing tab") << "select"
                                          << "H9";
    QTest::newRow("select a deleted tab") << "select"
                                          << "H1";
    QTest::newRow("delete a missing tab") << "delete"
                                          << "H9";
    QTest::newRow("delete a deleted tab") << "delete"
                                          << "H1";
    QTest::newRow("add before create") << "unbound"
                                       << "H5";
}

void TestTabViewer::unknownKeysRaiseClearErrors() {
    QFETCH(QString, operation);
    QFETCH(QString, key);
    addAll();
    m_tabs->Delete(QStringLiteral("H1"));
    m_tabs->SelectTab(QStringLiteral("H2"));
    CTabViewer unbound;
    try {
        if (operation == QLatin1String("select"))
            m_tabs->SelectTab(key);
        else if (operation == QLatin1String("delete"))
            m_tabs->Delete(key);
        else
            unbound.Add(m_lists[0], key, QStringLiteral("x"));
        QFAIL("no error was raised");
    } catch (const CError& e) {
        QVERIFY(!e.Text().isEmpty());
        if (operation != QLatin1String("unbound"))
            QVERIFY2(e.Text().contains(QLatin1Char('"') + key + QLatin1Char('"')),
                     qPrintable(e.Text()));
    }
    QCOMPARE(m_tabs->SelectedKey(), QStringLiteral("H2"));
    QCOMPARE(m_tabs->SelectedListView(), m_lists[2]);
}

QTEST_MAIN(TestTabViewer)
#include "tst_tabviewer.moc"

#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QUrl>
#include <QVBoxLayout>

#include "CError.h"
#include "CFileListModel.h"
#include "CListViewControl.h"
#include "CMsghook.h"

#include "CFileListView.h"
#include "CFileListViews.h"
#include "CTabViewer.h"

// The keyed collection of file lists: which list's clicks and drops reach the
// owner before and after SelectItem, the key a drop carries, lookups, and the
// tab strip and collection working together as the main window wires them.
class TestFileListViews : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void forwarding_data();
    void forwarding();
    void addWithoutKeyIsReachableByPositionOnly();
    void iterationFollowsTheOrderAdded();
    void selectItemClearsTheSelection();
    void unguardedLookupsRaiseClearErrors_data();
    void unguardedLookupsRaiseClearErrors();
    void duplicateKeyBindsNothing();
    void removeStopsForwardingOfThatList();
    void removeFromOwnDropHandlerIsSafe();
    void restoredTabIsShownAndSelected_data();
    void restoredTabIsShownAndSelected();

private:
    void addAll() {
        m_views->Add(m_lists[0], m_hooks[0], QStringLiteral("H0"));
        m_views->Add(m_lists[1], m_hooks[1], QStringLiteral("H1"));
        m_views->Add(m_lists[2], m_hooks[2], QStringLiteral("H2"));
    }
    void click(int list) {
        CListViewControl* view = m_lists[list];
        view->setVisible(true);
        const QRect row = view->visualRect(view->model()->index(0, 0));
        QVERIFY(row.isValid());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    }
    void drop(int list, QMimeData* data) {
        QWidget* viewport = m_lists[list]->viewport();
        const QPoint pos(20, 20);
        QDragEnterEvent enter(pos, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(pos, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        QDropEvent drop(QPointF(pos), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
    }
    static QMimeData* files() {
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/-a 'b' \"c\" %d 日本.doc"))});
        return data;
    }

    QWidget* m_window = nullptr;
    QList<CListViewControl*> m_lists;
    QList<CMsghook*> m_hooks;
    CFileListViews* m_views = nullptr;
};

void TestFileListViews::init() {
    m_window = new QWidget;
    m_window->resize(400, 600);
    auto* layout = new QVBoxLayout(m_window);
    m_lists.clear();
    m_hooks.clear();
    for (int i = 0; i < 3; ++i) {
        auto* list = new CListViewControl(m_window);
        list->setObjectName(QStringLiteral("ListView%1").arg(i + 1));
        list->AddColumnHeader(QStringLiteral("名前"), 3000);
        list->AddListItem(QStringLiteral("row of list %1").arg(i + 1), 0);
        list->Model()->Flush();
        layout->addWidget(list);
        m_lists.append(list);
        m_hooks.append(new CMsghook(m_window));
    }
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_views = new CFileListViews;
    m_views->Create();
}

void TestFileListViews::cleanup() {
    delete m_views;
    delete m_window;
}

void TestFileListViews::forwarding_data() {
    QTest::addColumn<QStringList>("selections"); // SelectItem calls, in order
    QTest::addColumn<int>("source");             // list clicked and dropped on
    QTest::addColumn<bool>("forwarded");
    QTest::addColumn<QString>("dropKey");

    QTest::newRow("before any choice, the list added last") << QStringList() << 2 << true << "";
    QTest::newRow("before any choice, not the first") << QStringList() << 0 << false << "";
    QTest::newRow("chosen list") << QStringList{"H0"} << 0 << true << "H0";
    QTest::newRow("last added, no longer chosen") << QStringList{"H0"} << 2 << false << "";
    QTest::newRow("choice moved on") << QStringList{"H1", "H0"} << 1 << false << "";
    QTest::newRow("choice moved back") << QStringList{"H1", "H0", "H1"} << 1 << true << "H1";
    QTest::newRow("same choice twice") << QStringList{"H2", "H2"} << 2 << true << "H2";
}

void TestFileListViews::forwarding() {
    QFETCH(QStringList, selections);
    QFETCH(int, source);
    QFETCH(bool, forwarded);
    QFETCH(QString, dropKey);

    addAll();
    for (const QString& key : selections)
        m_views->SelectItem(key);
    QSignalSpy clicks(m_views, &CFileListViews::OnItemClick);
    QSignalSpy drops(m_views, &CFileListViews::OnDrop);

    click(source);
    QScopedPointer<QMimeData> data(files());
    drop(source, data.get());

    QCOMPARE(clicks.count(), forwarded ? 1 : 0);
    QCOMPARE(drops.count(), forwarded ? 1 : 0);
    if (forwarded) {
        const CListItem item = clicks.first().first().value<CListItem>();
        QCOMPARE(item.ListView(), m_lists[source]);
        QCOMPARE(item.Index(), 1);
        QCOMPARE(drops.first().at(0).toString(), dropKey);
        QCOMPARE(drops.first().at(1).value<const QMimeData*>(), data.get());
    }
}

void TestFileListViews::addWithoutKeyIsReachableByPositionOnly() {
    CFileListView* keyed = m_views->Add(m_lists[0], m_hooks[0], QStringLiteral("H0"));
    CFileListView* loose = m_views->Add(m_lists[1], m_hooks[1]);
    QCOMPARE(m_views->Count(), 2);
    QCOMPARE(m_views->Item(1), keyed);
    QCOMPARE(m_views->Item(2), loose);
    QCOMPARE(m_views->Item(QStringLiteral("H0")), keyed);
    QCOMPARE(loose->ListView(), m_lists[1]);
    QVERIFY_THROWS_EXCEPTION(CError, m_views->Item(QString()));
    // The list without key forwards, being the one added last.
    QCOMPARE(m_views->FileListView(), loose);
}

void TestFileListViews::iterationFollowsTheOrderAdded() {
    addAll();
    QList<CFileListView*> seen;
    for (CFileListView* list : *m_views)
        seen.append(list);
    QCOMPARE(seen.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(seen[i], m_views->Item(i + 1));
        QCOMPARE(seen[i]->ListView(), m_lists[i]);
    }
    QCOMPARE(m_views->Items(), seen);
}

void TestFileListViews::selectItemClearsTheSelection() {
    addAll();
    m_lists[1]->setSelectedItem(m_lists[1]->ListItem(1));
    m_lists[2]->setSelectedItem(m_lists[2]->ListItem(1));
    QVERIFY(!m_lists[1]->SelectedItem().IsEmpty());
    QCOMPARE(m_views->SelectItem(QStringLiteral("H1")), m_views->Item(2));
    QVERIFY(m_lists[1]->SelectedItem().IsEmpty());
    QVERIFY(!m_lists[2]->SelectedItem().IsEmpty()); // other lists untouched
    QCOMPARE(m_views->SelectedKey(), QStringLiteral("H1"));
}

void TestFileListViews::unguardedLookupsRaiseClearErrors_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("named"); // what the message must name
    QTest::newRow("item by missing key") << "item"
                                         << "\"H9\"";
    QTest::newRow("item at position 0") << "item0"
                                        << "position 0";
    QTest::newRow("item past the end") << "item4"
                                       << "position 4";
    QTest::newRow("remove missing key") << "remove"
                                        << "\"H9\"";
    QTest::newRow("remove past the end") << "remove4"
                                         << "position 4";
    QTest::newRow("select missing key") << "select"
                                        << "\"H9\"";
    QTest::newRow("add of a key in use") << "add"
                                         << "\"H1\"";
    QTest::newRow("add before create") << "unbound"
                                       << "Create";
}

void TestFileListViews::unguardedLookupsRaiseClearErrors() {
    QFETCH(QString, operation);
    QFETCH(QString, named);
    addAll();
    CFileListViews unbound;
    const QString missing = QStringLiteral("H9");
    try {
        if (operation == QLatin1String("item"))
            m_views->Item(missing);
        else if (operation == QLatin1String("item0"))
            m_views->Item(0);
        else if (operation == QLatin1String("item4"))
            m_views->Item(4);
        else if (operation == QLatin1String("remove"))
            m_views->Remove(missing);
        else if (operation == QLatin1String("remove4"))
            m_views->Remove(4);
        else if (operation == QLatin1String("select"))
            m_views->SelectItem(missing);
        else if (operation == QLatin1String("add"))
            m_views->Add(m_lists[0], m_hooks[0], QStringLiteral("H1"));
        else
            unbound.Add(m_lists[0], m_hooks[0], QStringLiteral("H0"));
        QFAIL("no error was raised");
    } catch (const CError& e) {
        QVERIFY2(e.Text().contains(named), qPrintable(e.Text()));
    }
    QCOMPARE(m_views->Count(), 3);
    QCOMPARE(m_views->FileListView(), m_views->Item(3));
}

void TestFileListViews::duplicateKeyBindsNothing() {
    m_views->Add(m_lists[0], m_hooks[0], QStringLiteral("H0"));
    QVERIFY_THROWS_EXCEPTION(CError, m_views->Add(m_lists[1], m_hooks[1], QStringLiteral("H0")));
    QCOMPARE(m_hooks[1]->HwndHook(), nullptr);
    // The list can still be added under its own key.
    m_views->Add(m_lists[1], m_hooks[1], QStringLiteral("H1"));
    QCOMPARE(m_views->Count(), 2);
}

void TestFileListViews::removeStopsForwardingOfThatList() {
    addAll();
    m_views->SelectItem(QStringLiteral("H1"));
    QSignalSpy drops(m_views, &CFileListViews::OnDrop);
    m_views->Remove(QStringLiteral("H1"));
    QCOMPARE(m_views->Count(), 2);
    QCOMPARE(m_views->Item(2), m_views->Item(QStringLiteral("H2")));
    QScopedPointer<QMimeData> data(files());
    drop(1, data.get());
    QCOMPARE(drops.count(), 0);
    QCOMPARE(m_views->FileListView(), nullptr);

    // Removing by position another list leaves the rest in order.
    m_views->Remove(1);
    QCOMPARE(m_views->Count(), 1);
    QCOMPARE(m_views->Item(1)->ListView(), m_lists[2]);
    m_views->SelectItem(QStringLiteral("H2"));
    drop(2, data.get());
    QCOMPARE(drops.count(), 1);
}

void TestFileListViews::removeFromOwnDropHandlerIsSafe() {
    addAll();
    m_views->SelectItem(QStringLiteral("H2"));
    QPointer<CFileListView> removed = m_views->Item(QStringLiteral("H2"));
    connect(m_views, &CFileListViews::OnDrop, this,
            [this] { m_views->Remove(QStringLiteral("H2")); });
    QScopedPointer<QMimeData> data(files());
    drop(2, data.get());
    QCOMPARE(m_views->Count(), 2);
    QTRY_VERIFY(removed.isNull());
}

void TestFileListViews::restoredTabIsShownAndSelected_data() {
    QTest::addColumn<QString>("savedKey");
    QTest::newRow("tab the strip selected by itself") << "H0";
    QTest::newRow("another tab") << "H2";
}

void TestFileListViews::restoredTabIsShownAndSelected() {
    // Wired as the main window does: the tab viewer's report chooses the list
    // in the collection. Restoring the last session's tab from code must
    // leave that list shown and chosen, even when it is the first tab, which
    // the strip had selected already.
    QFETCH(QString, savedKey);
    QTabBar bar(m_window);
    CTabViewer tabs;
    tabs.Create(m_window, &bar);
    connect(&tabs, &CTabViewer::OnClick, m_views,
            [this](const QString& key) { m_views->SelectItem(key); });
    for (int i = 0; i < 3; ++i) {
        const QString key = QStringLiteral("H%1").arg(i);
        tabs.Add(m_lists[i], key, key);
        m_views->Add(m_lists[i], m_hooks[i], key);
    }

    tabs.SelectTab(savedKey);

    const int shown = savedKey.mid(1).toInt();
    QCOMPARE(tabs.SelectedKey(), savedKey);
    QCOMPARE(tabs.SelectedListView(), m_lists[shown]);
    QVERIFY(m_lists[shown]->isVisible());
    QCOMPARE(m_views->SelectedKey(), savedKey);
    QCOMPARE(m_views->FileListView(), m_views->Item(savedKey));
    QCOMPARE(m_views->FileListView()->ListView(), tabs.SelectedListView());

    QSignalSpy drops(m_views, &CFileListViews::OnDrop);
    QScopedPointer<QMimeData> data(files());
    drop(shown, data.get());
    QCOMPARE(drops.count(), 1);
    QCOMPARE(drops.first().first().toString(), savedKey);
}

QTEST_MAIN(TestFileListViews)
#include "tst_filelistviews.moc"

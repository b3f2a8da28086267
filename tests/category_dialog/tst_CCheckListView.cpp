#include "CCheckListView.h"
#include "CError.h"
#include "support_Records.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

class tst_CCheckListView : public QObject {
    Q_OBJECT

    std::unique_ptr<QTreeWidget> list;
    std::unique_ptr<CCheckListView> check;

    QTreeWidgetItem* Row(int i) const { return list->topLevelItem(i); }
    QString Icon(int i) const { return CCheckListView::SmallIcon(Row(i)); }

private slots:
    void init() {
        list = std::make_unique<QTreeWidget>();
        list->resize(300, 200);
        check = std::make_unique<CCheckListView>();
        check->Create(list.get(), CCheckListView::StateImages(list.get()));
        for (CRecordset rs = CategoryRecords(); !rs.IsEOF(); rs.MoveNext())
            check->AddItem(rs);
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
    }
    void cleanup() {
        check.reset();
        list.reset();
    }

    // Sub-item i shows field i + 2 as far as both the columns and the
    // record reach.
    void addItem_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("fields");
        QTest::addColumn<QStringList>("subItems");
        QTest::newRow("one column, wide record") << 1 << 6 << QStringList{};
        QTest::newRow("three columns") << 3 << 6 << QStringList{"f3", ""};
        QTest::newRow("record no wider than the list") << 4 << 4 << QStringList{"f3", "", ""};
    }
    void addItem() {
        QFETCH(int, columns);
        QFETCH(int, fields);
        QFETCH(QStringList, subItems);
        list->setColumnCount(columns);
        QStringList names;
        QVector<QVariant> values{17};
        for (int i = 0; i < fields; ++i)
            names << QStringLiteral("c%1").arg(i);
        for (int i = 1; i < fields; ++i)
            values << QStringLiteral("f%1").arg(i);
        list->clear();
        QTreeWidgetItem* row = check->AddItem(CRecordset(names, {values}));
        QCOMPARE(CCheckListView::Key(row), QStringLiteral("H17"));
        QCOMPARE(row->text(0), QStringLiteral("f1"));
        for (int i = 1; i < columns; ++i)
            QCOMPARE(row->text(i), subItems.at(i - 1));
        // A second row with the same key, or a key that is no number, fails.
        QVERIFY_THROWS_EXCEPTION(CError, check->AddItem(CRecordset(names, {values})));
        values[0] = QStringLiteral("2147483648");
        QVERIFY_THROWS_EXCEPTION(CError, check->AddItem(CRecordset(names, {values})));
        QCOMPARE(list->topLevelItemCount(), 1);
    }

    // Only a press strictly inside the 240-twip image column toggles; state -1: no event.
    void click_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("xTwips");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("state");
        QTest::newRow("left edge 0") << "unchecked" << 0 << "unchecked" << -1;
        QTest::newRow("last inside 239") << "unchecked" << 239 << "checked" << 1;
        QTest::newRow("edge 240") << "unchecked" << 240 << "unchecked" << -1;
        QTest::newRow("text 1500") << "unchecked" << 1500 << "unchecked" << -1;
        QTest::newRow("checked") << "checked" << 60 << "unchecked" << 0;
        QTest::newRow("grayed") << "grayed" << 60 << "unchecked" << 0;
        QTest::newRow("unknown key left alone") << "odd" << 60 << "odd" << 0;
    }
    void click() {
        QFETCH(QString, before);
        QFETCH(int, xTwips);
        QFETCH(int, state);
        Row(1)->setData(0, CCheckListView::SmallIconRole, before);
        QSignalSpy spy(check.get(), &CCheckListView::OnItemClick);
        ClickRowAt(list.get(), Row(1), xTwips);
        QCOMPARE(list->currentItem(), Row(1));
        QTEST(Icon(1), "after");
        QCOMPARE(spy.count(), state < 0 ? 0 : 1);
        if (state >= 0)
            QCOMPARE(spy.at(0), (QVariantList{state, QVariant::fromValue(Row(1))}));
        // The toggle used the flag up: a click on the text does nothing.
        ClickRowAt(list.get(), Row(1), 1500);
        QCOMPARE(spy.count(), state < 0 ? 0 : 1);
    }

    // Space ticks the current row; with no current row it stays armed past
    // other keys until a press decides afresh.
    void spaceBar() {
        QSignalSpy spy(check.get(), &CCheckListView::OnItemClick);
        list->setFocus();
        list->setCurrentItem(Row(2));
        QTest::keyClick(list.get(), Qt::Key_Z);
        QTest::keyClick(list.get(), Qt::Key_Space);
        QCOMPARE(Icon(2), QStringLiteral("checked"));
        QCOMPARE(spy.count(), 1);

        list->setCurrentItem(nullptr);
        QTest::keyClick(list.get(), Qt::Key_Space);
        QTest::keyClick(list.get(), Qt::Key_Q);
        ClickRowAt(list.get(), Row(1), 1500);
        QCOMPARE(Icon(1), QStringLiteral("unchecked"));
        QCOMPARE(spy.count(), 1);
    }

    void programmaticChangesRaiseNothing() {
        QSignalSpy spy(check.get(), &CCheckListView::OnItemClick);
        check->CheckAll();
        check->SetState(Row(1), CCheckListView::Grayed);
        QCOMPARE(Icon(0) + Icon(1), QStringLiteral("checkedgrayed"));
        check->UncheckAll();
        QCOMPARE(spy.count(), 0);
        QVERIFY_THROWS_EXCEPTION(CError, check->SetState(Row(0), 3));
    }

    // Binding again must not double the handling; the list may also go
    // first, and then nothing touches the dead widget.
    void rebindingAndTeardown() {
        check->Create(list.get(), CCheckListView::StateImages(list.get()));
        QSignalSpy spy(check.get(), &CCheckListView::OnItemClick);
        ClickRowAt(list.get(), Row(0), 60);
        QCOMPARE(spy.count(), 1);
        list->setFocus();
        list.reset();
        QVERIFY(check->ListItems().isEmpty());
        QVERIFY_THROWS_EXCEPTION(CError, check->AddItem(CategoryRecords()));
    }
};

QTEST_MAIN(tst_CCheckListView)
#include "tst_CCheckListView.moc"

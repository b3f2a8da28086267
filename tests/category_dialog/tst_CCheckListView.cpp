#include "CCheckListView.h"
#include "CError.h"
#include "support_Records.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <memory>

class tst_CCheckListView : public QObject {
    Q_OBJECT

    std::unique_ptr<QTreeWidget> list;
    std::unique_ptr<CCheckListView> check;

    QTreeWidgetItem* Row(int i) const { return list->topLevelItem(i); }

private slots:
    void init() {
        list = std::make_unique<QTreeWidget>();
        list->setColumnCount(1);
        list->resize(300, 200);
        check = std::make_unique<CCheckListView>();
        check->Create(list.get(), CCheckListView::StateImages(list.get()));
        CRecordset rs = CategoryRecords();
        for (; !rs.IsEOF(); rs.MoveNext())
            check->AddItem(rs);
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
    }
    void cleanup() {
        check.reset();
        list.reset();
    }

    void addItemBuildsUncheckedKeyedRows() {
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(CCheckListView::Key(Row(0)), QStringLiteral("H17"));
        QCOMPARE(Row(1)->text(0), QStringLiteral("趣味 \"quoted\" 100%"));
        QCOMPARE(CCheckListView::Key(Row(2)), QStringLiteral("H500"));
        for (QTreeWidgetItem* row : check->ListItems())
            QCOMPARE(CCheckListView::SmallIcon(row), QStringLiteral("unchecked"));
        QCOMPARE(check->ListItem(QStringLiteral("H18")), Row(1));
        QCOMPARE(check->FindItem(QStringLiteral("H19")), nullptr);
    }

    void addItemSubItems_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("fields");
        QTest::addColumn<QStringList>("subItems");
        QTest::newRow("one column, wide record") << 1 << 6 << QStringList{};
        QTest::newRow("three columns") << 3 << 6 << QStringList{"f3", ""};
        QTest::newRow("four columns") << 4 << 6 << QStringList{"f3", "f4", ""};
        QTest::newRow("record no wider than the list") << 4 << 4 << QStringList{"f3", "", ""};
    }
    void addItemSubItems() {
        QFETCH(int, columns);
        QFETCH(int, fields);
        QFETCH(QStringList, subItems);
        QTreeWidget wide;
        wide.setColumnCount(columns);
        CCheckListView view;
        view.Create(&wide, CCheckListView::StateImages(&wide));
        QStringList names;
        QVector<QVariant> values;
        for (int i = 0; i < fields; ++i) {
            names << QStringLiteral("c%1").arg(i);
            values << (i == 0 ? QVariant(7) : QVariant(QStringLiteral("f%1").arg(i)));
        }
        QTreeWidgetItem* row = view.AddItem(CRecordset(names, {values}));
        QCOMPARE(row->text(0), QStringLiteral("f1"));
        QCOMPARE(CCheckListView::SmallIcon(row), QStringLiteral("unchecked"));
        for (int i = 1; i < columns; ++i)
            QCOMPARE(row->text(i), subItems.at(i - 1));
    }

    void addItemRejectsBadRecords_data() {
        QTest::addColumn<QVariant>("id");
        QTest::newRow("duplicate key") << QVariant(17);
        QTest::newRow("not a number") << QVariant(QStringLiteral("abc"));
        QTest::newRow("too large") << QVariant(qint64(2147483648LL));
        QTest::newRow("empty") << QVariant();
    }
    void addItemRejectsBadRecords() {
        QFETCH(QVariant, id);
        CRecordset rs({"id", "name"}, {{id, QStringLiteral("x")}});
        QVERIFY_THROWS_EXCEPTION(CError, check->AddItem(rs));
        QCOMPARE(list->topLevelItemCount(), 3);
    }

    // Only a press strictly inside the 240-twip image column arms the click.
    void pressDecidesToggle_data() {
        QTest::addColumn<int>("xTwips");
        QTest::addColumn<bool>("toggles");
        QTest::newRow("left edge 0") << 0 << false;
        QTest::newRow("inside 120") << 120 << true;
        QTest::newRow("last inside 239") << 239 << true;
        QTest::newRow("edge 240") << 240 << false;
        QTest::newRow("text 1500") << 1500 << false;
    }
    void pressDecidesToggle() {
        QFETCH(int, xTwips);
        QFETCH(bool, toggles);
        QSignalSpy spy(check.get(), &CCheckListView::OnItemClick);
        ClickRowAt(list.get(), Row(1), xTwips);
        QCOMPARE(list->currentItem(), Row(1));
        QCOMPARE(CCheckListView::SmallIcon(Row(1)),
                 toggles ? QStringLiteral("checked") : QStringLiteral("unchecked"));
        QCOMPARE(spy.count(), toggles ? 1 : 0);
        if (toggles) {
            QCOMPARE(spy.at(0).at(0).value<qint32>(), 1);
            QCOMPARE(spy.at(0).at(1).value<QTreeWidgetItem*>(), Row(1));
        }
    }

    void clicksCycleAndGrayedBecomesUnchecked_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("state");
        QTest::newRow("unchecked") << "unchecked"
                                   << "checked" << 1;
        QTest::newRow("checked") << "checked"
                                 << "unchecked" << 0;
        QTest::newRow("grayed") << "grayed"
                                << "unchecked" << 0;
        QTest::newRow("unknown key left alone") << "odd"
                                                << "odd" << 0;
    }
    void clicksCycleAndGrayedBecomesUnchecked() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, state);
        if (before == QLatin1String("odd"))
            Row(0)->setData(0, CCheckListView::SmallIconRole, before);
        else
            check->SetState(Row(0), before == QLatin1String("checked") ? CCheckListView::Checked
                                    : before == QLatin1String("grayed")
                                        ? CCheckListView::Grayed
                                        : CCheckListView::Unchecked);
        QSignalSpy spy(check.get(), &CCheckListView::OnItemClick);
        ClickRowAt(list.get(), Row(0), 60);
        QCOMPARE(CCheckListView::SmallIcon(Row(0)), after);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<qint32>(), state);
        // The click used the flag up: a click on the text does nothing now.
        ClickRowAt(list.get(), Row(0), 1500);
        QCOMPARE(spy.count(), 1);
    }

    void spaceTicksTheCurrentRow() {
        QSignalSpy spy(check.get(), &CCheckListView::OnItemClick);
        list->setFocus();
        list->setCurrentItem(Row(2));
        QTest::keyClick(list.get(), Qt::Key_Z);
        QCOMPARE(spy.count(), 0);
        QTest::keyClick(list.get(), Qt::Key_Space);
        QCOMPARE(CCheckListView::SmallIcon(Row(2)), QStringLiteral("checked"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(1).value<QTreeWidgetItem*>(), Row(2));
        QTest::keyClick(list.get(), Qt::Key_Space);
        QCOMPARE(CCheckListView::SmallIcon(Row(2)), QStringLiteral("unchecked"));
        QCOMPARE(spy.at(1).at(0).value<qint32>(), 0);
    }

    // With no current row the space bar only arms the flag; other keys keep
    // it armed, and a later press decides afresh.
    void spaceArmsALaterClick_data() {
        QTest::addColumn<int>("xTwips");
        QTest::addColumn<bool>("toggles");
        QTest::newRow("press on the text clears it") << 1500 << false;
        QTest::newRow("press on the image keeps it") << 90 << true;
    }
    void spaceArmsALaterClick() {
        QFETCH(int, xTwips);
        QFETCH(bool, toggles);
        QSignalSpy spy(check.get(), &CCheckListView::OnItemClick);
        list->setFocus();
        list->setCurrentItem(nullptr);
        QTest::keyClick(list.get(), Qt::Key_Space);
        QTest::keyClick(list.get(), Qt::Key_Q);
        QTest::keyClick(list.get(), Qt::Key_X);
        QCOMPARE(spy.count(), 0);
        ClickRowAt(list.get(), Row(1), xTwips);
        QCOMPARE(spy.count(), toggles ? 1 : 0);
        QCOMPARE(CCheckListView::SmallIcon(Row(1)),
                 toggles ? QStringLiteral("checked") : QStringLiteral("unchecked"));
    }

    void programmaticChangesRaiseNothing() {
        QSignalSpy spy(check.get(), &CCheckListView::OnItemClick);
        check->CheckAll();
        for (QTreeWidgetItem* row : check->ListItems())
            QCOMPARE(CCheckListView::SmallIcon(row), QStringLiteral("checked"));
        check->SetState(Row(1), CCheckListView::Grayed);
        QCOMPARE(CCheckListView::SmallIcon(Row(1)), QStringLiteral("grayed"));
        check->UncheckAll();
        for (QTreeWidgetItem* row : check->ListItems())
            QCOMPARE(CCheckListView::SmallIcon(row), QStringLiteral("unchecked"));
        QCOMPARE(spy.count(), 0);
    }

    void setStateRejectsWhatItCannotShow() {
        QVERIFY_THROWS_EXCEPTION(CError, check->SetState(Row(0), 3));
        QVERIFY_THROWS_EXCEPTION(CError, check->SetState(nullptr, 1));
        CCheckListView::ImageList two = CCheckListView::StateImages(list.get());
        two.remove(QStringLiteral("grayed"));
        check->Create(list.get(), two);
        QVERIFY_THROWS_EXCEPTION(CError, check->SetState(Row(0), CCheckListView::Grayed));
        QCOMPARE(CCheckListView::SmallIcon(Row(0)), QStringLiteral("unchecked"));
        QVERIFY_THROWS_EXCEPTION(CError, check->ListItem(QStringLiteral("H1")));
    }

    void picturesDifferByState() {
        const QImage off = CCheckListView::CheckBoxPicture(list.get(), 0).toImage();
        const QImage on = CCheckListView::CheckBoxPicture(list.get(), 1).toImage();
        const QImage grey = CCheckListView::CheckBoxPicture(list.get(), 2).toImage();
        QCOMPARE(off.size() / off.devicePixelRatio(), QSize(16, 16));
        QVERIFY(off != on);
        QVERIFY(on != grey);
    }

    // The list may go first (its window closes); the check list then holds
    // nothing and refuses new rows instead of touching a dead widget.
    void listDestroyedFirst() {
        list->setFocus();
        list.reset();
        QVERIFY(check->ListItems().isEmpty());
        QCOMPARE(check->ListView(), nullptr);
        QVERIFY_THROWS_EXCEPTION(CError, check->AddItem(CategoryRecords()));
    }

    // Binding twice to the same list must not toggle twice per click.
    void createAgainHandlesEachClickOnce() {
        check->Create(list.get(), CCheckListView::StateImages(list.get()));
        QSignalSpy spy(check.get(), &CCheckListView::OnItemClick);
        ClickRowAt(list.get(), Row(0), 60);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(CCheckListView::SmallIcon(Row(0)), QStringLiteral("checked"));
    }
};

QTEST_MAIN(tst_CCheckListView)
#include "tst_CCheckListView.moc"

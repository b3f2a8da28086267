#include "CError.h"
#include "FormCategory.h"
#include "support_Records.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <memory>

class tst_FormCategory : public QObject {
    Q_OBJECT

    std::unique_ptr<FormCategory> form;

    QStringList States() const {
        QStringList states;
        for (QTreeWidgetItem* row : form->CheckListView()->ListItems())
            states << CCheckListView::SmallIcon(row);
        return states;
    }
    QColor LabelColor() const {
        return form->LabelFilePath()->palette().color(QPalette::WindowText);
    }
    static QColor GreyText() {
        return QApplication::palette().color(QPalette::Disabled, QPalette::Text);
    }

private slots:
    void init() {
        form = std::make_unique<FormCategory>();
        form->setCategorySet(CategoryRecords());
    }
    void cleanup() { form.reset(); }

    void eachInstanceTakesADebugNumber() {
        FormCategory other;
        QCOMPARE(other.ClassDebugID().toInt(), form->ClassDebugID().toInt() + 1);
        QVERIFY(!other.IsLoaded());
        QCOMPARE(other.windowTitle(), QStringLiteral("カテゴリ設定"));
    }

    void showingLoadsTheDesign() {
        form->setFilePath(QStringLiteral("report 'final' 100%.doc"));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(form->IsLoaded());
        QCOMPARE(form->LabelFilePath()->text(), QStringLiteral("report 'final' 100%.doc"));
        QTreeWidget* list = form->ListViewCategory();
        QCOMPARE(list->columnCount(), 1);
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("カテゴリ"));
        QCOMPARE(States(), QStringList(3, QStringLiteral("unchecked")));
        QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("趣味 \"quoted\" 100%"));
        QCOMPARE(form->size(), QSize(312, 261));
        QCOMPARE(list->geometry(), QRect(0, 20, 312, 237));
        QCOMPARE(form->LabelFilePath()->geometry(), QRect(8, 4, 304, 13));
    }

    void titleAndColumns() {
        form->setColumnHeader({QStringLiteral("名前"), QStringLiteral("説明")});
        form->Load();
        QCOMPARE(form->windowTitle(), QStringLiteral("カテゴリ設定"));
        QCOMPARE(form->ListViewCategory()->columnCount(), 2);
        QCOMPARE(form->ListViewCategory()->headerItem()->text(1), QStringLiteral("説明"));
        form->setTitle(QStringLiteral("Categories"));
        QCOMPARE(form->windowTitle(), QStringLiteral("Categories"));
        form->setTitle(QString());
        QCOMPARE(form->windowTitle(), QString());
        form->Unload();
        form->setTitle(QStringLiteral("Tags"));
        form->Load();
        QCOMPARE(form->windowTitle(), QStringLiteral("Tags"));
    }

    // The category set is read from its first record whatever its position.
    void setCategoryLoadsWithoutShowing() {
        std::optional<CRecordset> set = CategoryRecords();
        set->MoveNext();
        set->MoveNext();
        form->setCategorySet(set);
        QSignalSpy spy(form.get(), &FormCategory::OnItemClick);
        form->SetCategory(TagsOfFile({500, 17}));
        QVERIFY(form->IsLoaded());
        QVERIFY(!form->isVisible());
        QCOMPARE(States(), (QStringList{"checked", "unchecked", "checked"}));
        QCOMPARE(spy.count(), 0);
    }

    void setCategoryReadsFromTheCurrentRecord_data() {
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<int>("skip");
        QTest::addColumn<QStringList>("states");
        QTest::newRow("empty") << QList<int>{} << 0
                               << QStringList{"unchecked", "unchecked", "unchecked"};
        QTest::newRow("all") << QList<int>{17, 18} << 0
                             << QStringList{"checked", "checked", "unchecked"};
        QTest::newRow("past the first")
            << QList<int>{17, 18} << 1 << QStringList{"unchecked", "checked", "unchecked"};
        QTest::newRow("at the end")
            << QList<int>{17} << 1 << QStringList{"unchecked", "unchecked", "unchecked"};
    }
    void setCategoryReadsFromTheCurrentRecord() {
        QFETCH(QList<int>, ids);
        QFETCH(int, skip);
        QFETCH(QStringList, states);
        form->Load();
        form->CheckListView()->CheckAll();
        CRecordset tags = TagsOfFile(ids);
        for (int i = 0; i < skip; ++i)
            tags.MoveNext();
        form->SetCategory(tags);
        QCOMPARE(States(), states);
        QVERIFY(tags.IsEOF());
    }

    void unknownCategoryNamesItsKey() {
        form->Load();
        try {
            form->SetCategory(TagsOfFile({17, 99}));
            QFAIL("a category outside the list was accepted");
        } catch (const CError& e) {
            QVERIFY2(e.Text().contains(QStringLiteral("\"H99\"")), qPrintable(e.Text()));
        }
        CRecordset notANumber({QStringLiteral("tagID")}, {{QStringLiteral("x")}});
        QVERIFY_THROWS_EXCEPTION(CError, form->SetCategory(notANumber));
    }

    void freezeBeforeLoadTakesEffectAtLoad() {
        form->Freeze();
        QVERIFY(form->IsFreezed());
        QVERIFY(form->LabelFilePath()->isEnabled());
        form->show();
        QVERIFY(form->IsLoaded());
        QVERIFY(!form->LabelFilePath()->isEnabled());
        QVERIFY(!form->ListViewCategory()->isEnabled());
        QCOMPARE(LabelColor(), GreyText());
        QCOMPARE(form->ListViewCategory()->palette().color(QPalette::Text), GreyText());
        form->Unfreeze();
        QVERIFY(!form->IsFreezed());
        QVERIFY(form->LabelFilePath()->isEnabled());
        QVERIFY(form->ListViewCategory()->isEnabled());
        QCOMPARE(LabelColor(),
                 QApplication::palette().color(QPalette::Active, QPalette::ButtonText));
    }

    void closeAndReopenStartsAfresh() {
        form->setFilePath(QStringLiteral("a.txt"));
        form->setFileID(42);
        form->SetCategory(TagsOfFile({18}));
        form->Freeze();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(form->close());
        QVERIFY(!form->IsLoaded());
        QVERIFY(!form->IsFreezed());
        QCOMPARE(form->FilePath(), QString());
        QCOMPARE(form->FileID(), 42);
        form->show();
        QVERIFY(form->IsLoaded());
        QVERIFY(form->LabelFilePath()->isEnabled());
        QVERIFY(form->ListViewCategory()->isEnabled());
        QCOMPARE(form->LabelFilePath()->text(), QString());
        QCOMPARE(States(), QStringList(3, QStringLiteral("unchecked")));
    }

    void tickIsForwardedAtOnce() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QSignalSpy spy(form.get(), &FormCategory::OnItemClick);
        QTreeWidget* list = form->ListViewCategory();
        ClickRowAt(list, list->topLevelItem(2), 120);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<qint32>(), 1);
        QCOMPARE(CCheckListView::Key(spy.at(0).at(1).value<QTreeWidgetItem*>()),
                 QStringLiteral("H500"));
        ClickRowAt(list, list->topLevelItem(2), 120);
        QCOMPARE(spy.at(1).at(0).value<qint32>(), 0);
    }

    void resizeFloor_data() {
        QTest::addColumn<int>("outerHeight");
        QTest::addColumn<bool>("laidOut");
        QTest::newRow("1619") << 1619 << false;
        QTest::newRow("1620") << 1620 << false;
        QTest::newRow("1621") << 1621 << true;
    }
    void resizeFloor() {
        QFETCH(int, outerHeight);
        QFETCH(bool, laidOut);
        const auto layout = FormCategory::ResizeLayout(6000, outerHeight, outerHeight - 400, 195);
        QCOMPARE(layout.has_value(), laidOut);
        if (laidOut) {
            QCOMPARE(layout->ListViewCategory, QRect(0, 300, 5880, outerHeight - 760));
            QCOMPARE(layout->LabelFilePath, QRect(120, 60, 5760, 195));
        }
    }

    // On screen: an outer height of 108 pixels is the 1620-twip floor, where
    // the controls stay put; one pixel more lays them out for the window.
    void resizeOnScreen() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const int frame = form->frameGeometry().height() - form->height();
        QTreeWidget* list = form->ListViewCategory();
        form->resize(400, 200);
        QTRY_COMPARE(form->size(), QSize(400, 200));
        QCOMPARE(list->geometry(), QRect(0, 20, 400, 176));
        QCOMPARE(form->LabelFilePath()->geometry(), QRect(8, 4, 392, 13));

        // Outer height 108 pixels is 1620 twips: the controls stay put.
        list->setGeometry(1, 1, 10, 10);
        form->resize(400, 108 - frame);
        QTRY_COMPARE(form->height(), 108 - frame);
        QCOMPARE(list->geometry(), QRect(1, 1, 10, 10));
        form->resize(400, 109 - frame);
        QTRY_COMPARE(form->height(), 109 - frame);
        QCOMPARE(list->geometry(), QRect(0, 20, 400, ((109 - frame) * 15 - 360) / 15));
        form->resize(400, 50);
        QTRY_COMPARE(form->height(), 108 - frame);
    }
};

QTEST_MAIN(tst_FormCategory)
#include "tst_FormCategory.moc"

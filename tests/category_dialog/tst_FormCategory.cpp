#include "CError.h"
#include "FormCategory.h"
#include "support_Records.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
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
    bool Frozen() const {
        const QColor grey = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
        const bool label = !form->LabelFilePath()->isEnabled() &&
                           form->LabelFilePath()->palette().color(QPalette::WindowText) == grey;
        const bool list = !form->ListViewCategory()->isEnabled() &&
                          form->ListViewCategory()->palette().color(QPalette::Text) == grey;
        return label && list;
    }
    void ShowForm() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

private slots:
    void init() {
        form = std::make_unique<FormCategory>();
        form->setCategorySet(CategoryRecords());
    }
    void cleanup() { form.reset(); }

    // SetCategory unchecks every row, then reads from the recordset's current record; it
    // loads the window without showing it, the category set from its first record.
    void setCategory_data() {
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<int>("skip");
        QTest::addColumn<QStringList>("states");
        QTest::newRow("empty") << QList<int>{} << 0
                               << QStringList{"unchecked", "unchecked", "unchecked"};
        QTest::newRow("two") << QList<int>{17, 18} << 0
                             << QStringList{"checked", "checked", "unchecked"};
        QTest::newRow("past the first")
            << QList<int>{17, 18} << 1 << QStringList{"unchecked", "checked", "unchecked"};
        // A category outside the list fails, naming its key.
        QTest::newRow("unknown") << QList<int>{17, 99} << 0 << QStringList{"\"H99\""};
    }
    void setCategory() {
        QFETCH(QList<int>, ids);
        QFETCH(int, skip);
        std::optional<CRecordset> set = CategoryRecords();
        set->MoveNext();
        form->setCategorySet(set);
        QSignalSpy spy(form.get(), &FormCategory::OnItemClick);
        form->SetCategory(TagsOfFile({17, 18, 500}));
        QVERIFY(form->IsLoaded() && !form->isVisible());
        CRecordset tags = TagsOfFile(ids);
        for (int i = 0; i < skip; ++i)
            tags.MoveNext();
        QFETCH(QStringList, states);
        if (states.size() == 1) {
            try {
                form->SetCategory(tags);
                QFAIL("a category outside the list was accepted");
            } catch (const CError& e) {
                QVERIFY2(e.Text().contains(states.first()), qPrintable(e.Text()));
            }
            return;
        }
        form->SetCategory(tags);
        QCOMPARE(States(), states);
        QVERIFY(tags.IsEOF());
        QCOMPARE(spy.count(), 0);
    }

    void closeAndReopenStartsAfresh() {
        // A freeze before load takes effect at load; title and columns are read then.
        form->Freeze();
        QVERIFY(form->IsFreezed() && form->LabelFilePath()->isEnabled());
        form->setTitle(QStringLiteral("Tags"));
        form->setColumnHeader({QStringLiteral("名前"), QStringLiteral("説明")});
        form->setFilePath(QStringLiteral("report 'final' 100%.doc"));
        form->setFileID(42);
        form->SetCategory(TagsOfFile({18}));
        ShowForm();
        QVERIFY(Frozen());
        QCOMPARE(form->windowTitle(), QStringLiteral("Tags"));
        QCOMPARE(form->ListViewCategory()->columnCount(), 2);
        QCOMPARE(form->LabelFilePath()->text(), QStringLiteral("report 'final' 100%.doc"));
        QVERIFY(form->close());
        QVERIFY(!form->IsLoaded() && !form->IsFreezed());
        QCOMPARE(form->FileID(), 42);
        ShowForm();
        QVERIFY(!Frozen() && form->ListViewCategory()->isEnabled());
        QCOMPARE(form->LabelFilePath()->text(), QString());
        QCOMPARE(States(), QStringList(3, QStringLiteral("unchecked")));
        form->Freeze();
        form->Unfreeze();
        QVERIFY(form->LabelFilePath()->isEnabled() && form->ListViewCategory()->isEnabled());
    }

    void tickIsForwardedAtOnce() {
        ShowForm();
        QSignalSpy spy(form.get(), &FormCategory::OnItemClick);
        QTreeWidget* list = form->ListViewCategory();
        ClickRowAt(list, list->topLevelItem(2),
                   form->CheckListView()->ImageRect(list->topLevelItem(2)).center().x());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<qint32>(), 1);
        QCOMPARE(CCheckListView::Key(spy.at(0).at(1).value<QTreeWidgetItem*>()),
                 QStringLiteral("H500"));
    }

    // A long path loses its middle, not its end or half a glyph; the whole
    // path is the tooltip and what a screen reader reads.
    void longPathElidedInTheMiddle() {
        const QString path =
            "/home/user/" + QString("とても長いフォルダ名/").repeated(12) + "報告書.doc";
        form->setFilePath(path);
        ShowForm();
        QLabel* label = form->LabelFilePath();
        QVERIFY(label->text().contains(QChar(0x2026)));
        QVERIFY(label->text().startsWith("/home/user/") && label->text().endsWith("報告書.doc"));
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
        QCOMPARE(label->toolTip(), path);
        QCOMPARE(label->accessibleName(), path);
        QCOMPARE(form->ListViewCategory()->accessibleName(), QStringLiteral("カテゴリ"));
        QCOMPARE(form->windowTitle(), QStringLiteral("カテゴリ設定"));
    }

    void resizeFloor_data() {
        QTest::addColumn<int>("outerHeight");
        QTest::addColumn<bool>("laidOut");
        QTest::newRow("1620") << 1620 << false;
        QTest::newRow("1621") << 1621 << true;
        QTest::newRow("tall font") << 1621 << true;
    }
    void resizeFloor() {
        QFETCH(int, outerHeight);
        QFETCH(bool, laidOut);
        // A label taller than its design pushes the list down by as much.
        const int label = QTest::currentDataTag() == QLatin1String("tall font") ? 300 : 195;
        const int top = std::max(300, 60 + label);
        const auto layout = FormCategory::ResizeLayout(6000, outerHeight, outerHeight - 400, label);
        QCOMPARE(layout.has_value(), laidOut);
        if (laidOut) {
            QCOMPARE(layout->ListViewCategory, QRect(0, top, 5880, outerHeight - 460 - top));
            QCOMPARE(layout->LabelFilePath, QRect(120, 60, 5760, label));
        }
    }

    // On screen an outer height of 108 pixels is the 1620-twip floor: the
    // controls stay put there, and one pixel more lays them out.
    void resizeOnScreen() {
        ShowForm();
        const int frame = form->frameGeometry().height() - form->height();
        QTreeWidget* list = form->ListViewCategory();
        list->setGeometry(1, 1, 10, 10);
        form->resize(400, 108 - frame);
        QTRY_COMPARE(form->height(), 108 - frame);
        QCOMPARE(list->geometry(), QRect(1, 1, 10, 10));
        form->resize(400, 109 - frame);
        QTRY_COMPARE(form->height(), 109 - frame);
        // The label is as tall as its font, and the list starts below it.
        const int label = std::max(13, form->LabelFilePath()->fontMetrics().height());
        const int top = std::max(20, 4 + label);
        QCOMPARE(list->geometry(), QRect(0, top, 400, 109 - frame - top - 4));
        QCOMPARE(form->LabelFilePath()->geometry(), QRect(8, 4, 392, label));
        form->resize(400, 50);
        QTRY_COMPARE(form->height(), 108 - frame);
    }
};

QTEST_MAIN(tst_FormCategory)
#include "tst_FormCategory.moc"

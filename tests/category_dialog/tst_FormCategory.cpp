#include "CError.h"
#include "CRecordset.h"
#include "FormCategory.h"

#include "../support_tests.h"

#include <QtTest>
#include <QtWidgets>
#include <memory>

namespace {

// Three categories as the repository lists them: identifier, name.
CRecordset CategoryRecords() {
    return CRecordset({QStringLiteral("tagID"), QStringLiteral("tagName")},
                      {{17, QStringLiteral("仕事")},
                       {18, QStringLiteral("趣味 \"quoted\" 100%")},
                       {500, QStringLiteral("-leading dash")}});
}

// A file's categories: one record per identifier.
CRecordset TagsOfFile(const QList<int>& ids) {
    QList<QVector<QVariant>> rows;
    for (int id : ids)
        rows.append(QVector<QVariant>{id});
    return CRecordset({QStringLiteral("tagID")}, rows);
}

// A left click on a row at a horizontal position in the viewport; positions
// between pixels are kept.
void ClickRowAt(QTreeWidget* list, QTreeWidgetItem* item, double x) {
    QWidget* viewport = list->viewport();
    const QPointF at(x, list->visualItemRect(item).center().y());
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
}

double Contrast(const QColor& a, const QColor& b) {
    auto l = [](const QColor& c) {
        auto f = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * f(c.redF()) + 0.7152 * f(c.greenF()) + 0.0722 * f(c.blueF());
    };
    return (std::max(l(a), l(b)) + 0.05) / (std::min(l(a), l(b)) + 0.05);
}

} // namespace

// The check list on a bare list, and the dialog built on it.
class tst_FormCategory : public QObject {
    Q_OBJECT

    std::unique_ptr<QTreeWidget> list;
    std::unique_ptr<CCheckListView> check;
    std::unique_ptr<FormCategory> form;

    QTreeWidgetItem* Row(int i) const { return list->topLevelItem(i); }
    QString Icon(int i) const { return CCheckListView::SmallIcon(Row(i)); }

    // One letter per row: c checked, u unchecked, g grayed.
    QString States() const {
        QString states;
        for (QTreeWidgetItem* row : form->CheckListView()->ListItems())
            states += CCheckListView::SmallIcon(row).front();
        return states;
    }
    bool Enabled() const {
        return form->LabelFilePath()->isEnabled() && form->ListViewCategory()->isEnabled();
    }
    void ShowForm() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

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
        form = std::make_unique<FormCategory>();
        form->setCategorySet(CategoryRecords());
    }
    void cleanup() {
        form.reset();
        check.reset();
        list.reset();
    }

    // Only a press on the box, where the style draws it, toggles (x: from its
    // left edge, as a fraction of its width); state -1: no event. The row's
    // check state, as screen readers hear it, follows.
    void click_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<double>("x");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("state");
        QTest::newRow("left edge") << "unchecked" << 0.02 << "checked" << 1;
        QTest::newRow("right 3 px") << "unchecked" << 0.85 << "checked" << 1;
        QTest::newRow("just right") << "unchecked" << 1.02 << "unchecked" << -1;
        QTest::newRow("text") << "unchecked" << 5.0 << "unchecked" << -1;
        QTest::newRow("checked") << "checked" << 0.5 << "unchecked" << 0;
        QTest::newRow("grayed: set for all") << "grayed" << 0.5 << "checked" << 1;
    }
    void click() {
        QFETCH(QString, before);
        QFETCH(double, x);
        QFETCH(int, state);
        check->SetState(Row(1), QStringList{"unchecked", "checked", "grayed"}.indexOf(before));
        QSignalSpy spy(check.get(), &CCheckListView::OnItemClick);
        const QRect box = check->ImageRect(Row(1));
        QVERIFY(box.width() >= 12);
        ClickRowAt(list.get(), Row(1), box.left() + x * box.width());
        QCOMPARE(list->currentItem(), Row(1));
        QTEST(Icon(1), "after");
        QCOMPARE(spy.count(), state < 0 ? 0 : 1);
        if (state >= 0)
            QCOMPARE(spy.at(0), (QVariantList{state, QVariant::fromValue(Row(1))}));
        QAccessibleInterface* cell =
            QAccessible::queryAccessibleInterface(list.get())->tableInterface()->cellAt(1, 0);
        QVERIFY(cell && cell->state().checkable);
        QCOMPARE(bool(cell->state().checked), Icon(1) == "checked");
        // The toggle used the flag up: a click on the text does nothing.
        ClickRowAt(list.get(), Row(1), box.right() + 100);
        QCOMPARE(spy.count(), state < 0 ? 0 : 1);
    }

    // An unticked box stands out from the list (3:1) in light and dark colours.
    void boxesFollowThePalette_data() {
        QTest::addColumn<QColor>("base");
        QTest::addColumn<QColor>("text");
        QTest::newRow("light") << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("dark") << QColor(0x2a, 0x2a, 0x2a) << QColor(0xee, 0xee, 0xee);
    }
    void boxesFollowThePalette() {
        QFETCH(QColor, base);
        QFETCH(QColor, text);
        QPalette palette = list->palette();
        palette.setColor(QPalette::Window, base.lighter(115));
        palette.setColor(QPalette::Base, base);
        palette.setColor(QPalette::Text, text);
        list->setPalette(palette);
        QImage box =
            CCheckListView::CheckBoxPicture(list.get(), CCheckListView::Unchecked).toImage();
        double strongest = 1;
        for (int x = 0; x < box.width(); ++x) {
            QImage over(1, 1, QImage::Format_ARGB32);
            over.fill(base);
            QPainter(&over).drawImage(0, 0, box, x, box.height() / 2, 1, 1);
            strongest = std::max(strongest, Contrast(over.pixelColor(0, 0), base));
        }
        QVERIFY2(strongest >= 3.0, qPrintable(QString::number(strongest)));
    }

    // Changes made in code raise nothing. Space ticks the current row; with no
    // current row it stays armed past other keys until a press decides afresh.
    void codeAndSpaceBar() {
        QSignalSpy spy(check.get(), &CCheckListView::OnItemClick);
        check->SetState(Row(1), CCheckListView::Grayed);
        check->UncheckAll();
        QCOMPARE(spy.count(), 0);
        QVERIFY_THROWS_EXCEPTION(CError, check->SetState(Row(0), 3));
        list->setFocus();
        list->setCurrentItem(Row(2));
        QTest::keyClick(list.get(), Qt::Key_Z);
        QTest::keyClick(list.get(), Qt::Key_Space);
        QCOMPARE(Icon(2) + QString::number(spy.count()), QStringLiteral("checked1"));

        list->setCurrentItem(nullptr);
        QTest::keyClick(list.get(), Qt::Key_Space);
        QTest::keyClick(list.get(), Qt::Key_Q);
        ClickRowAt(list.get(), Row(1), 100);
        QCOMPARE(Icon(1) + QString::number(spy.count()), QStringLiteral("unchecked1"));
    }

    // Binding again must not double the handling; the list may also go
    // first, and then nothing touches the dead widget.
    void rebindingAndTeardown() {
        check->Create(list.get(), CCheckListView::StateImages(list.get()));
        QSignalSpy spy(check.get(), &CCheckListView::OnItemClick);
        ClickRowAt(list.get(), Row(0), check->ImageRect(Row(0)).center().x());
        QCOMPARE(spy.count(), 1);
        list->setFocus();
        list.reset();
        QVERIFY(check->ListItems().isEmpty());
        QVERIFY_THROWS_EXCEPTION(CError, check->AddItem(CategoryRecords()));
    }

    // SetCategory unchecks every row, then reads from the recordset's current record; it
    // loads the window without showing it, the category set from its first record.
    void setCategory_data() {
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<int>("skip");
        QTest::addColumn<QString>("states"); // as States(); else the error names it
        QTest::newRow("empty") << QList<int>{} << 0 << "uuu";
        QTest::newRow("two") << QList<int>{17, 18} << 0 << "ccu";
        QTest::newRow("past the first") << QList<int>{17, 18} << 1 << "ucu";
        // A category outside the list fails, naming its key.
        QTest::newRow("unknown") << QList<int>{17, 99} << 0 << "\"H99\"";
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
        QFETCH(QString, states);
        if (states.startsWith('"')) {
            const CError e = Raised([&] { form->SetCategory(tags); });
            QVERIFY2(e.Code() != -1 && e.Text().contains(states), qPrintable(e.Text()));
            return;
        }
        form->SetCategory(tags);
        QCOMPARE(States(), states);
        QVERIFY(tags.IsEOF());
        QCOMPARE(spy.count(), 0);
    }

    // A long path loses its middle, not its end or half a glyph; the whole
    // path is the tooltip and what a screen reader reads.
    void closeAndReopenStartsAfresh() {
        const QString path =
            "/home/user/" + QString("とても長いフォルダ名/").repeated(12) + "報告 'final' 100%.doc";
        // A freeze before load takes effect at load.
        form->Freeze();
        QVERIFY(form->IsFreezed() && Enabled());
        form->setFilePath(path);
        form->setFileID(42);
        form->SetCategory(TagsOfFile({18}));
        ShowForm();
        QVERIFY(!Enabled());
        QLabel* label = form->LabelFilePath();
        QVERIFY(label->text().contains(QChar(0x2026)));
        QVERIFY(label->text().startsWith("/home/user/") && label->text().endsWith("100%.doc"));
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
        QCOMPARE(label->toolTip(), path);
        QCOMPARE(label->accessibleName(), path);
        QVERIFY(form->close());
        QVERIFY(!form->IsLoaded() && !form->IsFreezed());
        QCOMPARE(form->FileID(), 42);
        ShowForm();
        QVERIFY(Enabled());
        QCOMPARE(label->text(), QString());
        QCOMPARE(States(), QStringLiteral("uuu"));
        form->Freeze();
        form->Unfreeze();
        QVERIFY(Enabled());
    }

    // Escape and the close button leave the dialog as closing it does; the
    // caption names how many files a selection holds.
    void escapeAndClose_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Escape") << true;
        QTest::newRow("Close") << false;
    }
    void escapeAndClose() {
        QFETCH(bool, escape);
        const QString design = form->windowTitle();
        form->setFileIDs({4, 5, 6});
        ShowForm();
        QCOMPARE(form->windowTitle(), QString("3 個のファイルのカテゴリ"));
        form->setFileID(4);
        QCOMPARE(form->windowTitle(), design);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->ListViewCategory()->setFocus();
        if (escape)
            QTest::keyClick(form->ListViewCategory(), Qt::Key_Escape);
        else
            QTest::mouseClick(form->CloseButton(), Qt::LeftButton);
        QVERIFY(!form->isVisible() && !form->IsLoaded());
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
        const int buttonRow = form->CloseButton()->height() + 8;
        QCOMPARE(list->geometry(), QRect(0, top, 400, 109 - frame - top - buttonRow));
        QCOMPARE(form->CloseButton()->geometry().bottomRight(), QPoint(400 - 9, 109 - frame - 5));
        QCOMPARE(form->LabelFilePath()->geometry(), QRect(8, 4, 392, label));
        form->resize(400, 50);
        QTRY_COMPARE(form->height(), 108 - frame);
    }
};

QTEST_MAIN(tst_FormCategory)
#include "tst_FormCategory.moc"

#include "CFileListModel.h"
#include "CListViewControl.h"
#include "CSortListView.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <memory>

class TestSortListView : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void threeClicks_data();
    void threeClicks();
    void clickAnotherColumnSortsAscending();
    void orderSurvivesClearAndRefill();
    void listWithoutColumnsStaysUnsorted();
    void selectedRowStaysInView();
    void numbersInTextSortByValue();

private:
    void fill(CListViewControl* list);
    QStringList column(int c) const;
    void clickHeader(int index);

    std::unique_ptr<CListViewControl> m_list;
    std::unique_ptr<CSortListView> m_sorter;
};

void TestSortListView::init() {
    m_list = std::make_unique<CListViewControl>();
    m_list->resize(500, 300);
    m_list->AddColumnHeader(QStringLiteral("名前"), 1500);
    m_list->AddColumnHeader(QStringLiteral("サイズ"), 1500);
    m_list->AddColumnHeader(QStringLiteral("日付"), 1500);
    m_sorter = std::make_unique<CSortListView>();
    m_sorter->Create(m_list.get());
    m_list->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_list.get()));
}

void TestSortListView::cleanup() {
    m_sorter.reset();
    m_list.reset();
}

// Names ascend where sizes descend, so every column gives its own order.
void TestSortListView::fill(CListViewControl* list) {
    const char* rows[][3] = {{"b.doc", "3 KB", "2024/01/03"},
                             {"a.doc", "4 KB", "2024/01/01"},
                             {"d.doc", "1 KB", "2024/01/04"},
                             {"c.doc", "2 KB", "2024/01/02"}};
    for (const auto& row : rows) {
        CListItem item = list->AddListItem(QString::fromLatin1(row[0]), 0);
        item.setSubItems(1, QString::fromLatin1(row[1]));
        item.setSubItems(2, QString::fromLatin1(row[2]));
    }
    list->Model()->Flush();
}

QStringList TestSortListView::column(int c) const {
    QStringList texts;
    for (int i = 1; i <= m_list->ListItemCount(); ++i)
        texts << (c == 0 ? m_list->ListItem(i).Text() : m_list->ListItem(i).SubItems(c));
    return texts;
}

void TestSortListView::clickHeader(int index) {
    QHeaderView* header = m_list->header();
    const int x = header->sectionViewportPosition(index - 1) + header->sectionSize(index - 1) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

void TestSortListView::threeClicks_data() {
    QTest::addColumn<int>("header");
    QTest::addColumn<QList<int>>("orders");
    // The first column already is the sort column: its first click reverses.
    QTest::newRow("first column") << 1 << QList<int>{1, 0, 1};
    QTest::newRow("another column") << 3 << QList<int>{0, 1, 0};
}

void TestSortListView::threeClicks() {
    QFETCH(int, header);
    QFETCH(QList<int>, orders);
    fill(m_list.get());
    QSignalSpy clicks(m_sorter.get(), &CSortListView::OnColumnClick);
    for (int order : orders) {
        clickHeader(header);
        QCOMPARE(m_list->SortKey(), header - 1);
        QCOMPARE(m_list->SortOrder(), order);
        QStringList texts = column(header - 1);
        QStringList expected = texts;
        std::sort(expected.begin(), expected.end());
        if (order == 1)
            std::reverse(expected.begin(), expected.end());
        QCOMPARE(texts, expected);
        QCOMPARE(m_list->header()->sortIndicatorSection(), header - 1);
    }
    QCOMPARE(clicks.size(), 3);
    QCOMPARE(clicks.last().first().toInt(), header);
}

void TestSortListView::clickAnotherColumnSortsAscending() {
    fill(m_list.get());
    clickHeader(1); // names descending
    clickHeader(2); // sizes ascending, whatever the order before
    QCOMPARE(m_list->SortOrder(), 0);
    QCOMPARE(column(1), (QStringList{"1 KB", "2 KB", "3 KB", "4 KB"}));
    QCOMPARE(column(0), (QStringList{"d.doc", "c.doc", "b.doc", "a.doc"}));
}

void TestSortListView::orderSurvivesClearAndRefill() {
    fill(m_list.get());
    clickHeader(3);
    clickHeader(3); // dates descending
    m_list->ClearListItems();
    fill(m_list.get());
    QCOMPARE(column(2), (QStringList{"2024/01/04", "2024/01/03", "2024/01/02", "2024/01/01"}));
    // Rows added one at a time into a sorted list land in place too.
    CListItem late = m_list->AddListItem(QStringLiteral("e.doc"), 0);
    late.setSubItems(2, QStringLiteral("2024/01/05"));
    QCOMPARE(late.Index(), 1);
    CListItem early = m_list->AddListItem(QStringLiteral("f.doc"), 0);
    early.setSubItems(2, QStringLiteral("2023/12/31"));
    QCOMPARE(early.Index(), 6);
}

void TestSortListView::listWithoutColumnsStaysUnsorted() {
    CListViewControl bare;
    CSortListView sorter;
    sorter.Create(&bare);
    QVERIFY(!bare.Sorted());
    for (const char* name : {"b", "a", "c"})
        bare.AddListItem(QString::fromLatin1(name), 0);
    QSignalSpy clicks(&sorter, &CSortListView::OnColumnClick);
    emit bare.ColumnClick(2);
    QCOMPARE(bare.SortKey(), 1);
    QCOMPARE(bare.SortOrder(), 0);
    emit bare.ColumnClick(2);
    QCOMPARE(bare.SortOrder(), 1);
    QCOMPARE(clicks.size(), 2);
    QCOMPARE(bare.ListItem(1).Text(), QStringLiteral("b"));
    QCOMPARE(bare.ListItem(3).Text(), QStringLiteral("c"));
}

void TestSortListView::selectedRowStaysInView() {
    for (int i = 0; i < 500; ++i) {
        CListItem item =
            m_list->AddListItem(QStringLiteral("row %1").arg(i, 3, 10, QLatin1Char('0')), 0);
        item.setSubItems(1, QString::number(1000 - i));
    }
    m_list->Model()->Flush();
    CListItem chosen = m_list->ListItem(2);
    chosen.setSelected(true);
    chosen.EnsureVisible();
    clickHeader(1); // descending: the chosen row moves near the end
    QVERIFY(chosen.Selected());
    QCOMPARE(chosen.Index(), 499);
    const QRect shown = m_list->visualRect(m_list->Model()->index(chosen.Index() - 1, 0));
    QVERIFY(m_list->viewport()->rect().intersects(shown));
}

void TestSortListView::numbersInTextSortByValue() {
    for (const char* size : {"10 KB", "9 KB", "100 KB"}) {
        CListItem item = m_list->AddListItem(QStringLiteral("x"), 0);
        item.setSubItems(1, QString::fromLatin1(size));
    }
    clickHeader(2);
    QCOMPARE(column(1), (QStringList{"9 KB", "10 KB", "100 KB"}));
}

QTEST_MAIN(TestSortListView)
#include "tst_sortlistview.moc"

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
    void init() {
        m_list = std::make_unique<CListViewControl>();
        m_list->resize(500, 300);
        for (const char* title : {"名前", "サイズ", "日付"})
            m_list->AddColumnHeader(title, 1500);
        m_sorter = std::make_unique<CSortListView>();
        m_sorter->Create(m_list.get());
        m_list->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_list.get()));
    }
    void cleanup() {
        m_sorter.reset();
        m_list.reset();
    }

    void threeClicks_data() {
        QTest::addColumn<int>("header");
        QTest::addColumn<QList<int>>("orders");
        QTest::addColumn<QStringList>("ascending");
        // The first column already is the sort column: its first click reverses.
        QTest::newRow("first column")
            << 1 << QList<int>{1, 0, 1} << QStringList{"a.doc", "b.doc", "c.doc", "d.doc"};
        QTest::newRow("numbers in text by value")
            << 2 << QList<int>{0, 1, 0} << QStringList{"2 KB", "9 KB", "10 KB", "100 KB"};
    }
    void threeClicks() {
        QFETCH(int, header);
        QFETCH(QList<int>, orders);
        QFETCH(QStringList, ascending);
        QStringList expected;
        fill();
        QSignalSpy clicks(m_sorter.get(), &CSortListView::OnColumnClick);
        for (int order : orders) {
            clickHeader(header);
            QCOMPARE(m_list->SortKey(), header - 1);
            QCOMPARE(m_list->SortOrder(), order);
            expected = ascending;
            if (order == 1)
                std::reverse(expected.begin(), expected.end());
            QCOMPARE(column(header - 1), expected);
            QCOMPARE(m_list->header()->sortIndicatorSection(), header - 1);
        }
        QCOMPARE(clicks.size(), 3);
        m_list->ClearListItems(); // a refilled list keeps its order
        fill();
        QCOMPARE(column(header - 1), expected);
    }

private:
    // Every column gives its own order.
    void fill() {
        const char* rows[][3] = {{"b.doc", "9 KB", "2024/01/03"},
                                 {"a.doc", "100 KB", "2024/01/01"},
                                 {"d.doc", "2 KB", "2024/01/04"},
                                 {"c.doc", "10 KB", "2024/01/02"}};
        for (const auto& row : rows) {
            CListItem item = m_list->AddListItem(row[0], 0);
            item.setSubItems(1, row[1]);
            item.setSubItems(2, row[2]);
        }
        m_list->Model()->Flush();
    }
    QStringList column(int c) const {
        QStringList texts;
        for (int i = 1; i <= m_list->ListItemCount(); ++i)
            texts << (c == 0 ? m_list->ListItem(i).Text() : m_list->ListItem(i).SubItems(c));
        return texts;
    }
    void clickHeader(int index) {
        QHeaderView* header = m_list->header();
        const int x =
            header->sectionViewportPosition(index - 1) + header->sectionSize(index - 1) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }

    std::unique_ptr<CListViewControl> m_list;
    std::unique_ptr<CSortListView> m_sorter;
};

QTEST_MAIN(TestSortListView)
#include "tst_sortlistview.moc"

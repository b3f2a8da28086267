#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "CError.h"
#include "CFileListModel.h"
#include "CListViewControl.h"
#include "CMsghook.h"

#include "CFileListView.h"
#include "CFileListViews.h"
#include "support_views.h"

class TestFileListViews : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_window.reset(new QWidget);
        auto* layout = new QVBoxLayout(m_window.get());
        m_views.reset(new CFileListViews);
        m_views->Create();
        m_lists.clear();
        for (int i = 0; i < 3; ++i) {
            auto* list = new CListViewControl;
            list->AddColumnHeader(QStringLiteral("名前"), 3000);
            list->AddListItem(QStringLiteral("row"), 0);
            list->Model()->Flush();
            layout->addWidget(list);
            m_lists.append(list);
            m_views->Add(list, new CMsghook(m_window.get()), QStringLiteral("H%1").arg(i));
        }
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void forwarding_data() {
        QTest::addColumn<QStringList>("chosen"); // SelectItem calls, in order
        QTest::addColumn<int>("source");         // the list clicked and dropped on
        QTest::addColumn<bool>("forwarded");
        QTest::addColumn<QString>("dropKey");
        QTest::newRow("no choice: the list added last") << QStringList() << 2 << true << "";
        QTest::newRow("no choice: an earlier list") << QStringList() << 0 << false << "";
        QTest::newRow("chosen list") << QStringList{"H0"} << 0 << true << "H0";
        QTest::newRow("last added, not chosen") << QStringList{"H0"} << 2 << false << "";
        QTest::newRow("choice moved on") << QStringList{"H1", "H0"} << 1 << false << "";
        QTest::newRow("choice moved back") << QStringList{"H1", "H0", "H1"} << 1 << true << "H1";
    }
    void forwarding() {
        QFETCH(QStringList, chosen);
        QFETCH(int, source);
        QFETCH(bool, forwarded);
        m_lists[source]->setSelectedItem(m_lists[source]->ListItem(1));
        for (const QString& key : chosen)
            QCOMPARE(m_views->SelectItem(key)->ListView(), m_lists[key.mid(1).toInt()]);
        if (chosen.contains(QStringLiteral("H%1").arg(source))) // choosing unselects
            QVERIFY(m_lists[source]->SelectedItem().IsEmpty());
        QSignalSpy clicks(m_views.get(), &CFileListViews::OnItemClick);
        QSignalSpy drops(m_views.get(), &CFileListViews::OnDrop);
        const QRect row = m_lists[source]->visualRect(m_lists[source]->model()->index(0, 0));
        QTest::mouseClick(m_lists[source]->viewport(), Qt::LeftButton, {}, row.center());
        QMimeData data;
        drop(source, &data);
        QCOMPARE(clicks.count(), int(forwarded));
        QCOMPARE(drops.count(), int(forwarded));
        if (forwarded) {
            QCOMPARE(clicks[0][0].value<CListItem>().ListView(), m_lists[source]);
            QTEST(drops[0][0].toString(), "dropKey");
            QCOMPARE(drops[0][1].value<const QMimeData*>(), &data);
        }
    }

    void takenKeyBindsNothing() {
        CMsghook unused;
        QVERIFY_THROWS_EXCEPTION(CError, m_views->Add(m_lists[1], &unused, QStringLiteral("H1")));
        QCOMPARE(unused.HwndHook(), nullptr);
    }

    void listRemovedByItsOwnDropHandlerGoesQuietly() {
        QPointer<CFileListView> h2 = m_views->SelectItem(QStringLiteral("H2"));
        connect(m_views.get(), &CFileListViews::OnDrop, this,
                [this] { m_views->Remove(QStringLiteral("H2")); });
        QMimeData data;
        drop(2, &data);
        QCOMPARE(m_views->Count(), 2);
        QCOMPARE(m_views->FileListView(), nullptr);
        QTRY_VERIFY(h2.isNull());
    }

private:
    void drop(int list, QMimeData* data) {
        data->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/-a 'b' \"c\" %d 日本.doc"))});
        dragAndDrop(m_lists[list]->viewport(), QPoint(20, 20), data);
    }

    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<CFileListViews> m_views;
    QList<CListViewControl*> m_lists;
};

QTEST_MAIN(TestFileListViews)
#include "tst_filelistviews.moc"

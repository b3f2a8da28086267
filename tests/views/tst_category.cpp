#include <QSignalSpy>
#include <QTest>

#include "CCategory.h"
#include "support_views.h"

class TestCategory : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_tree.reset(new QTreeWidget);
        m_tree->resize(240, 300);
        m_category.reset(new CCategory);
        m_category->Create(m_tree.get(), QStringLiteral("すべて"));
        for (const char* key : {"H1", "H2", "H3"})
            m_category->Add(QString::fromLatin1(key), QStringLiteral("カテゴリ"));
        m_tree->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_tree.get()));
    }

    void clicksAndSelection() {
        QSignalSpy click(m_category.get(), &CCategory::OnNodeClick);
        m_category->SelectNode(QStringLiteral("H2")); // from code: no report
        QCOMPARE(m_category->SelectedItem(), node("H2"));
        QCOMPARE(click.count(), 0);
        QTest::mouseClick(m_tree->viewport(), Qt::LeftButton, {}, centre("H0"));
        QTest::keyClick(m_tree.get(), Qt::Key_Down); // the keyboard reports too
        QCOMPARE(click.count(), 2);
        QCOMPARE(click[0][0].toInt(), 0);
        QCOMPARE(click[0][1].value<QTreeWidgetItem*>(), node("H0"));
        QCOMPARE(click[1][0].toInt(), 1);
        QCOMPARE(m_category->SelectedItem(), node("H1"));
    }

    void drops_data() {
        QTest::addColumn<QString>("over"); // node under the pointer; "" = empty space
        QTest::addColumn<bool>("files");
        QTest::addColumn<QString>("highlightAfter");
        QTest::newRow("files on a category") << "H2" << true << "";
        QTest::newRow("files on the root") << "H0" << true << "";
        QTest::newRow("files on empty space") << "" << true << "";
        QTest::newRow("text on a category") << "H2" << false << "H2";
        QTest::newRow("text on empty space") << "" << false << "";
    }
    void drops() {
        QFETCH(QString, over);
        QFETCH(bool, files);
        QMimeData data;
        if (files)
            data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/-a 'b' %c 日本.doc"))});
        else
            data.setText(QStringLiteral("text only"));
        QSignalSpy dropped(m_category.get(), &CCategory::OnDrop);
        const QPoint pos = over.isEmpty() ? QPoint(20, 290) : centre(over);
        sendDrag<QDragEnterEvent>(m_tree->viewport(), pos, &data);
        QCOMPARE(CCategory::NodeKey(m_category->DropHighlight()), over);
        sendDrag<QDropEvent>(m_tree->viewport(), pos, &data);
        QCOMPARE(dropped.count(), files ? 1 : 0);
        if (files) {
            QCOMPARE(dropped[0][0].value<const QMimeData*>(), &data);
            QCOMPARE(dropped[0][1].value<QTreeWidgetItem*>(),
                     over.isEmpty() ? nullptr : node(over));
        }
        QTEST(CCategory::NodeKey(m_category->DropHighlight()), "highlightAfter");
    }

    void ownerMayRebuildTheTreeWhileHandlingADrop() {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.doc"))});
        connect(m_category.get(), &CCategory::OnDrop, m_tree.get(), &QTreeWidget::clear);
        dragAndDrop(m_tree->viewport(), centre("H1"), &data);
        QCOMPARE(m_tree->topLevelItemCount(), 0);
        QCOMPARE(m_category->DropHighlight(), nullptr);
    }

private:
    QTreeWidgetItem* node(const QString& key) const { return m_category->Node(key); }
    QPoint centre(const QString& key) const { return m_tree->visualItemRect(node(key)).center(); }
    std::unique_ptr<QTreeWidget> m_tree;
    std::unique_ptr<CCategory> m_category;
};

QTEST_MAIN(TestCategory)
#include "tst_category.moc"

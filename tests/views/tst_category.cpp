#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include "CCategory.h"
#include "CError.h"

// The category tree: node layout, clicks, and files dragged onto nodes, sent
// as real drag events to the tree's viewport.
class TestCategory : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void categoriesFollowTheRootInCallOrder();
    void debugIdsAreTaken();
    void unguardedKeysRaiseClearErrors_data();
    void unguardedKeysRaiseClearErrors();
    void clickReportsTheNodeId_data();
    void clickReportsTheNodeId();
    void selectNodeSelectsWithoutClick();
    void keyboardMoveReportsTheNodeReached();
    void drops_data();
    void drops();
    void leavingKeepsTheHighlight();
    void zeroPositionClearsTheHighlight();
    void handlerClearingTheTreeIsSafe();
    void imagesResolveThroughTheOwnersList();

private:
    QPoint centreOf(const QString& key) const {
        return m_tree->visualItemRect(m_category->Node(key)).center();
    }
    void drag(QEvent::Type type, const QPoint& pos, QMimeData* data) {
        QWidget* viewport = m_tree->viewport();
        if (type == QEvent::DragEnter) {
            QDragEnterEvent e(pos, Qt::CopyAction | Qt::LinkAction, data, Qt::LeftButton,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &e);
        } else if (type == QEvent::DragMove) {
            QDragMoveEvent e(pos, Qt::CopyAction | Qt::LinkAction, data, Qt::LeftButton,
                             Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &e);
        } else if (type == QEvent::DragLeave) {
            QDragLeaveEvent e;
            QCoreApplication::sendEvent(viewport, &e);
        } else {
            QDropEvent e(QPointF(pos), Qt::CopyAction | Qt::LinkAction, data, Qt::LeftButton,
                         Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &e);
        }
    }
    void dragOver(const QPoint& pos, QMimeData* data) {
        drag(QEvent::DragEnter, pos, data);
        drag(QEvent::DragMove, pos, data);
    }
    QPoint emptySpace() const { return QPoint(20, m_tree->viewport()->height() - 5); }
    static QMimeData* files() {
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/report 1 'q' %.doc")),
                       QUrl::fromLocalFile(QStringLiteral("/tmp/日本.txt"))});
        return data;
    }
    static QMimeData* textOnly() {
        auto* data = new QMimeData;
        data->setText(QStringLiteral("just text"));
        return data;
    }

    QTreeWidget* m_tree = nullptr;
    CCategory* m_category = nullptr;
};

void TestCategory::init() {
    m_tree = new QTreeWidget;
    m_tree->resize(240, 300);
    m_category = new CCategory;
    m_category->Create(m_tree, QStringLiteral("すべてのファイル"));
    m_category->Add(QStringLiteral("H1"), QStringLiteral("仕事"));
    m_category->Add(QStringLiteral("H2"), QStringLiteral("趣味"));
    m_category->Add(QStringLiteral("H3"), QStringLiteral("その他"));
    m_tree->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_tree));
}

void TestCategory::cleanup() {
    delete m_category;
    delete m_tree;
}

void TestCategory::categoriesFollowTheRootInCallOrder() {
    QCOMPARE(m_tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = m_tree->topLevelItem(0);
    QCOMPARE(CCategory::NodeKey(root), QStringLiteral("H0"));
    QCOMPARE(root->text(0), QStringLiteral("すべてのファイル"));
    QVERIFY(root->isExpanded());
    QCOMPARE(root->childCount(), 3);
    const QStringList keys{QStringLiteral("H1"), QStringLiteral("H2"), QStringLiteral("H3")};
    const QStringList texts{QStringLiteral("仕事"), QStringLiteral("趣味"),
                            QStringLiteral("その他")};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(CCategory::NodeKey(root->child(i)), keys[i]);
        QCOMPARE(root->child(i)->text(0), texts[i]);
    }

    // The root reopens with every addition, even after the user closed it.
    root->setExpanded(false);
    QTreeWidgetItem* ext = m_category->Add(QStringLiteral("H501"), QStringLiteral("Word"));
    QVERIFY(root->isExpanded());
    QCOMPARE(root->child(3), ext);
    CCategory::setNodeTag(ext, QStringLiteral("doc"));
    QCOMPARE(CCategory::NodeTag(m_category->Node(QStringLiteral("H501"))), QStringLiteral("doc"));
}

void TestCategory::debugIdsAreTaken() {
    CCategory later;
    QVERIFY(m_category->ClassDebugID() > 0);
    QVERIFY(later.ClassDebugID() > m_category->ClassDebugID());
}

void TestCategory::unguardedKeysRaiseClearErrors_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("key");

    QTest::newRow("add of a key in use") << "add"
                                         << "H2";
    QTest::newRow("add of the root key") << "add"
                                         << "H0";
    QTest::newRow("add of a key that is no record key") << "add"
                                                        << "Folder";
    QTest::newRow("select of a missing key") << "select"
                                             << "H42";
    QTest::newRow("select of an empty key") << "select"
                                            << "";
    QTest::newRow("add before create") << "unbound"
                                       << "H5";
}

void TestCategory::unguardedKeysRaiseClearErrors() {
    QFETCH(QString, operation);
    QFETCH(QString, key);
    CCategory unbound;
    try {
        if (operation == QLatin1String("add"))
            m_category->Add(key, QStringLiteral("x"));
        else if (operation == QLatin1String("select"))
            m_category->SelectNode(key);
        else
            unbound.Add(key, QStringLiteral("x"));
        QFAIL("no error was raised");
    } catch (const CError& e) {
        QVERIFY2(e.Text().contains(QLatin1Char('"') + key + QLatin1Char('"')),
                 qPrintable(e.Text()));
    }
    QCOMPARE(m_tree->topLevelItem(0)->childCount(), 3);
}

void TestCategory::clickReportsTheNodeId_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("id");
    QTest::newRow("root") << "H0" << 0;
    QTest::newRow("first category") << "H1" << 1;
    QTest::newRow("last category") << "H3" << 3;
}

void TestCategory::clickReportsTheNodeId() {
    QFETCH(QString, key);
    QFETCH(int, id);
    QSignalSpy click(m_category, &CCategory::OnNodeClick);
    QTest::mouseClick(m_tree->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(key));
    QCOMPARE(click.count(), 1);
    QCOMPARE(click.first().at(0).toInt(), id);
    QCOMPARE(click.first().at(1).value<QTreeWidgetItem*>(), m_category->Node(key));
    QCOMPARE(m_category->SelectedItem(), m_category->Node(key));
}

void TestCategory::selectNodeSelectsWithoutClick() {
    QSignalSpy click(m_category, &CCategory::OnNodeClick);
    QCOMPARE(m_category->SelectedItem(), nullptr);
    m_category->SelectNode(QStringLiteral("H2"));
    QCOMPARE(m_category->SelectedItem(), m_category->Node(QStringLiteral("H2")));
    m_category->SelectNode(QStringLiteral("H0"));
    QCOMPARE(m_category->SelectedItem(), m_category->Node(QStringLiteral("H0")));
    QCOMPARE(click.count(), 0);
}

void TestCategory::keyboardMoveReportsTheNodeReached() {
    m_category->SelectNode(QStringLiteral("H1"));
    QSignalSpy click(m_category, &CCategory::OnNodeClick);
    QTest::keyClick(m_tree, Qt::Key_Down);
    QCOMPARE(click.count(), 1);
    QCOMPARE(click.first().at(0).toInt(), 2);
    m_category->SelectNode(QStringLiteral("H3"));
    QCOMPARE(click.count(), 1);
}

void TestCategory::drops_data() {
    QTest::addColumn<QString>("over"); // key of the node under the pointer; "" = none
    QTest::addColumn<bool>("withFiles");
    QTest::addColumn<int>("drops");
    QTest::addColumn<QString>("highlightAfter");

    QTest::newRow("files on a category") << "H2" << true << 1 << "";
    QTest::newRow("files on the root") << "H0" << true << 1 << "";
    QTest::newRow("files on empty space") << "" << true << 1 << "";
    QTest::newRow("text on a category") << "H2" << false << 0 << "H2";
    QTest::newRow("text on empty space") << "" << false << 0 << "";
}

void TestCategory::drops() {
    QFETCH(QString, over);
    QFETCH(bool, withFiles);
    QFETCH(int, drops);
    QFETCH(QString, highlightAfter);

    QScopedPointer<QMimeData> data(withFiles ? files() : textOnly());
    QSignalSpy dropped(m_category, &CCategory::OnDrop);
    QTreeWidgetItem* highlightSeen = nullptr;
    connect(m_category, &CCategory::OnDrop, this,
            [&] { highlightSeen = m_category->DropHighlight(); });

    const QPoint pos = over.isEmpty() ? emptySpace() : centreOf(over);
    dragOver(pos, data.get());
    QCOMPARE(CCategory::NodeKey(m_category->DropHighlight()), over);
    drag(QEvent::Drop, pos, data.get());

    QCOMPARE(dropped.count(), drops);
    if (drops) {
        QCOMPARE(dropped.first().at(0).value<const QMimeData*>(), data.get());
        QCOMPARE(dropped.first().at(1).value<QTreeWidgetItem*>(),
                 over.isEmpty() ? nullptr : m_category->Node(over));
        QCOMPARE(highlightSeen, dropped.first().at(1).value<QTreeWidgetItem*>());
    }
    QCOMPARE(CCategory::NodeKey(m_category->DropHighlight()), highlightAfter);
}

void TestCategory::leavingKeepsTheHighlight() {
    QScopedPointer<QMimeData> data(files());
    dragOver(centreOf(QStringLiteral("H1")), data.get());
    drag(QEvent::DragLeave, QPoint(), data.get());
    QCOMPARE(m_category->DropHighlight(), m_category->Node(QStringLiteral("H1")));
    // The highlight is painted, and restored once it moves on.
    QTreeWidgetItem* h1 = m_category->Node(QStringLiteral("H1"));
    QVERIFY(h1->data(0, Qt::BackgroundRole).isValid());
    dragOver(centreOf(QStringLiteral("H3")), data.get());
    QVERIFY(!h1->data(0, Qt::BackgroundRole).isValid());

    // A later text drop elsewhere neither reports nor clears it.
    QScopedPointer<QMimeData> text(textOnly());
    QSignalSpy dropped(m_category, &CCategory::OnDrop);
    drag(QEvent::Drop, emptySpace(), text.get());
    QCOMPARE(dropped.count(), 0);
    QCOMPARE(m_category->DropHighlight(), m_category->Node(QStringLiteral("H3")));
}

void TestCategory::zeroPositionClearsTheHighlight() {
    QScopedPointer<QMimeData> data(files());
    const QPoint node = centreOf(QStringLiteral("H1"));
    for (const QPoint& zero : {QPoint(0, node.y()), QPoint(node.x(), 0)}) {
        dragOver(node, data.get());
        QVERIFY(m_category->DropHighlight());
        drag(QEvent::DragMove, zero, data.get());
        QCOMPARE(m_category->DropHighlight(), nullptr);
    }
}

void TestCategory::handlerClearingTheTreeIsSafe() {
    QScopedPointer<QMimeData> data(files());
    connect(m_category, &CCategory::OnDrop, m_tree, &QTreeWidget::clear);
    dragOver(centreOf(QStringLiteral("H2")), data.get());
    drag(QEvent::Drop, centreOf(QStringLiteral("H2")), data.get());
    QCOMPARE(m_tree->topLevelItemCount(), 0);
    QCOMPARE(m_category->DropHighlight(), nullptr);
}

void TestCategory::imagesResolveThroughTheOwnersList() {
    QTreeWidgetItem* root = m_category->Node(QStringLiteral("H0"));
    QTreeWidgetItem* h1 = m_category->Node(QStringLiteral("H1"));
    QVERIFY(h1->icon(0).isNull());    // categories start without image
    QVERIFY(!root->icon(0).isNull()); // no image list yet: a generic icon

    QPixmap red(16, 16);
    red.fill(Qt::red);
    QPixmap blue(16, 16);
    blue.fill(Qt::blue);
    m_category->setImages(
        {{QStringLiteral("H0"), QIcon(red)}, {QStringLiteral("selected"), QIcon(blue)}});
    QCOMPARE(root->icon(0).pixmap(16).toImage().pixelColor(8, 8), QColor(Qt::red));

    m_category->setNodeImage(h1, QStringLiteral("no such image"));
    QVERIFY(!h1->icon(0).isNull());
    m_category->setNodeImage(h1, QStringLiteral("H0"));
    m_category->setNodeSelectedImage(h1, QStringLiteral("selected"));
    QCOMPARE(CCategory::NodeSelectedImage(h1), QStringLiteral("selected"));
    QCOMPARE(h1->icon(0).pixmap(16, QIcon::Normal).toImage().pixelColor(8, 8), QColor(Qt::red));
    QCOMPARE(h1->icon(0).pixmap(16, QIcon::Selected).toImage().pixelColor(8, 8), QColor(Qt::blue));
}

QTEST_MAIN(TestCategory)
#include "tst_category.moc"

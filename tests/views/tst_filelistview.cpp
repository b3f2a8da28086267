#include "CContextMenu.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CListViewControl.h"
#include "CMsghook.h"
#include "support_views.h"

#include <QAction>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <memory>

class TestFileListView : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_desktop = std::make_unique<DesktopStub>();
        m_window = std::make_unique<QWidget>();
        m_window->resize(600, 400);
        m_list = new CListViewControl(m_window.get());
        m_list->setGeometry(0, 0, 600, 400);
        for (const char* title : {"名前", "サイズ", "日付"})
            m_list->AddColumnHeader(title, 2000);
        m_view = std::make_unique<CFileListView>();
        m_view->Create(m_list, new CMsghook(m_window.get()));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() {
        if (QMenu* menu = CContextMenu::CurrentMenu())
            menu->close();
        m_view.reset();
        m_window.reset();
        m_desktop.reset();
    }

    void rowText_data() {
        QTest::addColumn<bool>("shortcut");
        QTest::addColumn<QString>("text");
        QTest::newRow("shortcut: its document's name") << true << "報告 'q' %.doc";
        QTest::newRow("other path: no text") << false << "";
    }
    void rowText() {
        QFETCH(bool, shortcut);
        const QString document = m_desktop->document("報告 'q' %.doc");
        const QString path = shortcut ? m_desktop->shortcut("-r.lnk", document) : document;
        const CListItem item = m_view->Add(path);
        m_list->Model()->Flush();
        QTEST(item.Text(), "text");
        QCOMPARE(m_view->FilePath(item), path);
        QCOMPARE(m_view->FilePathCount(), 1);
        const QModelIndex cell = m_list->model()->index(0, 0);
        QVERIFY(!m_list->model()->data(cell, Qt::DecorationRole).value<QIcon>().isNull());
        // Nothing replaces the rows and their icons once the list is bound.
        QStandardItemModel other(3, 3);
        m_list->setModel(&other);
        QCOMPARE(m_list->model(), m_list->Model());
    }

    void keyAndTagStayWithRowWhenSorted() {
        for (int i = 2; i >= 1; --i)
            addRow(QStringLiteral("doc%1.txt").arg(i)).setKey(QStringLiteral("H%1").arg(i));
        m_list->Model()->Flush();
        for (int i = 1; i <= 2; ++i) {
            QCOMPARE(m_view->Item(i).Text(), QStringLiteral("doc%1.txt").arg(i));
            QCOMPARE(m_view->Key(i), QStringLiteral("H%1").arg(i));
            QCOMPARE(m_view->Tag(i),
                     m_desktop->dir.filePath(QStringLiteral("doc%1.txt.lnk").arg(i)));
        }
    }

    void find_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found");
        QTest::newRow("letter case") << "abc" << QString("XABCY.doc");
        QTest::newRow("full-width letters") << "ＡＢＣ" << QString("XABCY.doc");
        QTest::newRow("full-width in the row") << "zen" << QString("ＺＥＮ.txt");
        QTest::newRow("hiragana finds katakana") << "かな" << QString("カナ表.xls");
        QTest::newRow("katakana finds hiragana") << "メモ" << QString("めもちょう.txt");
        QTest::newRow("half-width katakana") << "ﾒﾓ" << QString("めもちょう.txt");
        QTest::newRow("voiced half-width") << "ﾊﾟｽ" << QString("パスワード.txt");
        QTest::newRow("no match keeps the selection") << "zzz" << QString("alpha.doc");
    }
    void find() {
        QFETCH(QString, text);
        for (const char* name : {"alpha.doc", "XABCY.doc", "ＺＥＮ.txt", "カナ表.xls",
                                 "めもちょう.txt", "パスワード.txt"})
            addRow(name);
        m_view->Item(1).setSelected(true);
        m_view->Find(text);
        QTEST(m_view->SelectedItem().Text(), "found");
    }

    void findNextStartsAfterSelectionAndNeverWraps() {
        for (const char* name : {"ax.doc", "b.doc", "cx.doc", "dx.doc"})
            addRow(name);
        m_list->Model()->Flush();
        m_view->Find(QStringLiteral("X"));
        QCOMPARE(m_view->SelectedItem().Index(), 1);
        m_view->FindNext();
        QCOMPARE(m_view->SelectedItem().Index(), 3);
        QTest::keyClick(m_list, Qt::Key_F3);
        QCOMPARE(m_view->SelectedItem().Index(), 4);
        m_view->FindNext();
        QCOMPARE(m_view->SelectedItem().Index(), 4);
        m_view->Find(QStringLiteral("x")); // Find starts over, even after FindNext
        QCOMPARE(m_view->SelectedItem().Index(), 1);
        m_view->UnselectListItem();
        m_view->FindNext(); // nothing selected: from the first row
        QCOMPARE(m_view->SelectedItem().Index(), 1);
        m_view->Item(2).setSelected(true); // a selection made elsewhere counts too
        QTest::keyClick(m_list, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(m_view->SelectedItem().Index(), 3);
    }

    void clearResetsRowsSelectionAndPaths() {
        addRow("one.doc");
        m_view->Find(QStringLiteral("one"));
        m_view->Clear();
        QCOMPARE(m_view->Count(), 0);
        QVERIFY(m_view->SelectedItem().IsEmpty());
        QCOMPARE(m_view->FilePathCount(), 0);
        QCOMPARE(m_list->model()->rowCount(), 0);
        const CListItem again = addRow("two.doc");
        QCOMPARE(m_view->FilePathCount(), 1);
        QCOMPARE(m_view->FilePath(again), m_desktop->dir.filePath(QStringLiteral("two.doc.lnk")));
    }

    void mouse_data() {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<bool>("onRow");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<int>("menus");
        QTest::addColumn<int>("opened");
        QTest::newRow("click, row") << "click" << true << 1 << 0 << 0;
        QTest::newRow("click, empty space") << "click" << false << 0 << 0 << 0;
        QTest::newRow("right-click, row") << "right" << true << 0 << 1 << 0;
        QTest::newRow("right-click, empty space") << "right" << false << 0 << 0 << 0;
        QTest::newRow("double-click, row") << "double" << true << 1 << 0 << 1;
        QTest::newRow("double-click, empty space") << "double" << false << 0 << 0 << 0;
    }
    void mouse() {
        QFETCH(QString, gesture);
        QFETCH(bool, onRow);
        addRow("one.doc");
        addRow("two words.doc");
        m_list->Model()->Flush();
        m_view->Item(1).setSelected(true);
        QSignalSpy clicks(m_view.get(), &CFileListView::OnItemClick);
        QSignalSpy menus(m_view->ContextMenu(), &CContextMenu::OnMenuShown);
        const QPoint pos = onRow ? rowCenter(2) : QPoint(50, m_list->viewport()->height() - 10);
        click(gesture, pos);
        QTEST(int(clicks.size()), "clicks");
        QTEST(int(menus.size()), "menus");
        QTEST(int(m_desktop->urls.size()), "opened");
        if (!clicks.isEmpty())
            QCOMPARE(clicks.first().first().value<CListItem>().Text(), "two words.doc");
        if (!m_desktop->urls.isEmpty())
            QCOMPARE(m_desktop->urls.first(),
                     QUrl::fromLocalFile(m_desktop->dir.filePath("two words.doc")));
        if (gesture == "right") // the menu's row, or the selection left alone
            QCOMPARE(m_view->SelectedItem().Index(), onRow ? 2 : 1);
        QVERIFY(m_desktop->errors.isEmpty());
    }

    void enterOpensSelectedRow() {
        addRow("one.doc");
        addRow("two.doc");
        m_list->Model()->Flush();
        m_list->setFocus();
        QTest::keyClick(m_list, Qt::Key_Return);
        QVERIFY(m_desktop->urls.isEmpty());
        m_view->Find(QStringLiteral("one"));
        QTest::keyClick(m_list, Qt::Key_Return);
        QTest::keyClick(m_list, Qt::Key_Enter);
        const QUrl one = QUrl::fromLocalFile(m_desktop->dir.filePath("one.doc"));
        QCOMPARE(m_desktop->urls, (QList<QUrl>{one, one}));
    }

    void onlyFileDropsArePassedOn() {
        QSignalSpy drops(m_view.get(), &CFileListView::OnDrop);
        QMimeData text;
        text.setText(QStringLiteral("not a file"));
        dragAndDrop(m_list->viewport(), QPoint(20, 20), &text);
        QCOMPARE(drops.size(), 0);
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(m_desktop->document("dropped.doc"))});
        dragAndDrop(m_list->viewport(), QPoint(20, 20), &files);
        QCOMPARE(drops.size(), 1);
        QCOMPARE(drops.first().first().value<const QMimeData*>(), &files);
    }

    void deleteShortcutRemovesOnlyTheShortcut() {
        addRow("keep.doc");
        addRow("remove.doc");
        m_list->Model()->Flush();
        click("right", rowCenter(2));
        QMenu* menu = CContextMenu::CurrentMenu();
        QVERIFY(menu);
        menu->findChild<QAction*>(QStringLiteral("DeleteShortcut"))->trigger();
        menu->close();
        QVERIFY(!QFileInfo(m_desktop->dir.filePath("remove.doc.lnk")).isSymLink());
        QVERIFY(QFileInfo::exists(m_desktop->dir.filePath("remove.doc")));
        QVERIFY(QFileInfo(m_desktop->dir.filePath("keep.doc.lnk")).isSymLink());
        QCOMPARE(m_view->Count(), 1);
        QCOMPARE(m_view->Item(1).Text(), QStringLiteral("keep.doc"));
    }

private:
    // A row for a shortcut "<document>.lnk" to a new document, as the owner adds it.
    CListItem addRow(const QString& document) {
        const QString link = m_desktop->shortcut(document + ".lnk", m_desktop->document(document));
        QVariantList values{link, QStringLiteral("1 KB"), QStringLiteral("2024/01/02 03:04:05")};
        CListItem item = m_view->AddItem(values);
        item.setTag(link);
        return item;
    }
    QPoint rowCenter(int index) const {
        return m_list->visualRect(m_list->Model()->index(index - 1, 0)).center();
    }
    void click(const QString& gesture, const QPoint& pos) {
        QWidget* viewport = m_list->viewport();
        const bool right = gesture == "right";
        QTest::mouseClick(viewport, right ? Qt::RightButton : Qt::LeftButton, {}, pos);
        if (gesture == "double")
            QTest::mouseDClick(viewport, Qt::LeftButton, {}, pos);
        if (right) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
            QCoreApplication::sendEvent(viewport, &event);
        }
    }

    std::unique_ptr<DesktopStub> m_desktop;
    std::unique_ptr<QWidget> m_window;
    CListViewControl* m_list = nullptr;
    std::unique_ptr<CFileListView> m_view;
};

QTEST_MAIN(TestFileListView)
#include "tst_filelistview.moc"

#include "CContextMenu.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CListViewControl.h"
#include "CMsghook.h"
#include "support_views.h"

#include "BM_Library.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>
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
        const QModelIndex cell = m_list->model()->index(0, 0);
        QVERIFY(!m_list->model()->data(cell, Qt::DecorationRole).value<QIcon>().isNull());
        // Nothing replaces the rows and their icons once the list is bound.
        QStandardItemModel other(3, 3);
        m_list->setModel(&other);
        QCOMPARE(m_list->model(), m_list->Model());
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
        QTest::newRow("full-width digits") << "2024" << QString("report２０２４.doc");
        QTest::newRow("small kana") << "ふぁ" << QString("ファイル.txt");
        QTest::newRow("accented capitals") << "été" << QString("ÉTÉ.doc");
        QTest::newRow("voiced kana differ: no match") << "がな" << QString("alpha.doc");
        QTest::newRow("no match keeps the selection") << "zzz" << QString("alpha.doc");
    }
    void find() {
        QFETCH(QString, text);
        for (const char* name :
             {"alpha.doc", "XABCY.doc", "ＺＥＮ.txt", "カナ表.xls", "めもちょう.txt",
              "パスワード.txt", "report２０２４.doc", "ファイル.txt", "ÉTÉ.doc"})
            addRow(name);
        m_view->Item(1).setSelected(true);
        m_view->Find(text);
        const CListItem row = m_view->SelectedItem();
        QTEST(row.Text(), "found");
        // The owner's key and tag are still the row's after sorting moved it.
        QCOMPARE(m_view->Key(row.Index()), "K" + row.Text());
        QCOMPARE(m_view->Tag(row.Index()), m_desktop->dir.filePath(row.Text() + ".lnk"));
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
        QCOMPARE(m_view->FilePath(addRow("two.doc")), m_desktop->dir.filePath("two.doc.lnk"));
    }

    void sortsByBytesAndTimeTiesByName_data() {
        QTest::addColumn<int>("header");
        QTest::addColumn<QStringList>("ascending");
        // 1.3 MB, 1.5 MB and 1.25 MB as texts; c and d are the same size and age.
        QTest::newRow("size by byte count") << 2 << QStringList{"c.doc", "d.doc", "a.doc", "b.doc"};
        QTest::newRow("date by time") << 3 << QStringList{"b.doc", "c.doc", "d.doc", "a.doc"};
    }
    void sortsByBytesAndTimeTiesByName() {
        QFETCH(int, header);
        QFETCH(QStringList, ascending);
        const QDateTime start(QDate(2024, 5, 1), QTime(9, 0));
        const struct {
            const char* name;
            qint64 bytes;
            int minutes;
        } files[] = {{"d.doc", 1310720, 1},
                     {"a.doc", 1363149, 2},
                     {"b.doc", 1572864, 0},
                     {"c.doc", 1310720, 1}};
        for (const auto& f : files) {
            QFile document(m_desktop->document(f.name));
            QVERIFY(document.open(QIODevice::ReadWrite) && document.resize(f.bytes));
            QVERIFY(document.setFileTime(start.addSecs(qint64(60) * f.minutes),
                                         QFileDevice::FileModificationTime));
            document.close();
            const QString link = m_desktop->shortcut(QString(f.name) + ".lnk", document.fileName());
            QVariantList values{link, BM_Library::FileSizeText(document.fileName()),
                                BM_Library::FileDateTimeText(document.fileName())};
            m_view->AddItem(values);
        }
        m_list->Model()->Flush();
        const int y = m_list->header()->height() / 2;
        for (int order : {0, 1, 0}) {
            const QRect section(m_list->header()->sectionViewportPosition(header - 1), 0,
                                m_list->header()->sectionSize(header - 1), 1);
            QTest::mouseClick(m_list->header()->viewport(), Qt::LeftButton, {},
                              QPoint(section.center().x(), y));
            QStringList names;
            for (int i = 1; i <= m_view->Count(); ++i)
                names << m_view->Item(i).Text();
            QStringList expected = ascending;
            if (order == 1)
                std::reverse(expected.begin(), expected.end());
            QCOMPARE(names, expected);
        }
        QCOMPARE(m_list->accessibleName(), QStringLiteral("ファイル一覧"));
    }

    void gestures_data() {
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
        QTest::newRow("Enter, row selected") << "Enter" << true << 0 << 0 << 1;
        QTest::newRow("keypad Enter, row selected") << "keypad" << true << 0 << 0 << 1;
        QTest::newRow("Enter, nothing selected") << "Enter" << false << 0 << 0 << 0;
    }
    void gestures() {
        QFETCH(QString, gesture);
        QFETCH(bool, onRow);
        addRow("one.doc");
        addRow("two words.doc");
        m_list->Model()->Flush();
        m_view->Item(1).setSelected(true);
        QSignalSpy clicks(m_view.get(), &CFileListView::OnItemClick);
        QSignalSpy menus(m_view->ContextMenu(), &CContextMenu::OnMenuShown);
        const QPoint pos = onRow ? rowCenter(2) : QPoint(50, m_list->viewport()->height() - 10);
        if (gesture == "Enter" || gesture == "keypad") { // opens the selected row
            m_view->Item(onRow ? 2 : 1).setSelected(onRow);
            QTest::keyClick(m_list, gesture == "Enter" ? Qt::Key_Return : Qt::Key_Enter);
        } else {
            click(gesture, pos);
        }
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

    void deleteShortcutRemovesOnlyTheShortcut() {
        addRow("keep.doc");
        addRow("remove.doc");
        m_list->Model()->Flush();
        click("right", rowCenter(2));
        QMenu* menu = CContextMenu::CurrentMenu();
        QVERIFY(menu);
        QTimer yes;
        connect(&yes, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Yes)->click();
        });
        yes.start(10);
        menu->findChild<QAction*>(QStringLiteral("DeleteShortcut"))->trigger();
        menu->close();
        QTRY_VERIFY(!QFileInfo(m_desktop->dir.filePath("remove.doc.lnk")).isSymLink());
        QVERIFY(QFileInfo::exists(m_desktop->dir.filePath("remove.doc")));
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
        item.setKey("K" + document);
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

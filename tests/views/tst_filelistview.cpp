#include "CContextMenu.h"
#include "CError.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CListViewControl.h"
#include "CMsghook.h"
#include "SM_Shell.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <memory>

// Records what the desktop would have been asked to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class TestFileListView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void rowOfShortcutShowsTargetName();
    void rowOfOtherPathHasEmptyTextButEntryAndIcon();
    void addItemEmptiesValues();
    void keyAndTagStayWithRowWhenSorted();
    void find_data();
    void find();
    void findWithoutMatchKeepsSelection();
    void findAndFindNextStartRows();
    void findNextDoesNotWrap();
    void f3ReleasedRunsFindNext();
    void clearResetsRowsSelectionAndPaths();
    void deleteKeepsPathEntry();
    void clickOnRowRaisesItemClick();
    void rightClickOnRowShowsMenu();
    void rightClickOnEmptySpaceDoesNothing();
    void doubleClickOpensDocument();
    void enterOpensSelectedRow();
    void missingDocumentIsReported();
    void dropOfFilesIsPassedOnUnread();
    void menuDeleteShortcutRemovesOnlyShortcut();

private:
    QString makeDocument(const QString& name);
    QString makeShortcut(const QString& name, const QString& target);
    CListItem addRow(const QString& shortcutName, const QString& documentName);
    void settle();
    QPoint rowCenter(int index) const;
    QPoint emptySpot() const;
    void rightClick(const QPoint& pos);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QWidget> m_window;
    CListViewControl* m_list = nullptr;
    CMsghook* m_hook = nullptr;
    std::unique_ptr<CFileListView> m_view;
    UrlCatcher m_catcher;
    QStringList m_errors;
};

void TestFileListView::initTestCase() {
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
    SM_Shell::setErrorReporter([this](QWidget*, const QString& text) { m_errors.append(text); });
}

void TestFileListView::cleanupTestCase() {
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    SM_Shell::setErrorReporter({});
}

void TestFileListView::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_window = std::make_unique<QWidget>();
    m_window->resize(600, 400);
    m_list = new CListViewControl(m_window.get());
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setGeometry(0, 0, 600, 400);
    m_list->AddColumnHeader(QStringLiteral("名前"), 3000);
    m_list->AddColumnHeader(QStringLiteral("サイズ"), 1200);
    m_list->AddColumnHeader(QStringLiteral("日付"), 2400);
    m_hook = new CMsghook(m_window.get());
    m_view = std::make_unique<CFileListView>();
    m_view->Create(m_list, m_hook);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_catcher.urls.clear();
    m_errors.clear();
}

void TestFileListView::cleanup() {
    if (QMenu* menu = CContextMenu::CurrentMenu())
        menu->close();
    m_view.reset();
    m_window.reset();
    m_dir.reset();
}

QString TestFileListView::makeDocument(const QString& name) {
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("document");
    return path;
}

QString TestFileListView::makeShortcut(const QString& name, const QString& target) {
    const QString path = m_dir->filePath(name);
    return QFile::link(target, path) ? path : QString();
}

CListItem TestFileListView::addRow(const QString& shortcutName, const QString& documentName) {
    const QString link = makeShortcut(shortcutName, makeDocument(documentName));
    QVariantList values{link, QStringLiteral("1 KB"), QStringLiteral("2024/01/02 03:04:05")};
    CListItem item = m_view->AddItem(values);
    item.setTag(link);
    return item;
}

void TestFileListView::settle() {
    m_list->Model()->Flush();
    QCoreApplication::processEvents();
}

QPoint TestFileListView::rowCenter(int index) const {
    return m_list->visualRect(m_list->Model()->index(index - 1, 0)).center();
}

QPoint TestFileListView::emptySpot() const {
    return QPoint(50, m_list->viewport()->height() - 10);
}

void TestFileListView::rightClick(const QPoint& pos) {
    QWidget* viewport = m_list->viewport();
    QTest::mousePress(viewport, Qt::RightButton, {}, pos);
    QTest::mouseRelease(viewport, Qt::RightButton, {}, pos);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
    QCoreApplication::sendEvent(viewport, &menuEvent);
}

void TestFileListView::rowOfShortcutShowsTargetName() {
    const CListItem item =
        addRow(QStringLiteral("report.doc.lnk"), QStringLiteral("報告 'q' %.doc"));
    QCOMPARE(item.Text(), QStringLiteral("報告 'q' %.doc"));
    QCOMPARE(item.SubItems(1), QStringLiteral("1 KB"));
    QCOMPARE(m_view->FilePath(item), m_dir->filePath(QStringLiteral("report.doc.lnk")));
    QCOMPARE(m_view->Count(), 1);
    QCOMPARE(m_view->ColumnCount(), 3);
}

void TestFileListView::rowOfOtherPathHasEmptyTextButEntryAndIcon() {
    const QString plain = makeDocument(QStringLiteral("plain.txt"));
    const CListItem item = m_view->Add(plain);
    settle();
    QVERIFY(item.Text().isEmpty());
    QCOMPARE(m_view->FilePath(item), plain);
    QCOMPARE(m_view->FilePathCount(), 1);
    const QVariant icon = m_list->model()->data(m_list->model()->index(0, 0), Qt::DecorationRole);
    QVERIFY(!icon.value<QIcon>().isNull());
    // Nothing replaces the rows and their icons once the list is bound.
    QStandardItemModel other(3, 3);
    m_list->setModel(&other);
    QCOMPARE(m_list->model(), m_list->Model());
    QCOMPARE(m_list->model()->rowCount(), 1);
}

void TestFileListView::addItemEmptiesValues() {
    const QString link =
        makeShortcut(QStringLiteral("a.lnk"), makeDocument(QStringLiteral("a.txt")));
    QVariantList values{link, QVariant(qint64(12)), QStringLiteral("date")};
    const CListItem item = m_view->AddItem(values);
    QVERIFY(values.isEmpty());
    QCOMPARE(item.SubItems(1), QStringLiteral("12"));
    QCOMPARE(item.SubItems(2), QStringLiteral("date"));
}

void TestFileListView::keyAndTagStayWithRowWhenSorted() {
    // Rows arrive in reverse name order; the sorted list shows them ascending,
    // each with the key and tag given to it.
    for (int i = 9; i >= 1; --i) {
        CListItem item =
            addRow(QStringLiteral("s%1.lnk").arg(i), QStringLiteral("doc%1.txt").arg(i));
        item.setKey(QStringLiteral("H%1").arg(i));
    }
    settle();
    for (int i = 1; i <= 9; ++i) {
        QCOMPARE(m_view->Item(i).Text(), QStringLiteral("doc%1.txt").arg(i));
        QCOMPARE(m_view->Key(i), QStringLiteral("H%1").arg(i));
        QCOMPARE(m_view->Tag(i), m_dir->filePath(QStringLiteral("s%1.lnk").arg(i)));
    }
    QVERIFY(m_view->Item(10).IsEmpty());
}

void TestFileListView::find_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("found");
    QTest::newRow("letter case") << "abc"
                                 << "XABCY.doc";
    QTest::newRow("full-width letters") << "ＡＢＣ"
                                        << "XABCY.doc";
    QTest::newRow("full-width in the row") << "zen"
                                           << "ＺＥＮ.txt";
    QTest::newRow("hiragana finds katakana") << "かな"
                                             << "カナ表.xls";
    QTest::newRow("katakana finds hiragana") << "メモ"
                                             << "めもちょう.txt";
    QTest::newRow("half-width katakana") << "ﾒﾓ"
                                         << "めもちょう.txt";
    QTest::newRow("voiced half-width") << "ﾊﾟｽ"
                                       << "パスワード.txt";
}

void TestFileListView::find() {
    QFETCH(QString, text);
    QFETCH(QString, found);
    const QStringList names{"alpha.doc",  "XABCY.doc",      "ＺＥＮ.txt",
                            "カナ表.xls", "めもちょう.txt", "パスワード.txt"};
    int n = 0;
    for (const QString& name : names)
        addRow(QStringLiteral("l%1.lnk").arg(++n), name);
    m_view->Find(text);
    QCOMPARE(m_view->SelectedItem().Text(), found);
}

void TestFileListView::findWithoutMatchKeepsSelection() {
    addRow(QStringLiteral("1.lnk"), QStringLiteral("one.doc"));
    addRow(QStringLiteral("2.lnk"), QStringLiteral("two.doc"));
    m_view->Find(QStringLiteral("two"));
    QCOMPARE(m_view->SelectedItem().Text(), QStringLiteral("two.doc"));
    m_view->Find(QStringLiteral("three"));
    QCOMPARE(m_view->SelectedItem().Text(), QStringLiteral("two.doc"));
}

void TestFileListView::findAndFindNextStartRows() {
    for (const char* name : {"a1.doc", "a2.doc", "a3.doc", "b.doc"})
        addRow(QString::fromLatin1(name) + QStringLiteral(".lnk"), QString::fromLatin1(name));
    m_view->Find(QStringLiteral("A"));
    QCOMPARE(m_view->SelectedItem().Index(), 1);
    m_view->FindNext();
    QCOMPARE(m_view->SelectedItem().Index(), 2);
    // Find starts over at the first row, even right after FindNext.
    m_view->Find(QStringLiteral("a"));
    QCOMPARE(m_view->SelectedItem().Index(), 1);
    // With nothing selected FindNext starts at the first row.
    m_view->UnselectListItem();
    QVERIFY(m_view->SelectedItem().IsEmpty());
    m_view->FindNext();
    QCOMPARE(m_view->SelectedItem().Index(), 1);
    // FindNext starts after the selected row, wherever the selection came from.
    m_view->Item(3).setSelected(true);
    m_view->FindNext();
    QCOMPARE(m_view->SelectedItem().Index(), 3); // no "a" after row 3
}

void TestFileListView::findNextDoesNotWrap() {
    for (const char* name : {"x1.doc", "y.doc", "x2.doc"})
        addRow(QString::fromLatin1(name) + QStringLiteral(".lnk"), QString::fromLatin1(name));
    m_view->Find(QStringLiteral("x"));
    QCOMPARE(m_view->SelectedItem().Text(), QStringLiteral("x1.doc"));
    m_view->FindNext();
    QCOMPARE(m_view->SelectedItem().Text(), QStringLiteral("x2.doc"));
    m_view->FindNext();
    QCOMPARE(m_view->SelectedItem().Text(), QStringLiteral("x2.doc"));
}

void TestFileListView::f3ReleasedRunsFindNext() {
    for (const char* name : {"m1.doc", "m2.doc", "m3.doc"})
        addRow(QString::fromLatin1(name) + QStringLiteral(".lnk"), QString::fromLatin1(name));
    settle();
    // Before any search F3 looks for empty text, which every named row holds,
    // from the row after the selected one.
    m_view->Item(1).setSelected(true);
    QTest::keyClick(m_list, Qt::Key_F3);
    QCOMPARE(m_view->SelectedItem().Index(), 2);
    m_view->Find(QStringLiteral("m1"));
    QTest::keyClick(m_list, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(m_view->SelectedItem().Index(), 1); // no second "m1": nothing changes
}

void TestFileListView::clearResetsRowsSelectionAndPaths() {
    addRow(QStringLiteral("1.lnk"), QStringLiteral("one.doc"));
    addRow(QStringLiteral("2.lnk"), QStringLiteral("two.doc"));
    m_view->Find(QStringLiteral("two"));
    QVERIFY(!m_view->SelectedItem().IsEmpty());
    m_view->Clear();
    QCOMPARE(m_view->Count(), 0);
    QVERIFY(m_view->SelectedItem().IsEmpty());
    QCOMPARE(m_view->FilePathCount(), 0);
    QCOMPARE(m_list->model()->rowCount(), 0);
    const CListItem again = addRow(QStringLiteral("3.lnk"), QStringLiteral("three.doc"));
    QCOMPARE(m_view->FilePathCount(), 1);
    QCOMPARE(m_view->FilePath(again), m_dir->filePath(QStringLiteral("3.lnk")));
}

void TestFileListView::deleteKeepsPathEntry() {
    addRow(QStringLiteral("1.lnk"), QStringLiteral("one.doc"));
    addRow(QStringLiteral("2.lnk"), QStringLiteral("two.doc"));
    m_view->Delete(1);
    QCOMPARE(m_view->Count(), 1);
    QCOMPARE(m_view->Item(1).Text(), QStringLiteral("two.doc"));
    QCOMPARE(m_view->FilePathCount(), 2);
    QVERIFY_THROWS_EXCEPTION(CError, m_view->Delete(2));
    QVERIFY_THROWS_EXCEPTION(CError, m_view->Delete(0));
}

void TestFileListView::clickOnRowRaisesItemClick() {
    addRow(QStringLiteral("1.lnk"), QStringLiteral("one.doc"));
    addRow(QStringLiteral("2.lnk"), QStringLiteral("two.doc"));
    settle();
    QSignalSpy clicks(m_view.get(), &CFileListView::OnItemClick);
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, rowCenter(2));
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(clicks.first().first().value<CListItem>().Text(), QStringLiteral("two.doc"));
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, emptySpot());
    QCOMPARE(clicks.size(), 1);
}

void TestFileListView::rightClickOnRowShowsMenu() {
    addRow(QStringLiteral("1.lnk"), QStringLiteral("one.doc"));
    addRow(QStringLiteral("2.lnk"), QStringLiteral("two.doc"));
    settle();
    QSignalSpy shown(m_view->ContextMenu(), &CContextMenu::OnMenuShown);
    rightClick(rowCenter(2));
    QCOMPARE(shown.size(), 1);
    QMenu* menu = CContextMenu::CurrentMenu();
    QVERIFY(menu);
    QVERIFY(menu->findChild<QAction*>(QStringLiteral("DeleteShortcut"))->isEnabled());
    QCOMPARE(m_view->SelectedItem().Text(), QStringLiteral("two.doc"));
    // Closing without a choice runs nothing.
    menu->close();
    QTRY_VERIFY(!CContextMenu::CurrentMenu());
    QVERIFY(m_catcher.urls.isEmpty());
    QVERIFY(QFileInfo(m_dir->filePath(QStringLiteral("2.lnk"))).isSymLink());
}

void TestFileListView::rightClickOnEmptySpaceDoesNothing() {
    addRow(QStringLiteral("1.lnk"), QStringLiteral("one.doc"));
    settle();
    m_view->Item(1).setSelected(true);
    QSignalSpy shown(m_view->ContextMenu(), &CContextMenu::OnMenuShown);
    rightClick(emptySpot());
    QCOMPARE(shown.size(), 0);
    QVERIFY(!CContextMenu::CurrentMenu());
    // The list did not react either: the selection is as it was.
    QCOMPARE(m_view->SelectedItem().Index(), 1);
}

void TestFileListView::doubleClickOpensDocument() {
    addRow(QStringLiteral("1.lnk"), QStringLiteral("one.doc"));
    addRow(QStringLiteral("2.lnk"), QStringLiteral("two words.doc"));
    settle();
    QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {}, emptySpot());
    QVERIFY(m_catcher.urls.isEmpty());
    QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {}, rowCenter(2));
    QCOMPARE(m_catcher.urls.size(), 1);
    QCOMPARE(m_catcher.urls.first(),
             QUrl::fromLocalFile(m_dir->filePath(QStringLiteral("two words.doc"))));
    QVERIFY(m_errors.isEmpty());
}

void TestFileListView::enterOpensSelectedRow() {
    addRow(QStringLiteral("1.lnk"), QStringLiteral("one.doc"));
    addRow(QStringLiteral("2.lnk"), QStringLiteral("two.doc"));
    settle();
    m_list->setFocus();
    QTest::keyClick(m_list, Qt::Key_Return);
    QVERIFY(m_catcher.urls.isEmpty());
    m_view->Find(QStringLiteral("one"));
    QTest::keyClick(m_list, Qt::Key_Return);
    QTest::keyClick(m_list, Qt::Key_Enter);
    QCOMPARE(m_catcher.urls.size(), 2);
    QCOMPARE(m_catcher.urls.first(),
             QUrl::fromLocalFile(m_dir->filePath(QStringLiteral("one.doc"))));
}

void TestFileListView::missingDocumentIsReported() {
    addRow(QStringLiteral("gone.lnk"), QStringLiteral("gone.doc"));
    settle();
    QVERIFY(QFile::remove(m_dir->filePath(QStringLiteral("gone.doc"))));
    QVERIFY(!m_view->OpenItem(0));
    QVERIFY(m_catcher.urls.isEmpty());
    QCOMPARE(m_errors.size(), 1);
    QVERIFY(m_errors.first().contains(QStringLiteral("gone.doc")));
}

void TestFileListView::dropOfFilesIsPassedOnUnread() {
    QSignalSpy drops(m_view.get(), &CFileListView::OnDrop);
    auto dropOn = [this](QMimeData* data) {
        QWidget* viewport = m_list->viewport();
        const QPoint at(20, 20);
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(viewport, &move);
        QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(viewport, &drop);
    };
    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    dropOn(&text);
    QCOMPARE(drops.size(), 0);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(makeDocument(QStringLiteral("dropped.doc")))});
    files.setData(QStringLiteral("application/x-extra"), "kept");
    dropOn(&files);
    QCOMPARE(drops.size(), 1);
    QCOMPARE(drops.first().first().value<const QMimeData*>(), &files);
}

void TestFileListView::menuDeleteShortcutRemovesOnlyShortcut() {
    addRow(QStringLiteral("keep.lnk"), QStringLiteral("keep.doc"));
    addRow(QStringLiteral("remove.lnk"), QStringLiteral("remove.doc"));
    settle();
    rightClick(rowCenter(2));
    QMenu* menu = CContextMenu::CurrentMenu();
    QVERIFY(menu);
    menu->findChild<QAction*>(QStringLiteral("DeleteShortcut"))->trigger();
    menu->close();
    const QFileInfo link(m_dir->filePath(QStringLiteral("remove.lnk")));
    QVERIFY(!link.exists() && !link.isSymLink());
    QVERIFY(QFileInfo::exists(m_dir->filePath(QStringLiteral("remove.doc"))));
    QVERIFY(QFileInfo(m_dir->filePath(QStringLiteral("keep.lnk"))).isSymLink());
    QCOMPARE(m_view->Count(), 1);
    QCOMPARE(m_view->Item(1).Text(), QStringLiteral("keep.doc"));
}

QTEST_MAIN(TestFileListView)
#include "tst_filelistview.moc"

#include "CContextMenu.h"
#include "SM_Shell.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class TestContextMenu : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void splitFileNames_data();
    void splitFileNames();
    void emptyFirstNameShowsNothing();
    void onlyOneMenuIsOpen();
    void closingWithoutChoiceRunsNothing();
    void openOpensTheDocument();
    void showInFolderWithoutBusOpensFolder();
    void copyPathCopiesDocumentPaths();
    void deleteShortcutRemovesOnlyLinks();
    void deleteIsOfferedForShortcutsOnly();
    void propertiesShowWithoutBlocking();

private:
    QString makeDocument(const QString& name);
    QString makeShortcut(const QString& name, const QString& target);
    QAction* action(QMenu* menu, const char* name);

    QTemporaryDir* m_dir = nullptr;
    QWidget* m_owner = nullptr;
    CContextMenu* m_menu = nullptr;
    UrlCatcher m_catcher;
    QStringList m_errors;
};

void TestContextMenu::initTestCase() {
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
    SM_Shell::setErrorReporter([this](QWidget*, const QString& text) { m_errors.append(text); });
}

void TestContextMenu::cleanupTestCase() {
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    SM_Shell::setErrorReporter({});
}

void TestContextMenu::init() {
    m_dir = new QTemporaryDir;
    m_owner = new QWidget;
    m_menu = new CContextMenu;
    QVERIFY(!m_menu->Create(m_owner));
    QCOMPARE(m_menu->Owner(), m_owner);
    m_catcher.urls.clear();
    m_errors.clear();
}

void TestContextMenu::cleanup() {
    if (QMenu* menu = CContextMenu::CurrentMenu())
        menu->close();
    delete m_menu;
    delete m_owner;
    delete m_dir;
}

QString TestContextMenu::makeDocument(const QString& name) {
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("0123456789");
    return path;
}

QString TestContextMenu::makeShortcut(const QString& name, const QString& target) {
    const QString path = m_dir->filePath(name);
    return QFile::link(target, path) ? path : QString();
}

QAction* TestContextMenu::action(QMenu* menu, const char* name) {
    return menu ? menu->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
}

void TestContextMenu::splitFileNames_data() {
    QTest::addColumn<QString>("fileNames");
    QTest::addColumn<QStringList>("names");
    const QChar nul(0);
    QTest::newRow("one") << "/a/b.lnk" << QStringList{"/a/b.lnk"};
    QTest::newRow("two") << QString("/a/b" + QString(nul) + "/a/c") << QStringList{"/a/b", "/a/c"};
    QTest::newRow("after double NUL")
        << QString("/a/b" + QString(2, nul) + "/a/c") << QStringList{"/a/b"};
    QTest::newRow("trailing NUL") << QString("/a/b" + QString(nul)) << QStringList{"/a/b"};
    QTest::newRow("empty") << QString() << QStringList{};
    QTest::newRow("double NUL first") << QString(QString(2, nul) + "/a/b") << QStringList{};
}

void TestContextMenu::splitFileNames() {
    QFETCH(QString, fileNames);
    QFETCH(QStringList, names);
    QCOMPARE(CContextMenu::SplitFileNames(fileNames), names);
}

void TestContextMenu::emptyFirstNameShowsNothing() {
    QSignalSpy shown(m_menu, &CContextMenu::OnMenuShown);
    QVERIFY(!m_menu->ShowMenu(QString(), 0));
    QVERIFY(!m_menu->ShowMenuAt(QString(QChar(0)) + QStringLiteral("/x"), QPoint(5, 5)));
    QCOMPARE(shown.size(), 0);
    QVERIFY(!CContextMenu::CurrentMenu());
}

void TestContextMenu::onlyOneMenuIsOpen() {
    const QString first = makeShortcut("a.lnk", makeDocument("a.txt"));
    const QString second = makeShortcut("b.lnk", makeDocument("b.txt"));
    QMenu* one = m_menu->ShowMenuAt(first, QPoint(10, 10));
    QPointer<QMenu> watch = one;
    CContextMenu other;
    QMenu* two = other.ShowMenuAt(second, QPoint(20, 20));
    QVERIFY(two);
    QCOMPARE(CContextMenu::CurrentMenu(), two);
    QTRY_VERIFY(!watch);
    two->close();
}

void TestContextMenu::closingWithoutChoiceRunsNothing() {
    const QString document = makeDocument("a.txt");
    const QString link = makeShortcut("a.lnk", document);
    QPointer<QMenu> menu = m_menu->ShowMenuAt(link, QPoint(10, 10));
    QVERIFY(menu);
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY(!menu);
    QVERIFY(m_catcher.urls.isEmpty());
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(m_errors.isEmpty());
}

void TestContextMenu::openOpensTheDocument() {
    const QString document = makeDocument("メモ 'a' %20.txt");
    const QString link = makeShortcut("-m.lnk", document);
    QMenu* menu = m_menu->ShowMenuAt(link, QPoint(10, 10));
    action(menu, "Open")->trigger();
    QCOMPARE(m_catcher.urls, QList<QUrl>{QUrl::fromLocalFile(document)});
}

void TestContextMenu::showInFolderWithoutBusOpensFolder() {
    // The tests run without a session bus: the folder itself is opened.
    const QString document = makeDocument("a.txt");
    QMenu* menu = m_menu->ShowMenuAt(makeShortcut("a.lnk", document), QPoint(10, 10));
    action(menu, "ShowInFolder")->trigger();
    QTRY_COMPARE(m_catcher.urls.size(), 1);
    QCOMPARE(QDir(m_catcher.urls.first().toLocalFile()), QDir(m_dir->path()));
}

void TestContextMenu::copyPathCopiesDocumentPaths() {
    const QString a = makeDocument("a.txt");
    const QString b = makeDocument("b.txt");
    const QString names = makeShortcut("a.lnk", a) + QChar(0) + b;
    QMenu* menu = m_menu->ShowMenuAt(names, QPoint(10, 10));
    action(menu, "CopyPath")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), a + QLatin1Char('\n') + b);
}

void TestContextMenu::deleteShortcutRemovesOnlyLinks() {
    const QString a = makeDocument("a.txt");
    const QString b = makeDocument("b.txt");
    const QString linkA = makeShortcut("a.lnk", a);
    const QString linkB = makeShortcut("b.lnk", b);
    QSignalSpy deleted(m_menu, &CContextMenu::OnShortcutDeleted);
    QMenu* menu = m_menu->ShowMenuAt(linkA + QChar(0) + linkB, QPoint(10, 10));
    action(menu, "DeleteShortcut")->trigger();
    QCOMPARE(deleted.size(), 2);
    QCOMPARE(deleted.at(0).first().toString(), linkA);
    QVERIFY(!QFileInfo(linkA).isSymLink() && !QFileInfo(linkB).isSymLink());
    QVERIFY(QFileInfo::exists(a) && QFileInfo::exists(b));
}

void TestContextMenu::deleteIsOfferedForShortcutsOnly() {
    const QString document = makeDocument("a.txt");
    QMenu* menu = m_menu->ShowMenuAt(document, QPoint(10, 10));
    QAction* remove = action(menu, "DeleteShortcut");
    QVERIFY(!remove->isEnabled());
    remove->trigger(); // a disabled action does nothing
    QVERIFY(QFileInfo::exists(document));
    // A shortcut whose document has gone can still be deleted.
    const QString dead = makeShortcut("dead.lnk", m_dir->filePath("gone.txt"));
    menu = m_menu->ShowMenuAt(dead, QPoint(10, 10));
    QVERIFY(action(menu, "DeleteShortcut")->isEnabled());
    action(menu, "DeleteShortcut")->trigger();
    QVERIFY(!QFileInfo(dead).isSymLink());
}

void TestContextMenu::propertiesShowWithoutBlocking() {
    const QString document = makeDocument("a.txt");
    QMenu* menu = m_menu->ShowMenuAt(makeShortcut("a.lnk", document), QPoint(10, 10));
    action(menu, "Properties")->trigger();
    QWidget* box = m_owner->findChild<QWidget*>(QStringLiteral("Properties"));
    QVERIFY(box);
    QVERIFY(box->isVisible());
    const QString text = box->property("text").toString();
    QVERIFY(text.contains(QStringLiteral("a.txt")));
    QVERIFY(text.contains(m_dir->filePath("a.lnk")));
    box->close();
}

QTEST_MAIN(TestContextMenu)
#include "tst_contextmenu.moc"

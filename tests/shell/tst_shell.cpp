#include "CContextMenu.h"
#include "CMsghook.h"
#include "SM_Shell.h"
#include "support_shell.h"

#include <QtTest>
#include <QtWidgets>
#include <memory>

class TestShell : public QObject {
    Q_OBJECT

private slots:
    // A desktop that names no theme (openbox, i3: Qt reads "hicolor"), whose
    // style looks up an icon before any document is shown.
    void initTestCase() {
        QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() +
                                   QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                             "icons",
                                                             QStandardPaths::LocateDirectory));
        QIcon::setThemeName("hicolor");
        QIcon::fromTheme("edit-copy");
    }
    void init() {
        m_desktop = std::make_unique<DesktopStub>();
        m_owner = std::make_unique<QWidget>();
        m_menu = std::make_unique<CContextMenu>();
        m_menu->Create(m_owner.get());
    }
    void cleanup() {
        if (QMenu* menu = CContextMenu::CurrentMenu())
            menu->close();
        m_menu.reset();
        m_owner.reset();
        m_desktop.reset();
    }

    void iconsAreSharedPerType() {
        const int pdf = SM_Shell::DocumentIconIndex("/nowhere/a.pdf");
        QCOMPARE(SM_Shell::DocumentIconIndex("/nowhere/b.PDF"), pdf);
        QCOMPARE(SM_Shell::DocumentIconIndex("/nowhere/report.final.pdf"), pdf);
        for (int index : {SM_Shell::DocumentIconIndex("/nowhere/README"), -1, 1 << 20})
            QVERIFY(!SM_Shell::SystemIcon(index).isNull());
        // More suffixes than are remembered as written: the types below are
        // told apart all the same.
        for (int i = 0; i < 20; ++i)
            SM_Shell::DocumentIconIndex(QStringLiteral("/nowhere/a.x%1").arg(i));
        QCOMPARE(SM_Shell::DocumentIconIndex("/nowhere/c.Pdf"), pdf);
        // Each type its own icon, none the blank page of every document.
        QSet<int> types{0};
        for (const char* name : {"a.odt", "a.txt", "a.png", "a.ods", "a.mp3"})
            types.insert(SM_Shell::DocumentIconIndex(QString("/nowhere/") + name));
        QCOMPARE(types.size(), 6);
    }

    // kind: 0 shortcut, 1 shortcut to nothing, 2 not a shortcut; shown in the
    // file manager (no session bus: its folder opened) or opened.
    void desktopCalls_data() {
        QTest::addColumn<bool>("show");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("done");
        QTest::newRow("open odd name") << false << "-x 'q' \"d\" %41 #1 日本語.txt" << 0 << true;
        QTest::newRow("open, document gone") << false << "missing.txt" << 1 << false;
        QTest::newRow("open, unreadable shortcut") << false << "bogus" << 2 << false;
        QTest::newRow("show") << true << "shown.txt" << 0 << true;
        QTest::newRow("show, document gone, folder there") << true << "gone.txt" << 1 << true;
        QTest::newRow("show, folder gone") << true << "no/such/folder/x.txt" << 1 << false;
    }
    void desktopCalls() {
        QFETCH(bool, show);
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(bool, done);
        const QString document =
            kind == 0 ? m_desktop->document(name) : m_desktop->dir.filePath(name);
        if (show) {
            QCOMPARE(SM_Shell::ShowInFolder(document), done);
            if (done) {
                QTRY_COMPARE(m_desktop->urls.size(), 1);
                QCOMPARE(QDir(m_desktop->urls.first().toLocalFile()), QDir(m_desktop->dir.path()));
            }
        } else {
            const QString link = kind == 2 ? m_desktop->document(name + ".lnk")
                                           : m_desktop->shortcut(name + ".lnk", document);
            QCOMPARE(SM_Shell::OpenDocument(link), done);
            if (done)
                QCOMPARE(m_desktop->urls, QList<QUrl>{QUrl::fromLocalFile(document)});
            else
                QVERIFY(m_desktop->errors.value(0).contains(name));
        }
        QCOMPARE(m_desktop->errors.size(), done ? 0 : 1);
        if (!done)
            QVERIFY(m_desktop->urls.isEmpty());
    }

    void hookDelivery_data() {
        QTest::addColumn<bool>("mouse"); // a press on the viewport, else a key press
        QTest::addColumn<bool>("switchedOn");
        QTest::addColumn<bool>("bound");
        QTest::addColumn<bool>("handles");
        // Events delivered to the hook, and handled by the list: a key press
        // moves its current row down one, a press on the viewport to row 2.
        QTest::addColumn<QString>("counts");
        QTest::newRow("type not switched on") << false << false << true << true << "01";
        QTest::newRow("passed on") << false << true << true << false << "11";
        QTest::newRow("handled") << false << true << true << true << "10";
        QTest::newRow("unbound") << false << true << false << true << "01";
        QTest::newRow("viewport press handled") << true << true << true << true << "10";
    }
    void hookDelivery() {
        QFETCH(bool, mouse);
        QFETCH(bool, switchedOn);
        QFETCH(bool, bound);
        QFETCH(bool, handles);
        QListWidget list;
        list.addItems({"a", "b", "c", "d"});
        list.setCurrentRow(0);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        auto hook = std::make_unique<CMsghook>();
        hook->setHwndHook(&list);
        hook->setMessage(mouse ? QEvent::MouseButtonPress : QEvent::KeyPress, switchedOn);
        QList<QObject*> targets;
        connect(hook.get(), &CMsghook::OnMessage, hook.get(),
                [&](QObject* target, QEvent*, bool* handled) {
                    targets.append(target);
                    *handled = handles;
                });
        if (!bound)
            hook->setHwndHook(nullptr);
        const QPoint row2 = list.visualItemRect(list.item(2)).center();
        mouse ? QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row2)
              : QTest::keyClick(&list, Qt::Key_Down);
        const int handled = mouse ? list.currentRow() / 2 : list.currentRow();
        QTEST(QString("%1%2").arg(targets.size()).arg(handled), "counts");
        if (!targets.isEmpty())
            QCOMPARE(targets.first(), mouse ? list.viewport() : &list);
        const int row = list.currentRow();
        hook.reset(); // the hook may end first: no filter is left behind
        QTest::keyClick(&list, Qt::Key_Down);
        QCOMPARE(list.currentRow(), row + 1);
    }

    void fileNames_data() {
        QTest::addColumn<QString>("fileNames"); // '|' stands for NUL
        QTest::addColumn<QStringList>("names");
        QTest::newRow("two") << "/a/b|/a/c" << QStringList{"/a/b", "/a/c"};
        QTest::newRow("after double NUL") << "/a/b||/a/c" << QStringList{"/a/b"};
        QTest::newRow("trailing NUL") << "/a/b|" << QStringList{"/a/b"};
        QTest::newRow("empty first name") << "|/a/b" << QStringList{"", "/a/b"};
    }
    void fileNames() {
        QFETCH(QString, fileNames);
        fileNames.replace(u'|', QChar(0));
        QFETCH(QStringList, names);
        QCOMPARE(CContextMenu::SplitFileNames(fileNames), names);
        // An empty first name shows no menu.
        QCOMPARE(m_menu->ShowMenuAt(fileNames, QPoint(5, 5)) != nullptr, !names.value(0).isEmpty());
    }

    void menuCommands_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("open") << "Open";
        QTest::newRow("copy path") << "CopyPath";
        QTest::newRow("properties, not modal") << "Properties";
        // Another menu opening closes this one: only one is ever open.
        QTest::newRow("closed by another, no choice") << "";
    }
    void menuCommands() {
        QFETCH(QString, command);
        const QString document = m_desktop->document("メモ 'a' %20.txt");
        const QString link = m_desktop->shortcut("-m.lnk", document);
        QPointer<QMenu> menu = m_menu->ShowMenuAt(link, QPoint(10, 10));
        QVERIFY(menu);
        if (command.isEmpty()) {
            CContextMenu other;
            QMenu* two = other.ShowMenuAt(m_desktop->document("b.txt"), QPoint(20, 20));
            QVERIFY(two && CContextMenu::CurrentMenu() == two);
            QTRY_VERIFY(!menu);
            two->close();
            QVERIFY(m_desktop->urls.isEmpty() && QFileInfo(link).isSymLink());
        } else {
            menu->findChild<QAction*>(command)->trigger();
        }
        if (command == "Open") {
            QCOMPARE(m_desktop->urls, QList<QUrl>{QUrl::fromLocalFile(document)});
        } else if (command == "CopyPath") {
            QCOMPARE(QGuiApplication::clipboard()->text(), document);
        } else if (command == "Properties") {
            auto* box = m_owner->findChild<QWidget*>("Properties");
            QVERIFY(box && box->isVisible() && box->property("text").toString().contains(link));
            box->close();
        }
        QVERIFY(m_desktop->errors.isEmpty());
    }

    // Only the shortcuts go, never the documents. Answering No and the recent
    // list's rows are guarded by the main window's delete test.
    void deleteShortcut_data() {
        QTest::addColumn<QString>("targets"); // one shortcut each; none: a document itself
        QTest::addColumn<QString>("asked");
        QTest::newRow("two shortcuts") << "a.txt b.txt" << QString("2 個のファイル");
        QTest::newRow("shortcut to a gone document") << "gone.txt" << QString("「gone.txt」");
        QTest::newRow("a document, not a shortcut") << "" << QString();
    }
    void deleteShortcut() {
        QFETCH(QString, targets);
        QFETCH(QString, asked);
        const QStringList documents{m_desktop->document("a.txt"), m_desktop->document("b.txt")};
        QStringList paths;
        for (const QString& target : targets.split(' ', Qt::SkipEmptyParts))
            paths << m_desktop->shortcut(target + ".lnk", m_desktop->dir.filePath(target));
        if (paths.isEmpty())
            paths << documents.first();
        QSignalSpy deleted(m_menu.get(), &CContextMenu::OnShortcutDeleted);
        QMenu* menu = m_menu->ShowMenuAt(paths.join(QChar(0)), QPoint(10, 10));
        QAction* remove = menu->findChild<QAction*>("DeleteShortcut");
        QCOMPARE(remove->isEnabled(), !asked.isEmpty());
        if (asked.isEmpty())
            return;
        QString text;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                box->button(QMessageBox::Yes)->click();
            }
        });
        answer.start(10);
        remove->trigger();
        QTRY_VERIFY(!text.isEmpty());
        QVERIFY2(text.contains(asked) && text.contains("すべてのカテゴリ"), qPrintable(text));
        QTRY_COMPARE(deleted.size(), paths.size());
        for (const QString& path : paths)
            QVERIFY(!QFileInfo(path).isSymLink());
        QVERIFY(QFileInfo::exists(documents[0]) && QFileInfo::exists(documents[1]));
    }

private:
    std::unique_ptr<DesktopStub> m_desktop;
    std::unique_ptr<QWidget> m_owner;
    std::unique_ptr<CContextMenu> m_menu;
};

int main(int argc, char** argv) {
    qunsetenv("XDG_CURRENT_DESKTOP");
    qunsetenv("DESKTOP_SESSION");
    QApplication app(argc, argv);
    TestShell test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_shell.moc"

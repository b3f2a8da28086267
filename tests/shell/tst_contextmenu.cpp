#include "CContextMenu.h"
#include "support_shell.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <memory>

class TestContextMenu : public QObject {
    Q_OBJECT

private slots:
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

    void fileNames_data() {
        QTest::addColumn<QString>("fileNames");
        QTest::addColumn<QStringList>("names");
        const QString nul(QChar(0));
        QTest::newRow("two") << QString("/a/b" + nul + "/a/c") << QStringList{"/a/b", "/a/c"};
        QTest::newRow("after double NUL")
            << QString("/a/b" + nul + nul + "/a/c") << QStringList{"/a/b"};
        QTest::newRow("trailing NUL") << QString("/a/b" + nul) << QStringList{"/a/b"};
        QTest::newRow("empty first name") << QString(nul + "/a/b") << QStringList{"", "/a/b"};
    }
    void fileNames() {
        QFETCH(QString, fileNames);
        QFETCH(QStringList, names);
        QCOMPARE(CContextMenu::SplitFileNames(fileNames), names);
        // An empty first name shows no menu.
        QCOMPARE(m_menu->ShowMenuAt(fileNames, QPoint(5, 5)) != nullptr, !names.value(0).isEmpty());
    }

    void onlyOneMenuIsOpen() {
        QPointer<QMenu> one = m_menu->ShowMenuAt(m_desktop->document("a.txt"), QPoint(10, 10));
        CContextMenu other;
        QMenu* two = other.ShowMenuAt(m_desktop->document("b.txt"), QPoint(20, 20));
        QVERIFY(two);
        QCOMPARE(CContextMenu::CurrentMenu(), two);
        QTRY_VERIFY(!one);
        two->close();
    }

    void commandsActOnTheDocument_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("open") << "Open";
        QTest::newRow("copy path") << "CopyPath";
        QTest::newRow("properties, not modal") << "Properties";
        QTest::newRow("closed without a choice") << "";
    }
    void commandsActOnTheDocument() {
        QFETCH(QString, command);
        const QString document = m_desktop->document("メモ 'a' %20.txt");
        const QString link = m_desktop->shortcut("-m.lnk", document);
        QPointer<QMenu> menu = m_menu->ShowMenuAt(link, QPoint(10, 10));
        QVERIFY(menu);
        if (command.isEmpty()) {
            QTest::keyClick(menu, Qt::Key_Escape);
            QTRY_VERIFY(!menu);
            QVERIFY(m_desktop->urls.isEmpty() && QFileInfo(link).isSymLink());
        } else {
            menu->findChild<QAction*>(command)->trigger();
        }
        if (command == "Open") {
            QCOMPARE(m_desktop->urls, QList<QUrl>{QUrl::fromLocalFile(document)});
        } else if (command == "CopyPath") {
            QCOMPARE(QGuiApplication::clipboard()->text(), document);
        } else if (command == "Properties") {
            auto* box = m_owner->findChild<QWidget*>(QStringLiteral("Properties"));
            QVERIFY(box && box->isVisible() && box->property("text").toString().contains(link));
            box->close();
        }
        QVERIFY(m_desktop->errors.isEmpty());
    }

    void deleteShortcut_data() {
        QTest::addColumn<QStringList>("targets"); // one shortcut each; none: a document itself
        QTest::addColumn<bool>("offered");
        QTest::newRow("two shortcuts") << QStringList{"a.txt", "b.txt"} << true;
        QTest::newRow("shortcut to a gone document") << QStringList{"gone.txt"} << true;
        QTest::newRow("a document, not a shortcut") << QStringList{} << false;
    }
    void deleteShortcut() {
        QFETCH(QStringList, targets);
        QFETCH(bool, offered);
        const QStringList documents{m_desktop->document("a.txt"), m_desktop->document("b.txt")};
        QStringList paths;
        for (const QString& target : targets)
            paths << m_desktop->shortcut(target + ".lnk", m_desktop->dir.filePath(target));
        if (paths.isEmpty())
            paths << documents.first();
        QSignalSpy deleted(m_menu.get(), &CContextMenu::OnShortcutDeleted);
        QMenu* menu = m_menu->ShowMenuAt(paths.join(QChar(0)), QPoint(10, 10));
        QAction* remove = menu->findChild<QAction*>(QStringLiteral("DeleteShortcut"));
        QCOMPARE(remove->isEnabled(), offered);
        remove->trigger();
        QCOMPARE(deleted.size(), offered ? paths.size() : 0);
        for (const QString& path : paths)
            QCOMPARE(QFileInfo(path).isSymLink() || QFileInfo::exists(path), !offered);
        QVERIFY(QFileInfo::exists(documents[0]) && QFileInfo::exists(documents[1]));
    }

private:
    std::unique_ptr<DesktopStub> m_desktop;
    std::unique_ptr<QWidget> m_owner;
    std::unique_ptr<CContextMenu> m_menu;
};

QTEST_MAIN(TestContextMenu)
#include "tst_contextmenu.moc"

#include "CContextMenu.h"
#include "RM_RecentMirror.h"
#include "support_shell.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <glib.h>

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
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("recent"); // the shortcuts mirror the desktop's recent list
        QTest::addColumn<QString>("asked");
        QTest::newRow("two shortcuts")
            << QStringList{"a.txt", "b.txt"} << true << false << "2 個のファイル";
        QTest::newRow("answered no") << QStringList{"a.txt"} << false << false << "「a.txt」";
        QTest::newRow("shortcut to a gone document")
            << QStringList{"gone.txt"} << true << false << "「gone.txt」";
        QTest::newRow("recent row") << QStringList{"a.txt"} << true << true << "最近使ったファイル";
        QTest::newRow("a document, not a shortcut") << QStringList{} << true << false << "";
    }
    void deleteShortcut() {
        QFETCH(QStringList, targets);
        QFETCH(bool, yes);
        QFETCH(bool, recent);
        QFETCH(QString, asked);
        const QStringList documents{m_desktop->document("a.txt"), m_desktop->document("b.txt")};
        const QString bookmarks = RM_RecentMirror::BookmarkFile();
        GBookmarkFile* list = g_bookmark_file_new();
        for (const QString& d : documents)
            g_bookmark_file_add_application(list, QUrl::fromLocalFile(d).toEncoded(), "tst",
                                            "tst %u");
        QVERIFY(g_bookmark_file_to_file(list, QFile::encodeName(bookmarks), nullptr));
        g_bookmark_file_free(list);
        if (recent)
            m_menu->setRecentFolder(m_desktop->dir.path() + "/");
        QStringList paths;
        for (const QString& target : targets)
            paths << m_desktop->shortcut(target + ".lnk", m_desktop->dir.filePath(target));
        if (paths.isEmpty())
            paths << documents.first();
        QSignalSpy deleted(m_menu.get(), &CContextMenu::OnShortcutDeleted);
        QMenu* menu = m_menu->ShowMenuAt(paths.join(QChar(0)), QPoint(10, 10));
        QAction* remove = menu->findChild<QAction*>(QStringLiteral("DeleteShortcut"));
        QCOMPARE(remove->isEnabled(), !asked.isEmpty());
        if (asked.isEmpty())
            return;
        QString text;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
            }
        });
        answer.start(10);
        remove->trigger();
        QTRY_VERIFY(!text.isEmpty());
        QVERIFY2(text.contains(asked) && text.contains(recent ? "残ります" : "すべてのカテゴリ"),
                 qPrintable(text));
        QTRY_COMPARE(deleted.size(), yes ? paths.size() : 0);
        for (const QString& path : paths)
            QCOMPARE(QFileInfo(path).isSymLink(), !yes);
        QVERIFY(QFileInfo::exists(documents[0]) && QFileInfo::exists(documents[1]));
        // Other programs read the same list: the entry is gone for them too.
        list = g_bookmark_file_new();
        QVERIFY(g_bookmark_file_load_from_file(list, QFile::encodeName(bookmarks), nullptr));
        QCOMPARE(
            bool(g_bookmark_file_has_item(list, QUrl::fromLocalFile(documents[0]).toEncoded())),
            !(yes && recent));
        QVERIFY(g_bookmark_file_has_item(list, QUrl::fromLocalFile(documents[1]).toEncoded()));
        g_bookmark_file_free(list);
    }

private:
    std::unique_ptr<DesktopStub> m_desktop;
    std::unique_ptr<QWidget> m_owner;
    std::unique_ptr<CContextMenu> m_menu;
};

QTEST_MAIN(TestContextMenu)
#include "tst_contextmenu.moc"

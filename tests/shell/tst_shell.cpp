#include "SM_Shell.h"
#include "support_shell.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QSet>
#include <QStandardPaths>
#include <QTest>
#include <memory>

class TestShell : public QObject {
    Q_OBJECT

private slots:
    // A desktop that names no theme (openbox, i3: Qt reads "hicolor"), whose
    // style looks up an icon before any document is shown.
    void initTestCase() {
        QStringList paths = QIcon::themeSearchPaths();
        paths << QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, "icons",
                                           QStandardPaths::LocateDirectory);
        QIcon::setThemeSearchPaths(paths);
        QIcon::setThemeName(QStringLiteral("hicolor"));
        QIcon::fromTheme(QStringLiteral("edit-copy"));
    }
    void init() { m_desktop = std::make_unique<DesktopStub>(); }
    void cleanup() { m_desktop.reset(); }

    void iconsAreSharedPerType() {
        const int count = SM_Shell::SystemIconCount();
        const int pdf = SM_Shell::DocumentIconIndex("/nowhere/a.pdf");
        QCOMPARE(SM_Shell::DocumentIconIndex("/nowhere/b.PDF"), pdf);
        QCOMPARE(SM_Shell::DocumentIconIndex("/nowhere/report.final.pdf"), pdf);
        QVERIFY(SM_Shell::SystemIconCount() <= count + 1);
        const QString link = m_desktop->shortcut("pdf.lnk", m_desktop->document("p.pdf"));
        QCOMPARE(SM_Shell::SystemIconIndex(link), pdf);
        for (int index : {SM_Shell::DocumentIconIndex("/nowhere/README"), -1, 1 << 20})
            QVERIFY(!SM_Shell::SystemIcon(index).isNull());
        // Each type its own icon, none the blank page of every document.
        QSet<int> types{0};
        for (const char* name : {"a.odt", "a.txt", "a.png", "a.ods", "a.mp3"})
            types.insert(SM_Shell::DocumentIconIndex(QString("/nowhere/") + name));
        QCOMPARE(types.size(), 6);
    }

    void openDocument_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind"); // 0 shortcut, 1 shortcut to nothing, 2 not a shortcut
        QTest::newRow("plain") << "plain.txt" << 0;
        QTest::newRow("odd name") << "-x 'q' \"d\" %41 #1 日本語.txt" << 0;
        QTest::newRow("document gone") << "missing.txt" << 1;
        QTest::newRow("unreadable shortcut") << "bogus" << 2;
    }
    void openDocument() {
        QFETCH(QString, name);
        QFETCH(int, kind);
        const QString document =
            kind == 0 ? m_desktop->document(name) : m_desktop->dir.filePath(name);
        const QString link = kind == 2 ? m_desktop->document(name + ".lnk")
                                       : m_desktop->shortcut(name + ".lnk", document);
        QCOMPARE(SM_Shell::OpenDocument(link), kind == 0);
        if (kind == 0) {
            QCOMPARE(m_desktop->urls, QList<QUrl>{QUrl::fromLocalFile(document)});
            QVERIFY(m_desktop->errors.isEmpty());
        } else {
            QVERIFY(m_desktop->urls.isEmpty());
            QCOMPARE(m_desktop->errors.size(), 1);
            QVERIFY(m_desktop->errors.first().contains(name));
        }
    }

    void showInFolderWithoutSessionBus_data() {
        QTest::addColumn<QString>("document");
        QTest::addColumn<bool>("folderOpened");
        QTest::newRow("existing document") << "shown.txt" << true;
        QTest::newRow("document gone, folder there") << "gone.txt" << true;
        QTest::newRow("folder gone") << "no/such/folder/x.txt" << false;
    }
    void showInFolderWithoutSessionBus() {
        QFETCH(QString, document);
        QFETCH(bool, folderOpened);
        m_desktop->document("shown.txt");
        QCOMPARE(SM_Shell::ShowInFolder(m_desktop->dir.filePath(document)), folderOpened);
        if (folderOpened) {
            QTRY_COMPARE(m_desktop->urls.size(), 1);
            QCOMPARE(QDir(m_desktop->urls.first().toLocalFile()), QDir(m_desktop->dir.path()));
        } else {
            QCOMPARE(m_desktop->errors.size(), 1);
            QVERIFY(m_desktop->urls.isEmpty());
        }
    }

private:
    std::unique_ptr<DesktopStub> m_desktop;
};

int main(int argc, char** argv) {
    qunsetenv("XDG_CURRENT_DESKTOP");
    qunsetenv("DESKTOP_SESSION");
    QApplication app(argc, argv);
    TestShell test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_shell.moc"

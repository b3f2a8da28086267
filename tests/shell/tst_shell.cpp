#include "CError.h"
#include "SM_Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
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

class TestShell : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void iconsAreSharedPerType();
    void openDocument_data();
    void openDocument();
    void unreadableShortcutIsReported();
    void showInFolder_data();
    void showInFolder();

private:
    QString makeDocument(const QString& name);

    QTemporaryDir m_dir;
    UrlCatcher m_catcher;
    QStringList m_errors;
};

void TestShell::initTestCase() {
    QVERIFY(m_dir.isValid());
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
    SM_Shell::setErrorReporter([this](QWidget*, const QString& text) { m_errors.append(text); });
}

void TestShell::cleanupTestCase() {
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    SM_Shell::setErrorReporter({});
}

void TestShell::init() {
    m_catcher.urls.clear();
    m_errors.clear();
}

QString TestShell::makeDocument(const QString& name) {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.exists() && file.open(QIODevice::WriteOnly))
        file.write("x");
    return path;
}

void TestShell::iconsAreSharedPerType() {
    const int count = SM_Shell::SystemIconCount();
    const int a = SM_Shell::DocumentIconIndex("/nowhere/a.pdf");
    const int b = SM_Shell::DocumentIconIndex("/nowhere/b.PDF");
    const int c = SM_Shell::DocumentIconIndex("/nowhere/report.final.pdf");
    QCOMPARE(a, b);
    QCOMPARE(a, c);
    QVERIFY(SM_Shell::SystemIconCount() <= count + 1);
    for (const char* name : {"/nowhere/a.pdf", "/nowhere/x.unknownext", "/nowhere/README", ""})
        QVERIFY2(!SM_Shell::SystemIcon(SM_Shell::DocumentIconIndex(name)).isNull(), name);
    QVERIFY(!SM_Shell::SystemIcon(-1).isNull());
    QVERIFY(!SM_Shell::SystemIcon(1 << 20).isNull());
    // A shortcut has its document's icon.
    const QString link = m_dir.filePath("pdf.lnk");
    QVERIFY(QFile::link(makeDocument("p.pdf"), link));
    QCOMPARE(SM_Shell::SystemIconIndex(link), a);
}

void TestShell::openDocument_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::newRow("plain") << "plain.txt" << true;
    QTest::newRow("odd name") << "-x 'q' \"d\" %41 #1 日本語.txt" << true;
    QTest::newRow("missing") << "missing.txt" << false;
}

void TestShell::openDocument() {
    QFETCH(QString, name);
    QFETCH(bool, exists);
    const QString document = exists ? makeDocument(name) : m_dir.filePath(name);
    const QString link = m_dir.filePath(name + ".lnk");
    QFile::remove(link);
    QVERIFY(QFile::link(document, link));
    QCOMPARE(SM_Shell::OpenDocument(link), exists);
    if (exists) {
        QCOMPARE(m_catcher.urls, QList<QUrl>{QUrl::fromLocalFile(document)});
        QCOMPARE(m_catcher.urls.first().toLocalFile(), document);
        QVERIFY(m_errors.isEmpty());
    } else {
        QVERIFY(m_catcher.urls.isEmpty());
        QCOMPARE(m_errors.size(), 1);
        QVERIFY(m_errors.first().contains(name));
    }
}

void TestShell::unreadableShortcutIsReported() {
    const QString bogus = m_dir.filePath("bogus.lnk");
    QFile file(bogus);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a shell link at all");
    file.close();
    QVERIFY(!SM_Shell::OpenDocument(bogus));
    QCOMPARE(m_errors.size(), 1);
    QVERIFY(m_catcher.urls.isEmpty());
}

void TestShell::showInFolder_data() {
    QTest::addColumn<QString>("document");
    QTest::addColumn<bool>("folderOpened");
    QTest::newRow("existing document") << "shown.txt" << true;
    QTest::newRow("document gone, folder there") << "gone.txt" << true;
    QTest::newRow("folder gone") << "no/such/folder/x.txt" << false;
}

void TestShell::showInFolder() {
    QFETCH(QString, document);
    QFETCH(bool, folderOpened);
    const QString path =
        document == "shown.txt" ? makeDocument(document) : m_dir.filePath(document);
    // No session bus in the tests: the call must fall back at once.
    QCOMPARE(SM_Shell::ShowInFolder(path), folderOpened);
    if (folderOpened) {
        QTRY_COMPARE(m_catcher.urls.size(), 1);
        QCOMPARE(QDir(m_catcher.urls.first().toLocalFile()), QDir(m_dir.path()));
    } else {
        QCOMPARE(m_errors.size(), 1);
        QVERIFY(m_catcher.urls.isEmpty());
    }
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"

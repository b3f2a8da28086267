#include "CError.h"
#include "SM_Shortcut.h"
#include "support_discovery.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class tst_SM_Shortcut : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_docs;  // documents, fresh for each test
    QString m_links; // the shortcut folder; its own dot must never count
    int m_round = 0;

    QString Doc(const QString& relative) {
        const QString path = m_docs + "/" + relative;
        return Touch(path) ? path : QString();
    }
    QString Make(const QString& path) { return SM_Shortcut::MakeShortcutFile(m_links, path); }

private slots:
    void init() {
        m_docs = m_tmp.path() + QString("/docs%1").arg(m_round);
        m_links = m_tmp.path() + QString("/links.d%1/").arg(m_round++);
        QVERIFY(QDir().mkpath(m_links));
    }

    // Names end in stem#n, the extension and ".lnk"; past the 255-byte limit
    // the stem gives way, never the extension, the number or ".lnk".
    void numberedNamesAndReuse_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stem");
        QTest::addColumn<QString>("numbered"); // the stem when a number is added
        QTest::addColumn<QString>("ext");
        const auto row = [](const char* tag, const QString& name, const QString& stem,
                            const QString& numbered, const QString& ext) {
            QTest::newRow(tag) << name << stem << numbered << ext;
        };
        row("plain", "report.doc", "report", "report", ".doc");
        row("two dots", "x.tar.gz", "x.tar", "x.tar", ".gz");
        row("no extension", "Makefile", "Makefile", "Makefile", "");
        row("Japanese", "報告書 第1版.docx", "報告書 第1版", "報告書 第1版", ".docx");
        const QString a(248, 'a'), j(83, u'報');
        row("252 bytes", a + ".txt", a.left(247), a.left(245), ".txt");
        row("83 Japanese characters", j + ".txt", j.left(82), j.left(81), ".txt");
    }

    void numberedNamesAndReuse() {
        QFETCH(QString, name);
        QFETCH(QString, stem);
        QFETCH(QString, numbered);
        QFETCH(QString, ext);
        const QStringList expected{stem + ext + ".lnk", numbered + "#1" + ext + ".lnk",
                                   numbered + "#2" + ext + ".lnk"};
        for (int i = 0; i < 3; ++i) {
            const QString doc = Doc(QString("f%1/").arg(i) + name);
            // The folder may come with or without its trailing separator.
            const QString link =
                SM_Shortcut::MakeShortcutFile(i == 1 ? m_links.chopped(1) : m_links, doc);
            QCOMPARE(link, m_links + expected[i]);
            QCOMPARE(RawLink(link), doc);
        }
        // Each document again: its own shortcut back, nothing written.
        for (int i = 2; i >= 0; --i)
            QCOMPARE(Make(m_docs + QString("/f%1/").arg(i) + name), m_links + expected[i]);
        QCOMPARE(Entries(m_links).size(), 3);
    }

    void namesChangedBehindItsBack() {
        for (int i = 0; i < 3; ++i)
            Make(Doc(QString("%1/r.txt").arg(i)));
        // Another spelling of the same path is the same document.
        QCOMPARE(Make(m_docs + "//./1/../1/r.txt"), m_links + "r#1.txt.lnk");
        // The first free name is taken, wherever the gap is.
        QVERIFY(QFile::remove(m_links + "r#1.txt.lnk"));
        QCOMPARE(Make(Doc("3/r.txt")), m_links + "r#1.txt.lnk");
        // Names another program took are passed over; a folder too.
        QVERIFY(Link("/elsewhere/r.txt", m_links + "r#3.txt.lnk") &&
                QDir().mkdir(m_links + "r#4.txt.lnk"));
        QCOMPARE(Make(Doc("4/r.txt")), m_links + "r#5.txt.lnk");
        // A shortcut to our document that someone else made is found.
        QVERIFY(Link(Doc("6/r.txt"), m_links + "r#6.txt.lnk"));
        QCOMPARE(Make(m_docs + "/6/r.txt"), m_links + "r#6.txt.lnk");
        // A removed shortcut is made again rather than handed out.
        QVERIFY(QFile::remove(m_links + "r.txt.lnk"));
        QCOMPARE(Make(m_docs + "/0/r.txt"), m_links + "r.txt.lnk");
        QCOMPARE(RawLink(m_links + "r.txt.lnk"), m_docs + "/0/r.txt");
        // Another spelling of a path that exists only once: the same document;
        // folders that differ only in case hold two documents here.
        const QString first = Make(Doc("Case/doc.txt"));
        QCOMPARE(Make(m_docs + "/CASE/doc.txt"), first);
        QCOMPARE(Make(Doc("CASE/doc.txt")), m_links + "doc#1.txt.lnk");
    }

    void droppedShortcuts() {
        const QString doc = Doc("a/report.doc");
        QVERIFY(Link(doc, m_docs + "/x.lnk"));
        QCOMPARE(Make(m_docs + "/x.lnk"), m_links + "report.doc.lnk");
        QCOMPARE(RawLink(m_links + "report.doc.lnk"), doc);
        QCOMPARE(Make(doc), m_links + "report.doc.lnk");
        // Numbered names carry the extension of what was dropped.
        QVERIFY(Link(Doc("b/report.doc"), m_docs + "/y.lnk"));
        QCOMPARE(Make(m_docs + "/y.lnk"), m_links + "report#1.lnk.lnk");
        // Only ".lnk" exactly stands for a target; ".LNK" is a document.
        QVERIFY(Link(doc, m_docs + "/Shortcut.LNK"));
        QCOMPARE(Make(m_docs + "/Shortcut.LNK"), m_links + "Shortcut.LNK.lnk");
        QCOMPARE(RawLink(m_links + "Shortcut.LNK.lnk"), m_docs + "/Shortcut.LNK");
    }

    void errorsCarryTheirCause() {
        // Neither a link nor a shell link.
        QVERIFY_THROWS_EXCEPTION(CError, Make(Doc("broken.lnk")));
        try {
            SM_Shortcut::MakeShortcutFile(m_links + "missing/", Doc("a.txt"));
            QFAIL("no error");
        } catch (const CError& e) {
            QCOMPARE(e.Code(), ENOENT);
            QVERIFY2(e.Text().contains("missing"), qPrintable(e.Text()));
        }
        QVERIFY(Entries(m_links).isEmpty());
    }

    void copyTakesTheLinkNotTheDocument() {
        const QString recent = m_docs + "/recent/";
        QVERIFY(QDir().mkpath(recent));
        const QString doc = Doc("a/メモ \"1\".txt");
        const QString copy =
            SM_Shortcut::CopyShortcutFile(m_links, SM_Shortcut::MakeShortcutFile(recent, doc));
        QCOMPARE(copy, m_links + "メモ \"1\".txt.lnk");
        QCOMPARE(RawLink(copy), doc);
        QCOMPARE(SM_Shortcut::CopyShortcutFile(m_links, recent + "メモ \"1\".txt.lnk"), copy);
        // A name taken by another document's shortcut is numbered, never mixed up.
        QVERIFY(Link("../b.txt", recent + "b.txt.lnk") && Link("/x/b.txt", m_links + "b.txt.lnk"));
        const QString second = SM_Shortcut::CopyShortcutFile(m_links, recent + "b.txt.lnk");
        QCOMPARE(second, m_links + "b#1.txt.lnk");
        QCOMPARE(RawLink(second), m_docs + "/b.txt"); // made absolute, dangling or not
        QVERIFY_THROWS_EXCEPTION(CError,
                                 SM_Shortcut::CopyShortcutFile(m_links, recent + "none.lnk"));
    }

    void manyDocumentsOfOneName() {
        for (int i = 0; i < 300; ++i)
            QCOMPARE(Make(Doc(QString("%1/README.md").arg(i))),
                     m_links + (i ? QString("README#%1.md.lnk").arg(i) : QString("README.md.lnk")));
        // Forgotten, the folder is read again from disk.
        SM_Shortcut::ForgetFolders();
        QCOMPARE(Make(m_docs + "/123/README.md"), m_links + "README#123.md.lnk");
        QCOMPARE(Entries(m_links).size(), 300);
    }
};

QTEST_GUILESS_MAIN(tst_SM_Shortcut)
#include "tst_SM_Shortcut.moc"

#include "CError.h"
#include "SM_Shortcut.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write("x");
}

QString RawLink(const QString& link) {
    char buffer[4096];
    const ssize_t n = readlink(QFile::encodeName(link).constData(), buffer, sizeof buffer);
    return n < 0 ? QString() : QFile::decodeName(QByteArray(buffer, int(n)));
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class tst_SM_Shortcut : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_docs;
    QString m_links;

private slots:
    void init() {
        static int round = 0;
        m_docs = m_tmp.path() + QString("/docs%1").arg(round);
        m_links = m_tmp.path() + QString("/links.d%1/").arg(round++);
        QVERIFY(QDir().mkpath(m_docs));
        QVERIFY(QDir().mkpath(m_links));
    }

    void sameNameFromSeveralFolders_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("plain") << "report.doc"
                               << QStringList(
                                      {"report.doc.lnk", "report#1.doc.lnk", "report#2.doc.lnk"});
        QTest::newRow("two dots") << "x.tar.gz"
                                  << QStringList(
                                         {"x.tar.gz.lnk", "x.tar#1.gz.lnk", "x.tar#2.gz.lnk"});
        // The shortcut folder's own dot must not be taken for an extension.
        QTest::newRow("no extension")
            << "Makefile" << QStringList({"Makefile.lnk", "Makefile#1.lnk", "Makefile#2.lnk"});
        QTest::newRow("quotes") << "he said \"hi\".txt"
                                << QStringList({"he said \"hi\".txt.lnk",
                                                "he said \"hi\"#1.txt.lnk",
                                                "he said \"hi\"#2.txt.lnk"});
        QTest::newRow("Japanese") << "報告書 第1版.docx"
                                  << QStringList({"報告書 第1版.docx.lnk",
                                                  "報告書 第1版#1.docx.lnk",
                                                  "報告書 第1版#2.docx.lnk"});
        QTest::newRow("leading dash and percent")
            << "-100%.md" << QStringList({"-100%.md.lnk", "-100%#1.md.lnk", "-100%#2.md.lnk"});
    }

    void sameNameFromSeveralFolders() {
        QFETCH(QString, name);
        QFETCH(QStringList, expected);
        for (int i = 0; i < 3; ++i) {
            const QString doc = m_docs + QString("/f%1/").arg(i) + name;
            Touch(doc);
            const QString link = SM_Shortcut::MakeShortcutFile(m_links, doc);
            QCOMPARE(link, m_links + expected[i]);
            QCOMPARE(RawLink(link), doc);
        }
        // Each document again: its own shortcut back, nothing written.
        for (int i = 2; i >= 0; --i) {
            const QString doc = m_docs + QString("/f%1/").arg(i) + name;
            QCOMPARE(SM_Shortcut::MakeShortcutFile(m_links, doc), m_links + expected[i]);
        }
        QCOMPARE(Entries(m_links).size(), 3);
    }

    void folderWithoutTrailingSeparator() {
        const QString doc = m_docs + "/a.txt";
        Touch(doc);
        QCOMPARE(SM_Shortcut::MakeShortcutFile(m_links.chopped(1), doc), m_links + "a.txt.lnk");
    }

    void relativePathBecomesAbsolute() {
        Touch(m_docs + "/rel.txt");
        const QString old = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_docs));
        const QString link = SM_Shortcut::MakeShortcutFile(m_links, "rel.txt");
        QDir::setCurrent(old);
        QCOMPARE(RawLink(link), m_docs + "/rel.txt");
    }

    void firstGapIsTaken() {
        for (int i = 0; i < 3; ++i)
            Touch(m_docs + QString("/%1/r.txt").arg(i));
        for (int i = 0; i < 3; ++i)
            SM_Shortcut::MakeShortcutFile(m_links, m_docs + QString("/%1/r.txt").arg(i));
        QVERIFY(QFile::remove(m_links + "r#1.txt.lnk"));
        Touch(m_docs + "/3/r.txt");
        QCOMPARE(SM_Shortcut::MakeShortcutFile(m_links, m_docs + "/3/r.txt"),
                 m_links + "r#1.txt.lnk");
        // The removed document comes back under the next free name.
        QCOMPARE(SM_Shortcut::MakeShortcutFile(m_links, m_docs + "/1/r.txt"),
                 m_links + "r#3.txt.lnk");
    }

    void namesTakenBehindItsBack() {
        Touch(m_docs + "/a/n.txt");
        Touch(m_docs + "/b/n.txt");
        SM_Shortcut::MakeShortcutFile(m_links, m_docs + "/a/n.txt");
        // Another program adds a shortcut and a folder under the next names.
        QCOMPARE(
            symlink("/elsewhere/n.txt", QFile::encodeName(m_links + "n#1.txt.lnk").constData()), 0);
        QVERIFY(QDir().mkdir(m_links + "n#2.txt.lnk"));
        QCOMPARE(SM_Shortcut::MakeShortcutFile(m_links, m_docs + "/b/n.txt"),
                 m_links + "n#3.txt.lnk");
        // And a shortcut to our document that we did not make is found.
        Touch(m_docs + "/c/n.txt");
        QCOMPARE(symlink(QFile::encodeName(m_docs + "/c/n.txt").constData(),
                         QFile::encodeName(m_links + "n#4.txt.lnk").constData()),
                 0);
        QCOMPARE(SM_Shortcut::MakeShortcutFile(m_links, m_docs + "/c/n.txt"),
                 m_links + "n#4.txt.lnk");
        // A removed shortcut is made again rather than handed out.
        QVERIFY(QFile::remove(m_links + "n.txt.lnk"));
        QCOMPARE(SM_Shortcut::MakeShortcutFile(m_links, m_docs + "/a/n.txt"),
                 m_links + "n.txt.lnk");
        QVERIFY(QFileInfo(m_links + "n.txt.lnk").isSymLink());
    }

    void letterCaseOfTheTarget() {
        // Two spellings of one path where only one exists: the same document.
        Touch(m_docs + "/Case/doc.txt");
        const QString first = SM_Shortcut::MakeShortcutFile(m_links, m_docs + "/Case/doc.txt");
        QCOMPARE(SM_Shortcut::MakeShortcutFile(m_links, m_docs + "/CASE/doc.txt"), first);
        // Two folders that differ only in case hold two documents here.
        Touch(m_docs + "/CASE/doc.txt");
        QCOMPARE(SM_Shortcut::MakeShortcutFile(m_links, m_docs + "/CASE/doc.txt"),
                 m_links + "doc#1.txt.lnk");
    }

    void droppedShortcutStandsForItsTarget() {
        const QString doc = m_docs + "/a/report.doc";
        Touch(doc);
        const QString dropped = m_docs + "/x.lnk";
        QCOMPARE(
            symlink(QFile::encodeName(doc).constData(), QFile::encodeName(dropped).constData()), 0);
        QCOMPARE(SM_Shortcut::MakeShortcutFile(m_links, dropped), m_links + "report.doc.lnk");
        QCOMPARE(RawLink(m_links + "report.doc.lnk"), doc);
        // The same document dropped directly reuses it.
        QCOMPARE(SM_Shortcut::MakeShortcutFile(m_links, doc), m_links + "report.doc.lnk");
        // Another document of that name behind a shortcut: numbered, with the
        // extension of what was dropped.
        const QString other = m_docs + "/b/report.doc";
        Touch(other);
        const QString dropped2 = m_docs + "/y.lnk";
        QCOMPARE(
            symlink(QFile::encodeName(other).constData(), QFile::encodeName(dropped2).constData()),
            0);
        QCOMPARE(SM_Shortcut::MakeShortcutFile(m_links, dropped2), m_links + "report#1.lnk.lnk");
        QCOMPARE(RawLink(m_links + "report#1.lnk.lnk"), other);
    }

    void capitalLnkIsADocument() {
        const QString doc = m_docs + "/a/report.doc";
        Touch(doc);
        const QString dropped = m_docs + "/Shortcut.LNK";
        QCOMPARE(
            symlink(QFile::encodeName(doc).constData(), QFile::encodeName(dropped).constData()), 0);
        const QString link = SM_Shortcut::MakeShortcutFile(m_links, dropped);
        QCOMPARE(link, m_links + "Shortcut.LNK.lnk");
        QCOMPARE(RawLink(link), dropped);
    }

    void unreadableDroppedShortcutIsAnError() {
        const QString broken = m_docs + "/broken.lnk";
        Touch(broken); // neither a link nor a shell link
        QVERIFY_THROWS_EXCEPTION(CError, SM_Shortcut::MakeShortcutFile(m_links, broken));
        QVERIFY(Entries(m_links).isEmpty());
    }

    void missingFolderIsAnErrorWithItsText() {
        Touch(m_docs + "/a.txt");
        try {
            SM_Shortcut::MakeShortcutFile(m_links + "missing/", m_docs + "/a.txt");
            QFAIL("no error");
        } catch (const CError& e) {
            QCOMPARE(e.Code(), ENOENT);
            QVERIFY2(e.Text().contains("missing"), qPrintable(e.Text()));
        }
    }

    void unwritableFolderIsAnError() {
        if (geteuid() == 0)
            QSKIP("root writes every folder");
        Touch(m_docs + "/a.txt");
        QCOMPARE(chmod(QFile::encodeName(m_links).constData(), 0500), 0);
        try {
            SM_Shortcut::MakeShortcutFile(m_links, m_docs + "/a.txt");
            chmod(QFile::encodeName(m_links).constData(), 0700);
            QFAIL("no error");
        } catch (const CError& e) {
            chmod(QFile::encodeName(m_links).constData(), 0700);
            QCOMPARE(e.Code(), EACCES);
        }
    }

    void copyTakesTheLinkNotTheDocument() {
        const QString doc = m_docs + "/a/メモ \"1\".txt";
        Touch(doc);
        const QString recent = m_docs + "/recent/";
        QVERIFY(QDir().mkpath(recent));
        const QString shortcut = SM_Shortcut::MakeShortcutFile(recent, doc);
        const QString copy = SM_Shortcut::CopyShortcutFile(m_links, shortcut);
        QCOMPARE(copy, m_links + "メモ \"1\".txt.lnk");
        QVERIFY(QFileInfo(copy).isSymLink());
        QCOMPARE(RawLink(copy), doc);
        // Copying again changes nothing.
        QCOMPARE(SM_Shortcut::CopyShortcutFile(m_links, shortcut), copy);
        QCOMPARE(Entries(m_links).size(), 1);

        // A recent shortcut whose name is taken by another document's shortcut
        // is numbered rather than silently mixed up with it.
        const QString other = m_docs + "/b/メモ \"1\".txt";
        Touch(other);
        const QString recent2 = m_docs + "/recent2/";
        QVERIFY(QDir().mkpath(recent2));
        const QString copy2 =
            SM_Shortcut::CopyShortcutFile(m_links, SM_Shortcut::MakeShortcutFile(recent2, other));
        QCOMPARE(copy2, m_links + "メモ \"1\"#1.txt.lnk");
        QCOMPARE(RawLink(copy2), other);
    }

    void copyOfADanglingOrRelativeLink() {
        const QString recent = m_docs + "/recent/";
        QVERIFY(QDir().mkpath(recent));
        QCOMPARE(symlink("../gone.txt", QFile::encodeName(recent + "gone.txt.lnk").constData()), 0);
        const QString copy = SM_Shortcut::CopyShortcutFile(m_links, recent + "gone.txt.lnk");
        QCOMPARE(RawLink(copy), m_docs + "/gone.txt");
        QVERIFY_THROWS_EXCEPTION(CError,
                                 SM_Shortcut::CopyShortcutFile(m_links, recent + "none.lnk"));
    }

    void manyDocumentsOfOneName() {
        for (int i = 0; i < 300; ++i) {
            const QString doc = m_docs + QString("/%1/README.md").arg(i);
            Touch(doc);
            const QString expected =
                i == 0 ? QString("README.md.lnk") : QString("README#%1.md.lnk").arg(i);
            QCOMPARE(SM_Shortcut::MakeShortcutFile(m_links, doc), m_links + expected);
        }
        // After forgetting the folder everything is found again from disk.
        SM_Shortcut::ForgetFolders();
        QCOMPARE(SM_Shortcut::MakeShortcutFile(m_links, m_docs + "/123/README.md"),
                 m_links + "README#123.md.lnk");
        QCOMPARE(Entries(m_links).size(), 300);
    }
};

QTEST_GUILESS_MAIN(tst_SM_Shortcut)
#include "tst_SM_Shortcut.moc"

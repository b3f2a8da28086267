#include "BM_Library.h"
#include "CError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

using namespace BM_Library;

class tst_BM_Library : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return m_dir.path() + u'/' + name; }
    QString MakeFile(const QString& name, qint64 size, const QDateTime& modified = {}) const {
        QFile f(Path(name));
        if (!f.open(QIODevice::ReadWrite) || !f.resize(size) ||
            (modified.isValid() && !f.setFileTime(modified, QFileDevice::FileModificationTime)))
            qFatal("cannot make %s", qPrintable(f.fileName()));
        return f.fileName();
    }

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void paths_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("parts"); // name, folder, extension
        QTest::newRow("plain") << "/home/a/report.doc"
                               << QStringList{"report.doc", "/home/a/", ".doc"};
        // The extension search does not stop at the separator.
        QTest::newRow("dot in folder")
            << "/a.b/README" << QStringList{"README", "/a.b/", ".b/README"};
        QTest::newRow("no separator, no dot")
            << "Makefile" << QStringList{"Makefile", "", "Makefile"};
        QTest::newRow("empty") << "" << QStringList{"", "", ""};
        QTest::newRow("root") << "/" << QStringList{"", "/", "/"};
        QTest::newRow("hidden") << "/h/.bashrc" << QStringList{".bashrc", "/h/", ".bashrc"};
        QTest::newRow("japanese") << "/書類/報告.tar.gz"
                                  << QStringList{"報告.tar.gz", "/書類/", ".gz"};
    }
    void paths() {
        QFETCH(QString, path);
        QFETCH(QStringList, parts);
        QCOMPARE(QStringList({FileNameOf(path), FolderOf(path), ExtensionOf(path)}), parts);
        const QString stem = path.left(path.size() - parts[2].size());
        QCOMPARE(RemoveExtension(path), stem);
        QCOMPARE(ChangeExtension(path, ".lnk"), stem + ".lnk");
    }

    void affixes() {
        QCOMPARE(AddBackslash(""), QStringLiteral("/"));
        QCOMPARE(RemoveBackslash("/tmp//"), QStringLiteral("/tmp/"));
        QCOMPARE(PrependIfMissing("", "#"), QStringLiteral("#"));
        // Only the first character is compared, so a longer prefix is always added.
        QCOMPARE(PrependIfMissing("ab", "ab"), QStringLiteral("abab"));
        QCOMPARE(DateLiteral(""), QStringLiteral("#"));
        QCOMPARE(DateLiteral("#x"), QStringLiteral("#x#"));
        QCOMPARE(Unquote("  \"a b\" "), QStringLiteral("a b"));
        QCOMPARE(Unquote("\"a b"), QStringLiteral("\"a b"));
        QCOMPARE(Unquote("\""), QString());
    }

    void keysNulsAndSplitting() {
        for (const qint32 id : {0, 7, -3, 2147483647})
            QCOMPARE(KeyToID(MakeKey(id)), id);
        for (const char* bad : {"", "H", "Hx", "H1.5", "H12a", "H99999999999"}) {
            try {
                KeyToID(QString::fromUtf8(bad));
                QFAIL(bad);
            } catch (const CError& e) {
                QVERIFY2(e.Text().contains(QString::fromUtf8(bad)), qPrintable(e.Text()));
            }
        }
        const QChar nul(0);
        QCOMPARE(CutAtNull(QString("abc") + nul + "def" + nul), QStringLiteral("abc"));
        QVERIFY_THROWS_EXCEPTION(CError, CutAtNull("abc"));
        QCOMPARE(CutAtDoubleNull(QString("a") + nul + "b" + nul + nul + "c"),
                 QString("a") + nul + "b");
        QStringList out{"stale"};
        QCOMPARE(SplitText("", ",", out), 0);
        QVERIFY(out.isEmpty());
        QCOMPARE(SplitText("a<>,<>", "<>", out), 3);
        QCOMPARE(out, QStringList({"a", ",", ""}));
    }

    void fileAndFolderFacts() {
        const QString file = MakeFile("facts.txt", 10);
        const QString folder = Path("facts.folder");
        QVERIFY(QDir().mkdir(folder));
        const QString dangling = Path("gone.doc.lnk");
        QVERIFY(QFile::link(Path("no-such-document.doc"), dangling));

        QVERIFY(FileExists(file));
        QVERIFY(!FileExists(folder));
        QVERIFY(FileExists(dangling)); // the shortcut outlives its document
        QVERIFY(FileSize(dangling) > 0);
        QVERIFY(!FileDateTimeText(dangling).isEmpty());
        QVERIFY(FileExists(Path("facts.t?t")));
        QVERIFY(!FileExists(Path("facts.*"))); // the first match by name is the folder

        QVERIFY(FolderExists(file)); // anything at the path counts
        QVERIFY(FolderExists(" \"" + folder + "/\" "));
        QVERIFY(!FolderExists("\" \""));
        QVERIFY(!FolderExists(Path("missing")));
    }

    void sizeText_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0") << "en_US" << 0LL << "0 KB";
        QTest::newRow("1025") << "en_US" << 1025LL << "2 KB";
        QTest::newRow("999999") << "en_US" << 999999LL << "977 KB";
        QTest::newRow("1000000") << "en_US" << 1000000LL << "0.954 MB";
        QTest::newRow("1048575 rounds to whole") << "en_US" << 1048575LL << "1. MB";
        QTest::newRow("999999999") << "en_US" << 999999999LL << "953.674 MB";
        QTest::newRow("1e9") << "en_US" << 1000000000LL << "";
        QTest::newRow("de 1048576") << "de_DE" << 1048576LL << "1, MB";
        QTest::newRow("de 1500000") << "de_DE" << 1500000LL << "1,431 MB";
    }
    void sizeText() {
        QFETCH(qint64, size);
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        const QString file = MakeFile(QStringLiteral("size-%1").arg(size), size);
        QCOMPARE(FileSize(file), size);
        QTEST(FileSizeText(file), "expected");
        QTEST(FileSizeText(""), "expected");
    }

    void sharedRecord() {
        QLocale::setDefault(QLocale("en_US"));
        const QString older = MakeFile("older", 3000, QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));
        const QString newer = MakeFile("newer", 5);
        QCOMPARE(FileSize(older), 3000); // fills the shared record read below
        QCOMPARE(FileDateTimeText(""), QStringLiteral("2/3/2001 4:05:06 AM"));
        QCOMPARE(FileDateLiteral(""), QStringLiteral("#2/3/2001#"));
        QCOMPARE(FileSizeText(""), QStringLiteral("3 KB"));
        // FileExists and FolderExists leave the record alone.
        QVERIFY(FileExists(newer) && FolderExists(newer));
        QCOMPARE(FileSize(""), 3000);
        // Each lookup replaces the record, a failed one included.
        const QString newerText = FileDateTimeText(newer);
        QCOMPARE(FileDateTimeText(""), newerText);
        QCOMPARE(FileSize(""), 5);
        QCOMPARE(FileDateText(Path("missing")), QStringLiteral("1/1/1601"));
        QCOMPARE(FileSize(""), 0);
        QCOMPARE(FileDateTimeText(""), QString());
    }

    // The row's name is the locale.
    void dates_data() {
        QTest::addColumn<QString>("shown");
        QTest::newRow("en_US") << "3/5/2024 1:04:05 PM";
        QTest::newRow("de_DE") << "05.03.2024 13:04:05";
        QTest::newRow("ja_JP") << "2024/03/05 13:04:05";
        QTest::newRow("ko_KR") << "2024. 3. 5. 오후 1:04:05";
    }
    void dates() {
        QFETCH(QString, shown);
        QLocale::setDefault(QLocale(QString::fromLatin1(QTest::currentDataTag())));
        const QDateTime t(QDate(2024, 3, 5), QTime(13, 4, 5));
        QCOMPARE(DateText(t) + u' ' + TimeText(t), shown);
        QCOMPARE(FileTimeText(FileTimeFromDateTime(t)), shown);
        const QString file = MakeFile("dated", 1, t);
        QCOMPARE(FileDateTimeText(file), shown);
        QCOMPARE(FileDateLiteral(file), '#' + DateText(t) + '#');
        QCOMPARE(FileDateText(Path("missing")), DateText(QDateTime(QDate(1601, 1, 1), {})));
    }

    // File times shown in the local zone must read exactly as QDateTime's
    // own local time, across daylight-saving changes and at the ends of the
    // range the C library converts.
    void localFileTimes_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("utc");
        const auto utc = [](int y, int mo, int d, int h, int mi, int s, int ms = 0) {
            return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
        };
        for (const char* zone :
             {"Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "Asia/Tokyo", "UTC"}) {
            const QByteArray z(zone);
            QTest::addRow("%s spring, before", zone) << z << utc(2024, 3, 31, 0, 59, 59, 999);
            QTest::addRow("%s spring, after", zone) << z << utc(2024, 3, 31, 1, 0, 0);
            QTest::addRow("%s us spring", zone) << z << utc(2024, 3, 10, 7, 0, 0);
            QTest::addRow("%s autumn, before", zone) << z << utc(2024, 10, 27, 0, 59, 59);
            QTest::addRow("%s autumn, after", zone) << z << utc(2024, 10, 27, 1, 0, 1);
            QTest::addRow("%s southern", zone) << z << utc(2024, 4, 6, 14, 59, 59);
            QTest::addRow("%s epoch", zone) << z << utc(1970, 1, 1, 0, 0, 0);
            QTest::addRow("%s before epoch", zone) << z << utc(1969, 12, 31, 23, 59, 59, 500);
            QTest::addRow("%s 1601", zone) << z << utc(1601, 1, 1, 0, 0, 0);
            QTest::addRow("%s end of 2037", zone) << z << utc(2037, 12, 31, 23, 59, 59);
            QTest::addRow("%s 2038", zone) << z << utc(2038, 1, 1, 0, 0, 0);
            QTest::addRow("%s 2100", zone) << z << utc(2100, 7, 1, 12, 0, 0);
        }
    }
    void localFileTimes() {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, utc);
        const QByteArray oldZone = qgetenv("TZ");
        const bool hadZone = qEnvironmentVariableIsSet("TZ");
        qputenv("TZ", zone);
        QLocale::setDefault(QLocale("en_US"));
        const qint64 fileTime = FileTimeFromDateTime(utc);
        // Before QDateTime looks at the zone, so the change of TZ is noticed here.
        const QString text = FileTimeText(fileTime);
        const QString again = FileTimeText(fileTime); // now from what was kept
        const QDateTime local = utc.toLocalTime();
        const QString expected = QLocale().toString(local.date(), QStringLiteral("M/d/yyyy")) +
                                 u' ' +
                                 QLocale().toString(local.time(), QStringLiteral("h:mm:ss AP"));
        if (hadZone)
            qputenv("TZ", oldZone);
        else
            qunsetenv("TZ");
        QCOMPARE(text, expected);
        QCOMPARE(again, expected);
    }

    void fileTimes() {
        const QDateTime epoch(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC);
        QCOMPARE(FileTimeFromDateTime(epoch), 116444736000000000LL);
        QCOMPARE(DateTimeFromFileTime(0), QDateTime(QDate(1601, 1, 1), QTime(0, 0), Qt::UTC));
        QCOMPARE(FileTimeFromDateTime(QDateTime(QDate(200000, 1, 1), {}, Qt::UTC)),
                 std::numeric_limits<qint64>::max());
    }

    void services() {
        if (qEnvironmentVariableIsEmpty("XDG_DATA_HOME") ||
            qEnvironmentVariableIsEmpty("XDG_CACHE_HOME"))
            QSKIP("needs the throw-away XDG tree of run_isolated.sh");
        QCOMPARE(AppDataFolder(), qEnvironmentVariable("XDG_DATA_HOME") + u'/');
        QCOMPARE(RecentFolder(), qEnvironmentVariable("XDG_CACHE_HOME") + "/Vollo/Recent/");
        QVERIFY(!QFileInfo::exists(RecentFolder())); // looked up, never created
    }
};

QTEST_GUILESS_MAIN(tst_BM_Library)
#include "tst_BM_Library.moc"

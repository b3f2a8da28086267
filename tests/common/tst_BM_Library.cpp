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

private:
    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return m_dir.path() + u'/' + name; }
    QString MakeFile(const QString& name, qint64 size) const {
        QFile f(Path(name));
        if (!f.open(QIODevice::WriteOnly) || !f.resize(size))
            qFatal("cannot make %s", qPrintable(f.fileName()));
        return f.fileName();
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void paths_data();
    void paths();
    void affixes_data();
    void affixes();
    void keys();
    void nulsAndSplitting();

    void fileFactsOfFolderFileAndLink();
    void folderExists_data();
    void folderExists();
    void sizeText_data();
    void sizeText();
    void sharedRecord();
    void dates_data();
    void dates();
    void fileDates();

    void specialFolders();
    void classIDs();
    void appFolder();
};

void tst_BM_Library::paths_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("withoutExtension");

    QTest::newRow("plain") << "/home/a/report.doc"
                           << "report.doc"
                           << "/home/a/"
                           << ".doc"
                           << "/home/a/report";
    // The extension search does not stop at the separator.
    QTest::newRow("dot in folder") << "/home/a.b/README"
                                   << "README"
                                   << "/home/a.b/"
                                   << ".b/README"
                                   << "/home/a";
    QTest::newRow("no separator") << "notes.txt"
                                  << "notes.txt"
                                  << ""
                                  << ".txt"
                                  << "notes";
    QTest::newRow("no dot") << "Makefile"
                            << "Makefile"
                            << ""
                            << "Makefile"
                            << "";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << ""
                           << "";
    QTest::newRow("root") << "/"
                          << ""
                          << "/"
                          << "/"
                          << "";
    QTest::newRow("folder only") << "/tmp/x/"
                                 << ""
                                 << "/tmp/x/"
                                 << "/tmp/x/"
                                 << "";
    QTest::newRow("hidden") << "/h/.bashrc"
                            << ".bashrc"
                            << "/h/"
                            << ".bashrc"
                            << "/h/";
    QTest::newRow("two dots") << "a.tar.gz"
                              << "a.tar.gz"
                              << ""
                              << ".gz"
                              << "a.tar";
    QTest::newRow("japanese") << "/書類/報告.docx"
                              << "報告.docx"
                              << "/書類/"
                              << ".docx"
                              << "/書類/報告";
}

void tst_BM_Library::paths() {
    QFETCH(QString, path);
    QFETCH(QString, withoutExtension);
    QTEST(FileNameOf(path), "name");
    QTEST(FolderOf(path), "folder");
    QTEST(ExtensionOf(path), "extension");
    QCOMPARE(RemoveExtension(path), withoutExtension);
    QCOMPARE(ChangeExtension(path, ".lnk"), withoutExtension + ".lnk");
}

void tst_BM_Library::affixes_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("s");
    QTest::addColumn<QString>("affix");
    QTest::addColumn<QString>("expected");

    QTest::newRow("add separator") << "AddBackslash"
                                   << "/tmp"
                                   << ""
                                   << "/tmp/";
    QTest::newRow("add separator to root") << "AddBackslash"
                                           << "/"
                                           << ""
                                           << "/";
    QTest::newRow("add separator to empty") << "AddBackslash"
                                            << ""
                                            << ""
                                            << "/";
    QTest::newRow("remove separator") << "RemoveBackslash"
                                      << "/tmp//"
                                      << ""
                                      << "/tmp/";
    QTest::newRow("remove from root") << "RemoveBackslash"
                                      << "/"
                                      << ""
                                      << "";
    QTest::newRow("remove none") << "RemoveBackslash"
                                 << "/tmp"
                                 << ""
                                 << "/tmp";
    QTest::newRow("remove suffix") << "RemoveTrailing"
                                   << "a.lnk"
                                   << ".lnk"
                                   << "a";
    QTest::newRow("remove longer suffix") << "RemoveTrailing"
                                          << "k"
                                          << ".lnk"
                                          << "k";
    QTest::newRow("append present") << "AppendIfMissing"
                                    << "ab"
                                    << "b"
                                    << "ab";
    QTest::newRow("append empty suffix") << "AppendIfMissing"
                                         << "ab"
                                         << ""
                                         << "ab";
    QTest::newRow("prepend present") << "PrependIfMissing"
                                     << "#1"
                                     << "#"
                                     << "#1";
    QTest::newRow("prepend to empty") << "PrependIfMissing"
                                      << ""
                                      << "#"
                                      << "#";
    // Only the first character is compared, so a longer prefix is always added.
    QTest::newRow("prepend long") << "PrependIfMissing"
                                  << "ab"
                                  << "ab"
                                  << "abab";
    QTest::newRow("date literal") << "DateLiteral"
                                  << "2024/01/02"
                                  << ""
                                  << "#2024/01/02#";
    QTest::newRow("date literal empty") << "DateLiteral"
                                        << ""
                                        << ""
                                        << "#";
    QTest::newRow("date literal opened") << "DateLiteral"
                                         << "#x"
                                         << ""
                                         << "#x#";
    QTest::newRow("date literal closed") << "DateLiteral"
                                         << "x#"
                                         << ""
                                         << "#x#";
    QTest::newRow("date literal whole") << "DateLiteral"
                                        << "#x#"
                                        << ""
                                        << "#x#";
    QTest::newRow("unquote") << "Unquote"
                             << "  \"a b\"  "
                             << ""
                             << "a b";
    QTest::newRow("unquote one side") << "Unquote"
                                      << "\"a b"
                                      << ""
                                      << "\"a b";
    QTest::newRow("unquote quote only") << "Unquote"
                                        << "\""
                                        << ""
                                        << "";
    QTest::newRow("unquote inner kept") << "Unquote"
                                        << "\"\"x\"\""
                                        << ""
                                        << "\"x\"";
    QTest::newRow("quote") << "QuoteText"
                           << "say \"hi\""
                           << ""
                           << "\"say \"hi\"\"";
}

void tst_BM_Library::affixes() {
    QFETCH(QString, function);
    QFETCH(QString, s);
    QFETCH(QString, affix);
    const QHash<QString, std::function<QString()>> functions = {
        {"AddBackslash", [&] { return AddBackslash(s); }},
        {"RemoveBackslash", [&] { return RemoveBackslash(s); }},
        {"RemoveTrailing", [&] { return RemoveTrailing(s, affix); }},
        {"AppendIfMissing", [&] { return AppendIfMissing(s, affix); }},
        {"PrependIfMissing", [&] { return PrependIfMissing(s, affix); }},
        {"DateLiteral", [&] { return DateLiteral(s); }},
        {"Unquote", [&] { return Unquote(s); }},
        {"QuoteText", [&] { return QuoteText(s); }},
    };
    QVERIFY(functions.contains(function));
    QTEST(functions.value(function)(), "expected");
}

void tst_BM_Library::keys() {
    for (const qint32 id : {0, 7, -3, 2147483647})
        QCOMPARE(KeyToID(MakeKey(id)), id);
    QCOMPARE(MakeKey(0), QStringLiteral("H0"));
    QCOMPARE(KeyToID("H12"), 12);
    for (const char* bad : {"", "H", "Hx", "H1.5", "H12a", "H99999999999"}) {
        try {
            KeyToID(QString::fromUtf8(bad));
            QFAIL(bad);
        } catch (const CError& e) {
            QVERIFY2(e.Text().contains(QString::fromUtf8(bad)), qPrintable(e.Text()));
        }
    }
}

void tst_BM_Library::nulsAndSplitting() {
    const QChar nul(0);
    QCOMPARE(CutAtNull(QString("abc") + nul + "def" + nul), QStringLiteral("abc"));
    QCOMPARE(CutAtNull(QString(nul)), QString());
    QVERIFY_THROWS_EXCEPTION(CError, CutAtNull("abc"));
    QCOMPARE(CutAtDoubleNull(QString("a") + nul + "b" + nul + nul + "c"), QString("a") + nul + "b");
    QCOMPARE(CutAtDoubleNull("abc"), QStringLiteral("abc"));

    QStringList out{"stale"};
    QCOMPARE(SplitText("", ",", out), 0);
    QVERIFY(out.isEmpty());
    QCOMPARE(SplitText("a,,b,", ",", out), 4);
    QCOMPARE(out, QStringList({"a", "", "b", ""}));
    QCOMPARE(SplitText("a<>b", "<>", out), 2);
    QCOMPARE(SplitText("abc", ";", out), 1);
    QCOMPARE(out, QStringList{"abc"});

    QList<int> list{1, 2, 3};
    ClearCollection(list);
    QVERIFY(list.isEmpty());
}

void tst_BM_Library::fileFactsOfFolderFileAndLink() {
    const QString file = MakeFile("facts.txt", 10);
    const QString folder = Path("facts.folder");
    QVERIFY(QDir().mkdir(folder));
    const QString dangling = Path("gone.doc.lnk");
    QVERIFY(QFile::link(Path("no-such-document.doc"), dangling));

    QVERIFY(FileExists(file));
    QVERIFY(!FileExists(folder));
    QVERIFY(!FileExists(AddBackslash(folder)));
    QVERIFY(!FileExists(Path("missing")));
    QVERIFY(!FileExists(""));
    QVERIFY(FileExists(dangling)); // the shortcut exists even though its document does not
    QVERIFY(FileSize(dangling) > 0);
    QVERIFY(!FileDateTimeText(dangling).isEmpty());
    QVERIFY(FileExists(Path("facts.t?t")));
    QVERIFY(!FileExists(Path("facts.*"))); // the first match, by name, is the folder
    QVERIFY(!FileExists(Path("*.folder")));
}

void tst_BM_Library::folderExists_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("exists");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blank") << "   " << false;
    QTest::newRow("quoted blank") << "\"  \"" << false;
    QTest::newRow("root") << "/" << true;
    QTest::newRow("temp") << QDir::tempPath() << true;
    QTest::newRow("temp with separator") << AddBackslash(QDir::tempPath()) << true;
    QTest::newRow("quoted") << " \"" + QDir::tempPath() + "/\" " << true;
    QTest::newRow("missing") << QDir::tempPath() + "/no such folder 4711" << false;
}

void tst_BM_Library::folderExists() {
    QFETCH(QString, path);
    QTEST(FolderExists(path), "exists");
    // Anything at the path counts, a file too.
    QVERIFY(FolderExists(MakeFile("a file", 1)));
}

void tst_BM_Library::sizeText_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << "en_US" << 0LL << "0 KB";
    QTest::newRow("one byte") << "en_US" << 1LL << "1 KB";
    QTest::newRow("1024") << "en_US" << 1024LL << "1 KB";
    QTest::newRow("1025") << "en_US" << 1025LL << "2 KB";
    QTest::newRow("999999") << "en_US" << 999999LL << "977 KB";
    QTest::newRow("1000000") << "en_US" << 1000000LL << "0.954 MB";
    QTest::newRow("1 MiB") << "en_US" << 1048576LL << "1. MB";
    QTest::newRow("1500000") << "en_US" << 1500000LL << "1.431 MB";
    QTest::newRow("rounded up to whole") << "en_US" << 1048575LL << "1. MB";
    QTest::newRow("largest MB") << "en_US" << 999999999LL << "953.674 MB";
    QTest::newRow("1e9") << "en_US" << 1000000000LL << "";
    QTest::newRow("de 1 MiB") << "de_DE" << 1048576LL << "1, MB";
    QTest::newRow("de 1500000") << "de_DE" << 1500000LL << "1,431 MB";
    QTest::newRow("ja 1500000") << "ja_JP" << 1500000LL << "1.431 MB";
    QTest::newRow("ja 999999") << "ja_JP" << 999999LL << "977 KB";
}

void tst_BM_Library::sizeText() {
    QFETCH(QString, locale);
    QFETCH(qint64, size);
    QLocale::setDefault(QLocale(locale));
    const QString file = MakeFile(QStringLiteral("size-%1").arg(size), size);
    QCOMPARE(FileSize(file), size);
    QTEST(FileSizeText(file), "expected");
    QTEST(FileSizeText(""), "expected"); // from the record of the last lookup
}

void tst_BM_Library::sharedRecord() {
    QLocale::setDefault(QLocale("en_US"));
    const QString older = MakeFile("older.txt", 3000);
    const QString newer = MakeFile("newer.txt", 5);
    QFile f(older);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)),
                          QFileDevice::FileModificationTime));
    f.close();

    QCOMPARE(FileSize(older), 3000);
    QCOMPARE(FileDateText(""), QStringLiteral("2/3/2001"));
    QCOMPARE(FileDateTimeText(""), QStringLiteral("2/3/2001 4:05:06 AM"));
    QCOMPARE(FileDateLiteral(""), QStringLiteral("#2/3/2001#"));
    QCOMPARE(FileSizeText(""), QStringLiteral("3 KB"));

    // Each lookup replaces the record, a failed one included.
    QVERIFY(FileDateText(newer) != QStringLiteral("2/3/2001"));
    QCOMPARE(FileSize(""), 5);
    QCOMPARE(FileDateText(Path("missing")), QStringLiteral("1/1/1601"));
    QCOMPARE(FileSize(""), 0);
    QCOMPARE(FileDateTimeText(""), QString());
    QCOMPARE(FileDateTimeText(Path("missing")), QString());
    QCOMPARE(FileSize(Path("missing")), 0);
    QCOMPARE(FileSizeText(""), QStringLiteral("0 KB"));
    // FileExists and FolderExists look for themselves and leave the record alone.
    QCOMPARE(FileSize(older), 3000);
    QVERIFY(FileExists(newer));
    QVERIFY(FolderExists(m_dir.path()));
    QCOMPARE(FileSize(""), 3000);
}

void tst_BM_Library::dates_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");

    QTest::newRow("en_US") << "en_US"
                           << "3/5/2024"
                           << "1:04:05 PM";
    QTest::newRow("de_DE") << "de_DE"
                           << "05.03.2024"
                           << "13:04:05";
    QTest::newRow("ja_JP") << "ja_JP"
                           << "2024/03/05"
                           << "13:04:05";
    QTest::newRow("ko_KR") << "ko_KR"
                           << "2024. 3. 5." << QString();
    QTest::newRow("fi_FI") << "fi_FI"
                           << "5.3.2024"
                           << "13.04.05";
    QTest::newRow("C") << "C" << QString() << "13:04:05";
}

void tst_BM_Library::dates() {
    QFETCH(QString, locale);
    QFETCH(QString, date);
    QFETCH(QString, time);
    QLocale::setDefault(QLocale(locale));
    const QDateTime t(QDate(2024, 3, 5), QTime(13, 4, 5));
    const QString dateText = DateText(t);
    if (!date.isEmpty())
        QCOMPARE(dateText, date);
    const QString timeText = TimeText(t);
    if (!time.isEmpty())
        QCOMPARE(timeText, time);
    // Whatever the locale's own form, years have four digits and times carry
    // seconds and no time zone, so the text reads back as the same moment.
    QVERIFY2(dateText.contains("2024"), qPrintable(dateText));
    QVERIFY2(timeText.contains("05") && !timeText.contains(t.timeZoneAbbreviation()),
             qPrintable(timeText));
    QCOMPARE(FileTimeText(FileTimeFromDateTime(t)), dateText + u' ' + timeText);
    QCOMPARE(DateText(QDateTime()), QString());
    QCOMPARE(TimeText(QDateTime()), QString());
}

void tst_BM_Library::fileDates() {
    const QDateTime epoch(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC);
    QCOMPARE(FileTimeFromDateTime(epoch), 116444736000000000LL);
    QCOMPARE(DateTimeFromFileTime(116444736000000000LL), epoch);
    QCOMPARE(DateTimeFromFileTime(0).toUTC(), QDateTime(QDate(1601, 1, 1), QTime(0, 0), Qt::UTC));
    const QDateTime t(QDate(2030, 12, 31), QTime(23, 59, 58, 123));
    QCOMPARE(DateTimeFromFileTime(FileTimeFromDateTime(t)), t);

    for (const char* name : {"en_US", "de_DE", "ja_JP"}) {
        QLocale::setDefault(QLocale(name));
        const QString file = MakeFile("dated", 1);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(t, QFileDevice::FileModificationTime));
        f.close();
        QCOMPARE(FileDateText(file), DateText(t));
        QVERIFY2(FileDateText(file).contains("2030"), qPrintable(FileDateText(file)));
        QCOMPARE(FileDateTimeText(file), DateText(t) + u' ' + TimeText(t));
        QCOMPARE(FileDateText(Path("missing")),
                 DateText(QDateTime(QDate(1601, 1, 1), QTime(0, 0))));
        QVERIFY2(FileDateText("").contains("1601"), qPrintable(FileDateText("")));
    }
}

void tst_BM_Library::specialFolders() {
    const QString data = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    const QString cache = QString::fromLocal8Bit(qgetenv("XDG_CACHE_HOME"));
    if (!data.isEmpty())
        QCOMPARE(AppDataFolder(), data + u'/');
    if (!cache.isEmpty())
        QCOMPARE(RecentFolder(), cache + "/Vollo/Recent/");
    QVERIFY(RecentFolder().endsWith("/Vollo/Recent/"));
    QVERIFY(DocumentsFolder().endsWith(u'/'));
    QVERIFY(DocumentsFolder().size() > 1);
    QCOMPARE(SpecialFolder(nullptr, CSIDL_APPDATA), AppDataFolder());
    QCOMPARE(SpecialFolder(nullptr, 12345), QStringLiteral("/"));
    QVERIFY(!QFileInfo::exists(RecentFolder())); // looked up, never created
}

void tst_BM_Library::classIDs() {
    const qint32 first = NextClassID();
    QVERIFY(first >= 1);
    QCOMPARE(NextClassID(), first + 1);
    QCOMPARE(NextClassID(), first + 2);
}

void tst_BM_Library::appFolder() {
    QCOMPARE(AppFolder(), QCoreApplication::applicationDirPath() + u'/');
    QVERIFY(QFileInfo(AppFolder()).isDir());
}

QTEST_GUILESS_MAIN(tst_BM_Library)
#include "tst_BM_Library.moc"

#include "BM_Library.h"
#include "CError.h"
#include "CShortcutReader.h"

#include "../support_tests.h"

#include <QtTest>

using namespace BM_Library;

namespace {

QByteArray& operator<<(QByteArray& b, quint32 v) {
    char raw[4];
    qToLittleEndian(v, raw);
    return b.append(raw, 4);
}
QByteArray Utf16(const QString& s) {
    return QByteArray(reinterpret_cast<const char*>(s.utf16()), (s.size() + 1) * 2);
}

enum Kind { Local, LocalUnicode, Network, RelativeOnly };

// A Windows shell link as the shell writes one: header, an empty item-ID list,
// then a link-information block (local or network path, with or without
// unicode copies) or only a relative path among the strings.
QByteArray ShellLink(Kind kind, const QString& path) {
    const bool unicode = kind == LocalUnicode, withInfo = kind != RelativeOnly;
    QByteArray b;
    b << 0x4Cu << 0x00021401u << 0u << 0x000000C0u << 0x46000000u;
    b << (0x1u | 0x80u | (withInfo ? 0x2u : 0x8u));
    b.append(QByteArray(0x4C - b.size(), '\0')).append("\x02\0\0\0", 4);
    if (withInfo) {
        const quint32 header = unicode ? 0x24 : 0x1C;
        QByteArray body;
        const auto at = [&] { return header + quint32(body.size()); };
        quint32 base = 0, net = 0, suffix = 0, baseW = 0, suffixW = 0;
        if (kind == Network) {
            const QByteArray share = path.section(u'\\', 0, 3).toLatin1() + '\0';
            net = at();
            body << 0x14u + quint32(share.size()) << 0u << 0x14u << 0u << 0x20000u;
            body.append(share);
            suffix = at();
            body.append(path.section(u'\\', 4).toLatin1() + '\0');
        } else {
            body << 0x11u << 3u << 0x1234u << 0x10u;
            body.append('\0');
            base = at();
            body.append(unicode ? QByteArray("?:\\???") + '\0' : path.toLatin1() + '\0');
            suffix = at();
            body.append('\0');
            baseW = at();
            body.append(Utf16(path));
            suffixW = at();
            body.append(Utf16(QString()));
        }
        b << header + quint32(body.size()) << header << (kind == Network ? 2u : 1u)
          << (kind == Network ? 0u : header) << base << net << suffix;
        if (unicode)
            b << baseW << suffixW;
        b.append(body);
    } else {
        b.append(char(path.size())).append('\0').append(Utf16(path).chopped(2));
    }
    return b << 0u;
}

} // namespace

class tst_Common : public QObject {
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
    static void ExpectError(const QString& path, const QString& wording) {
        const CError e = Raised([&] { ShortcutTarget(path); });
        QVERIFY2(e.Code() != -1 && e.Text().contains(path) && e.Text().contains(wording),
                 qPrintable(e.Text()));
    }

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void paths_data() {
        QTest::addColumn<QString>("row"); // path|name|folder|extension
        QTest::newRow("plain") << "/home/a/report.doc|report.doc|/home/a/|.doc";
        // The extension search does not stop at the separator.
        QTest::newRow("dot in folder") << "/a.b/README|README|/a.b/|.b/README";
        QTest::newRow("no separator, no dot") << "Makefile|Makefile||Makefile";
        QTest::newRow("empty") << "|||";
        QTest::newRow("root") << "/||/|/";
        QTest::newRow("hidden") << "/h/.bashrc|.bashrc|/h/|.bashrc";
        QTest::newRow("japanese") << "/書類/報告.tar.gz|報告.tar.gz|/書類/|.gz";
    }
    void paths() {
        QFETCH(QString, row);
        const QString path = row.section('|', 0, 0), parts = row.section('|', 1);
        QCOMPARE(FileNameOf(path) + '|' + FolderOf(path) + '|' + ExtensionOf(path), parts);
        const QString stem = path.left(path.size() - parts.section('|', 2).size());
        QCOMPARE(RemoveExtension(path), stem);
    }

    // The cut at a double NUL and the split at NULs are read through their only
    // caller, the shell's file-name list.
    void keys() {
        for (const qint32 id : {0, 7, -3, 2147483647})
            QCOMPARE(KeyToID(MakeKey(id)), id);
        for (const QString bad : {"", "H", "Hx", "H1.5", "H12a", "H99999999999"}) {
            const CError e = Raised([&] { KeyToID(bad); });
            QVERIFY2(e.Code() != -1 && e.Text().contains(bad), qPrintable(e.Text()));
        }
    }

    void fileAndFolderFacts() {
        const QString file = MakeFile("facts.txt", 10);
        const QString folder = Path("facts.folder");
        QVERIFY(QDir().mkdir(folder));
        const QString dangling = Path("gone.doc.lnk");
        QVERIFY(QFile::link(Path("no-such-document.doc"), dangling));

        // The shortcut outlives its document; the first match of "facts.*" by
        // name is the folder; anything at a path counts as a folder.
        QCOMPARE((QList<bool>{FileExists(file), FileExists(folder), FileExists(dangling),
                              FileExists(Path("facts.t?t")), FileExists(Path("facts.*"))}),
                 (QList<bool>{true, false, true, true, false}));
        QVERIFY(FileSize(dangling) > 0 && !FileDateTimeText(dangling).isEmpty());
        QCOMPARE((QList<bool>{FolderExists(file), FolderExists(" \"" + folder + "/\" "),
                              FolderExists("\" \""), FolderExists(Path("missing"))}),
                 (QList<bool>{true, true, false, false}));
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
        QCOMPARE(FileSizeText(""), QStringLiteral("3 KB"));
        // FileExists and FolderExists leave the record alone.
        QVERIFY(FileExists(newer) && FolderExists(newer));
        QCOMPARE(FileSize(""), 3000);
        // Each lookup replaces the record, a failed one included.
        const QString newerText = FileDateTimeText(newer);
        QCOMPARE(FileDateTimeText(""), newerText);
        QCOMPARE(FileSize(""), 5);
        QCOMPARE(FileDateTimeText(Path("missing")), QString());
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
        // Around the changes of 2024 (Europe, the US, Lord Howe), the epoch,
        // 1601, 2038 and beyond.
        const QList<QDateTime> instants{
            utc(2024, 3, 31, 0, 59, 59, 999), utc(2024, 3, 31, 1, 0, 0),
            utc(2024, 3, 10, 7, 0, 0),        utc(2024, 10, 27, 0, 59, 59),
            utc(2024, 10, 27, 1, 0, 1),       utc(2024, 4, 6, 14, 59, 59),
            utc(1970, 1, 1, 0, 0, 0),         utc(1969, 12, 31, 23, 59, 59, 500),
            utc(1601, 1, 1, 0, 0, 0),         utc(2037, 12, 31, 23, 59, 59),
            utc(2038, 1, 1, 0, 0, 0),         utc(2100, 7, 1, 12, 0, 0)};
        for (const char* zone :
             {"Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "Asia/Tokyo", "UTC"}) {
            for (const QDateTime& t : instants)
                QTest::addRow("%s %s", zone, qPrintable(t.toString(Qt::ISODateWithMs)))
                    << QByteArray(zone) << t;
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
        const QString expected = QLocale().toString(local.date(), "M/d/yyyy") + u' ' +
                                 QLocale().toString(local.time(), "h:mm:ss AP");
        if (hadZone)
            qputenv("TZ", oldZone);
        else
            qunsetenv("TZ");
        QCOMPARE(text, expected);
        QCOMPARE(again, expected);
    }

    void symbolicLinks_data() {
        QTest::addColumn<QString>("linkName");
        QTest::addColumn<bool>("relative");
        QTest::addColumn<QString>("stored");
        QTest::newRow("absolute, capitals") << "a.doc.LNK" << false << "/srv/a.doc";
        QTest::newRow("relative, upward") << "e.Lnk" << true << "../docs/e.txt";
        QTest::newRow("odd name") << "今日の \"n\" 100%.lnk" << false << "/t/-x 'q'";
        QTest::newRow("absolute, untidy") << "u.lnk" << false << "/srv//x/./../a.doc/";
        QTest::newRow("relative, plain") << "p.lnk" << true << "docs/p.txt";
        // The longest target a link can hold on most file systems.
        QTest::newRow("longest") << "l.lnk" << false
                                 << "/" + QString(4094, u'\u3042').left(1000) +
                                        QString(4094 - 1000 * 3, u'x');
    }
    void symbolicLinks() {
        QFETCH(QString, linkName);
        QFETCH(bool, relative);
        // Targets need not exist: a shortcut outlives its document.
        QFETCH(QString, stored);
        QVERIFY(QFile::link(stored, Path(linkName)));
        const QString expected =
            QDir::cleanPath(relative ? QDir(m_dir.path()).absolutePath() + '/' + stored : stored);
        QCOMPARE(ShortcutTarget(Path(linkName)), expected);
        QCOMPARE(ShortcutTarget(m_dir.path() + "/./" + linkName), expected);
    }

    void notShortcuts() {
        QVERIFY(QFile::link("/srv/x.doc", Path("x.doc")));
        QCOMPARE(ShortcutTarget(Path("x.doc")), QString());
        QCOMPARE(ShortcutTarget(Path("x.lnk.bak")), QString());
        QCOMPARE(ShortcutTarget(""), QString());
        ExpectError(Path("missing.lnk"), "cannot be read");
        ExpectError(WriteFile(Path("garbage.lnk"), "no shortcut at all, just text"),
                    "neither a symbolic link nor a Windows shell link");
        ExpectError(WriteFile(Path("empty.LNK"), {}), "neither");
        QVERIFY(QDir().mkdir(Path("folder.lnk")));
        ExpectError(Path("folder.lnk"), "neither");
        ExpectError(
            WriteFile(Path("bare.lnk"), ShellLink(Local, "C:\\x").left(0x14) + QByteArray(56, 0)),
            "holds no target path");
    }

    void shellLinks_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("local") << "C:\\Users\\a\\r.doc" << int(Local) << "C:/Users/a/r.doc";
        QTest::newRow("unicode") << "D:\\書類\\報告.xlsx" << int(LocalUnicode)
                                 << "D:/書類/報告.xlsx";
        QTest::newRow("network") << "\\\\srv\\share\\d\\f.pdf" << int(Network)
                                 << "//srv/share/d/f.pdf";
        QTest::newRow("relative") << "..\\docs\\r.txt" << int(RelativeOnly)
                                  << QDir::cleanPath(m_dir.path() + "/../docs/r.txt");
    }
    void shellLinks() {
        QFETCH(int, kind);
        QFETCH(QString, stored);
        QTEST(ShortcutTarget(
                  WriteFile(Path(QString("shell%1.lnk").arg(kind)), ShellLink(Kind(kind), stored))),
              "expected");
    }

    void damagedShellLinks() {
        const QByteArray whole = ShellLink(LocalUnicode, "C:\\x\\y.doc");
        const qsizetype info = 0x4C + 4;
        const qsizetype infoEnd = info + qFromLittleEndian<quint32>(whole.constData() + info);
        // Cut anywhere, a link fails cleanly and never reads past its end; once
        // the link information is whole, its path is good enough.
        for (qsizetype n = 0; n < whole.size(); ++n) {
            try {
                const QString target = CShortcutReader::ParseShellLink(whole.left(n), "/", "c.lnk");
                QVERIFY2(n >= infoEnd, qPrintable(QString("cut at %1: %2").arg(n).arg(target)));
                QCOMPARE(target, QStringLiteral("C:/x/y.doc"));
            } catch (const CError& e) {
                QVERIFY2(n < infoEnd && e.Text().contains("c.lnk"), qPrintable(e.Text()));
            }
        }
        QByteArray wild = whole; // an offset pointing outside the block
        qToLittleEndian<quint32>(0xFFFFFFF0u, wild.data() + info + 28);
        QVERIFY_THROWS_EXCEPTION(CError, CShortcutReader::ParseShellLink(wild, "/", "w.lnk"));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return RunAll<tst_Common>(argc, argv);
}
#include "tst_common.moc"

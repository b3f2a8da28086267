#include "BM_Library.h"
#include "CError.h"
#include "CShortcutReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using BM_Library::ShortcutTarget;

namespace {

void Put32(QByteArray& b, quint32 v) {
    char raw[4];
    qToLittleEndian(v, raw);
    b.append(raw, 4);
}
void Put16(QByteArray& b, quint16 v) {
    char raw[2];
    qToLittleEndian(v, raw);
    b.append(raw, 2);
}
QByteArray Utf16(const QString& s) {
    QByteArray b;
    for (QChar c : s)
        Put16(b, c.unicode());
    Put16(b, 0);
    return b;
}

// A Windows shell link as the shell writes one: header, an item-ID list, and
// either a link-information block (local or network path, optionally with
// unicode copies) or only a relative path among the strings.
struct ShellLink {
    enum Kind { Local, LocalUnicode, Network, RelativeOnly };

    static QByteArray Make(Kind kind, const QString& path) {
        const bool withInfo = kind != RelativeOnly;
        quint32 flags = 0x1 | 0x80 | (withInfo ? 0x2 : 0x8) | 0x4;
        QByteArray b;
        Put32(b, 0x4C);
        b.append(QByteArray::fromHex("0114020000000000C000000000000046"));
        Put32(b, flags);
        b.append(QByteArray(0x4C - b.size(), '\0'));
        Put16(b, 4); // item-ID list: one empty terminator pair
        Put32(b, 0);
        if (withInfo)
            b.append(LinkInfo(kind, path));
        const auto counted = [&](const QString& s) {
            Put16(b, quint16(s.size()));
            for (QChar c : s)
                Put16(b, c.unicode());
        };
        counted(QStringLiteral("a description"));
        if (!withInfo)
            counted(path);
        Put32(b, 0); // no extra data
        return b;
    }

    static QByteArray LinkInfo(Kind kind, const QString& path) {
        const bool unicode = kind == LocalUnicode;
        const quint32 headerSize = unicode ? 0x24 : 0x1C;
        QByteArray body; // what follows the header, addressed from the block start
        const auto offset = [&] { return quint32(headerSize + body.size()); };
        quint32 volume = 0, base = 0, net = 0, suffix = 0, baseUnicode = 0, suffixUnicode = 0;
        if (kind == Network) {
            net = offset();
            const QByteArray share = path.section(u'\\', 0, 3).toLatin1();
            QByteArray n;
            Put32(n, 0x14 + quint32(share.size()) + 1);
            Put32(n, 0);
            Put32(n, 0x14); // net name right after this header
            Put32(n, 0);
            Put32(n, 0x00020000);
            n.append(share).append('\0');
            body.append(n);
            suffix = offset();
            body.append(path.section(u'\\', 4).toLatin1()).append('\0');
        } else {
            volume = offset();
            Put32(body, 0x11);
            Put32(body, 3);
            Put32(body, 0x1234);
            Put32(body, 0x10);
            body.append('\0');
            base = offset();
            body.append(unicode ? QByteArray("?:\\???") : path.toLatin1()).append('\0');
            suffix = offset();
            body.append('\0');
            if (unicode) {
                baseUnicode = offset();
                body.append(Utf16(path));
                suffixUnicode = offset();
                body.append(Utf16(QString()));
            }
        }
        QByteArray info;
        Put32(info, headerSize + quint32(body.size()));
        Put32(info, headerSize);
        Put32(info, kind == Network ? 0x2 : 0x1);
        for (quint32 v : {volume, base, net, suffix})
            Put32(info, v);
        if (unicode) {
            Put32(info, baseUnicode);
            Put32(info, suffixUnicode);
        }
        return info + body;
    }
};

} // namespace

class tst_CShortcutReader : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return m_dir.path() + u'/' + name; }
    QString Write(const QString& name, const QByteArray& data) const {
        QFile f(Path(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
            qFatal("cannot write %s", qPrintable(f.fileName()));
        return f.fileName();
    }
    void ExpectError(const QString& path, const QString& wording) {
        try {
            const QString target = ShortcutTarget(path);
            QFAIL(qPrintable("no error, target " + target));
        } catch (const CError& e) {
            QVERIFY2(e.Text().contains(path) && e.Text().contains(wording), qPrintable(e.Text()));
        }
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void symbolicLinks_data();
    void symbolicLinks();
    void otherExtensions();
    void unreadable();
    void shellLinks_data();
    void shellLinks();
    void damagedShellLinks();
};

void tst_CShortcutReader::symbolicLinks_data() {
    QTest::addColumn<QString>("linkName");
    QTest::addColumn<QString>("storedTarget");
    QTest::addColumn<QString>("expected");

    const QString dir = QDir(m_dir.path()).absolutePath();
    QTest::newRow("absolute") << "a.doc.lnk"
                              << "/srv/docs/a.doc"
                              << "/srv/docs/a.doc";
    QTest::newRow("capital extension") << "b.doc.LNK"
                                       << "/srv/b.doc"
                                       << "/srv/b.doc";
    QTest::newRow("mixed case") << "c.Lnk"
                                << "/srv/c"
                                << "/srv/c";
    QTest::newRow("relative") << "d.lnk"
                              << "docs/d.txt" << dir + "/docs/d.txt";
    QTest::newRow("relative upward") << "e.lnk"
                                     << "../e.txt" << QDir::cleanPath(dir + "/../e.txt");
    QTest::newRow("odd name") << "今日の \"notes\" 100%.doc.lnk"
                              << "/tmp/-x 'q'.doc"
                              << "/tmp/-x 'q'.doc";
}

void tst_CShortcutReader::symbolicLinks() {
    QFETCH(QString, linkName);
    QFETCH(QString, storedTarget);
    // Targets need not exist: a shortcut outlives its document.
    QVERIFY(QFile::link(storedTarget, Path(linkName)));
    QTEST(ShortcutTarget(Path(linkName)), "expected");
    QTEST(ShortcutTarget(m_dir.path() + "/./" + linkName), "expected");
}

void tst_CShortcutReader::otherExtensions() {
    QVERIFY(QFile::link("/srv/x.doc", Path("x.doc")));
    QCOMPARE(ShortcutTarget(Path("x.doc")), QString());
    QCOMPARE(ShortcutTarget(Path("missing.txt")), QString());
    QCOMPARE(ShortcutTarget(Path("x.lnk.bak")), QString());
    QCOMPARE(ShortcutTarget(""), QString());
}

void tst_CShortcutReader::unreadable() {
    ExpectError(Path("missing.lnk"), "cannot be read");
    ExpectError(Write("garbage.lnk", "this is no shortcut at all, just some text"),
                "neither a symbolic link nor a Windows shell link");
    ExpectError(Write("empty.LNK", QByteArray()), "neither");
    QVERIFY(QDir().mkdir(Path("folder.lnk")));
    ExpectError(Path("folder.lnk"), "neither");
}

void tst_CShortcutReader::shellLinks_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    QTest::newRow("local") << int(ShellLink::Local) << "C:\\Users\\a\\report.doc"
                           << "C:/Users/a/report.doc";
    QTest::newRow("local unicode") << int(ShellLink::LocalUnicode) << "D:\\書類\\報告.xlsx"
                                   << "D:/書類/報告.xlsx";
    QTest::newRow("network") << int(ShellLink::Network) << "\\\\server\\share\\dir\\f.pdf"
                             << "//server/share/dir/f.pdf";
    QTest::newRow("relative only") << int(ShellLink::RelativeOnly) << "..\\docs\\r.txt"
                                   << QDir::cleanPath(m_dir.path() + "/../docs/r.txt");
}

void tst_CShortcutReader::shellLinks() {
    QFETCH(int, kind);
    QFETCH(QString, stored);
    const QString link = Write(QStringLiteral("shell-%1.lnk").arg(kind),
                               ShellLink::Make(ShellLink::Kind(kind), stored));
    QTEST(ShortcutTarget(link), "expected");
    QTEST(CShortcutReader::ParseShellLink(ShellLink::Make(ShellLink::Kind(kind), stored),
                                          m_dir.path(), "x"),
          "expected");
}

void tst_CShortcutReader::damagedShellLinks() {
    const QByteArray whole = ShellLink::Make(ShellLink::LocalUnicode, "C:\\x\\y.doc");
    const qsizetype info = 0x4C + 6;
    const qsizetype infoEnd = info + qFromLittleEndian<quint32>(whole.constData() + info);
    // Cut anywhere, the link must fail cleanly and never read past its end; once
    // the link information is whole, the path in it is good enough.
    for (qsizetype n = 0; n < whole.size(); ++n) {
        try {
            const QString target = CShortcutReader::ParseShellLink(whole.left(n), "/", "cut.lnk");
            QVERIFY2(n >= infoEnd,
                     qPrintable(QStringLiteral("cut at %1 gave %2").arg(n).arg(target)));
            QCOMPARE(target, QStringLiteral("C:/x/y.doc"));
        } catch (const CError& e) {
            QVERIFY2(n < infoEnd && e.Text().contains("cut.lnk"), qPrintable(e.Text()));
        }
    }
    // Offsets pointing outside the block.
    QByteArray wild = whole;
    qToLittleEndian<quint32>(0xFFFFFFF0u, wild.data() + info + 28);
    QVERIFY_THROWS_EXCEPTION(CError, CShortcutReader::ParseShellLink(wild, "/", "w.lnk"));
    // Neither link information nor a relative path: nothing to follow.
    QByteArray bare = whole.left(0x4C);
    qToLittleEndian<quint32>(0, bare.data() + 0x14);
    ExpectError(Write("bare.lnk", bare), "holds no target path");
}

QTEST_GUILESS_MAIN(tst_CShortcutReader)
#include "tst_CShortcutReader.moc"

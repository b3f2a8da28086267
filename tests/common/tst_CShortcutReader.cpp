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

class tst_CShortcutReader : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return m_dir.path() + u'/' + name; }
    QString Write(const QString& name, const QByteArray& data) const {
        QFile f(Path(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
            qFatal("cannot write %s", qPrintable(f.fileName()));
        return f.fileName();
    }
    static void ExpectError(const QString& path, const QString& wording) {
        try {
            QFAIL(qPrintable("no error, target " + ShortcutTarget(path)));
        } catch (const CError& e) {
            QVERIFY2(e.Text().contains(path) && e.Text().contains(wording), qPrintable(e.Text()));
        }
    }

private slots:
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
        ExpectError(Write("garbage.lnk", "no shortcut at all, just text"),
                    "neither a symbolic link nor a Windows shell link");
        ExpectError(Write("empty.LNK", {}), "neither");
        QVERIFY(QDir().mkdir(Path("folder.lnk")));
        ExpectError(Path("folder.lnk"), "neither");
        ExpectError(Write("bare.lnk", ShellLink(Local, "C:\\x").left(0x14) + QByteArray(56, 0)),
                    "holds no target path");
    }

    void shellLinks_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("local") << int(Local) << "C:\\Users\\a\\r.doc"
                               << "C:/Users/a/r.doc";
        QTest::newRow("unicode") << int(LocalUnicode) << "D:\\書類\\報告.xlsx"
                                 << "D:/書類/報告.xlsx";
        QTest::newRow("network") << int(Network) << "\\\\srv\\share\\d\\f.pdf"
                                 << "//srv/share/d/f.pdf";
        QTest::newRow("relative") << int(RelativeOnly) << "..\\docs\\r.txt"
                                  << QDir::cleanPath(m_dir.path() + "/../docs/r.txt");
    }
    void shellLinks() {
        QFETCH(int, kind);
        QFETCH(QString, stored);
        QTEST(
            ShortcutTarget(Write(QString("shell%1.lnk").arg(kind), ShellLink(Kind(kind), stored))),
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

QTEST_GUILESS_MAIN(tst_CShortcutReader)
#include "tst_CShortcutReader.moc"

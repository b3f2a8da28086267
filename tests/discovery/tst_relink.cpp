#include "CMoveMatcher.h"
#include "CMoveWatcher.h"
#include "CShortcutRelinker.h"
#include "support_discovery.h"

#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <sys/stat.h>
#include <thread>

using Facts = CMoveMatcher::Facts;
using Verdict = CMoveMatcher::Verdict;
Q_DECLARE_METATYPE(QList<Facts>)
Q_DECLARE_METATYPE(Verdict)

class tst_relink : public QObject {
    Q_OBJECT

private slots:
    // The document: /old/a.pdf, device 1, inode 10, 100 bytes, time 1000, print 7.
    void matchRules_data() {
        QTest::addColumn<QList<Facts>>("found");
        QTest::addColumn<Verdict>("verdict");
        QTest::addColumn<QString>("path");
        const auto f = [](const char* p, quint64 dev, quint64 ino, qint64 size, qint64 t,
                          int print) {
            return Facts{p, dev, ino, size, t, quint64(print), print >= 0};
        };
        QTest::newRow("renamed: same inode")
            << QList{f("/old/b.pdf", 1, 10, 100, 1000, -1)} << Verdict::Relink << "/old/b.pdf";
        QTest::newRow("inode reused, other size")
            << QList{f("/old/x", 1, 10, 55, 2000, 9)} << Verdict::Unmatched << "";
        QTest::newRow("inode reused, same size, other content")
            << QList{f("/old/x", 1, 10, 100, 2000, 9)} << Verdict::Unmatched << "";
        QTest::newRow("other file system: print")
            << QList{f("/shm/z.pdf", 2, 77, 100, 5, 7)} << Verdict::Relink << "/shm/z.pdf";
        QTest::newRow("two copies")
            << QList{f("/c1/a.pdf", 1, 81, 100, 1000, 7), f("/c2/a.pdf", 1, 82, 100, 1000, 7)}
            << Verdict::Ambiguous << "";
        QTest::newRow("inode beats a copy")
            << QList{f("/c1/a.pdf", 1, 81, 100, 1000, 7), f("/new/b.pdf", 1, 10, 100, 1000, -1)}
            << Verdict::Relink << "/new/b.pdf";
        QTest::newRow("same name, size, time; other content")
            << QList{f("/new/a.pdf", 1, 80, 100, 1000, 8)} << Verdict::Unmatched << "";
        QTest::newRow("same name, size, time; print unreadable")
            << QList{f("/new/a.pdf", 1, 80, 100, 1000, -1)} << Verdict::Relink << "/new/a.pdf";
        QTest::newRow("name alone")
            << QList{f("/new/a.pdf", 1, 80, 200, 1000, -1)} << Verdict::Unmatched << "";
        QTest::newRow("taken by a registered document")
            << QList{f("/taken/a.pdf", 1, 81, 100, 1000, 7)} << Verdict::Unmatched << "";
    }
    void matchRules() {
        QFETCH(QList<Facts>, found);
        QFETCH(Verdict, verdict);
        QFETCH(QString, path);
        CMoveMatcher matcher;
        matcher.setMissing({{"/old/a.pdf", 1, 10, 100, 1000, 7, true}});
        matcher.setTaken({"/taken/a.pdf"});
        for (const Facts& c : found)
            if (matcher.IsCandidate(c.Device, c.Inode, c.Size))
                matcher.AddCandidate(c);
        const CMoveMatcher::Outcome o = matcher.Match().value(0);
        QCOMPARE(o.Decision, verdict);
        if (verdict == Verdict::Relink)
            QCOMPARE(o.Candidates, QStringList{path});
    }

    // Two missing copies of one document cannot both become the one file found.
    void oneFileIsNeverGivenToTwo() {
        CMoveMatcher matcher;
        matcher.setMissing({{"/a/x.txt", 1, 1, 5, 9, 3, true}, {"/b/x.txt", 1, 2, 5, 9, 3, true}});
        matcher.AddCandidate({"/c/x.txt", 1, 3, 5, 9, 3, true});
        for (const CMoveMatcher::Outcome& o : matcher.Match())
            QCOMPARE(o.Decision, Verdict::Ambiguous);
    }

    // The shortcut is replaced in one step: a reader never finds it missing.
    void relinkIsAtomic() {
        QTemporaryDir dir;
        const QString link = dir.path() + "/doc.txt.lnk";
        QVERIFY(Link("/nowhere/0", link));
        std::atomic<bool> done{false}, gap{false};
        std::thread reader([&] {
            struct stat st;
            while (!done)
                if (lstat(QFile::encodeName(link).constData(), &st) != 0)
                    gap = true;
        });
        for (int i = 1; i <= 2000; ++i)
            CShortcutRelinker::Relink(link, QStringLiteral("/nowhere/%1").arg(i));
        done = true;
        reader.join();
        QVERIFY(!gap);
        QCOMPARE(RawLink(link), QString("/nowhere/2000"));
        QCOMPARE(Entries(dir.path()), QStringList{"doc.txt.lnk"});
    }

    void watcherPairsMoves() {
        QTemporaryDir dir;
        const QString a = dir.path() + "/a/", b = dir.path() + "/b/";
        QVERIFY(Touch(a + "x.txt") && Touch(b + "sub/y.txt"));
        CMoveWatcher watcher;
        QSignalSpy moved(&watcher, &CMoveWatcher::OnMoved);
        QVERIFY(watcher.Watch(a) && watcher.Watch(b) && watcher.Watch(b + "sub"));
        QVERIFY(QFile::rename(a + "x.txt", a + "z.txt"));
        QVERIFY(QFile::rename(a + "z.txt", b + "z.txt"));
        QVERIFY(QFile::rename(b + "sub", a + "sub2"));
        QVERIFY(QFile::rename(a + "sub2/y.txt", a + "sub2/w.txt"));
        QTRY_COMPARE(moved.size(), 4);
        QCOMPARE(moved[1], (QList<QVariant>{a + "z.txt", b + "z.txt", false}));
        QCOMPARE(moved[2], (QList<QVariant>{b + "sub", a + "sub2", true}));
        QCOMPARE(moved[3][1].toString(), a + "sub2/w.txt"); // the watch followed its folder

        // Past the limit nothing more is watched, and the user is told once.
        watcher.setWatchLimit(3);
        QSignalSpy limit(&watcher, &CMoveWatcher::OnWatchLimit);
        QVERIFY(!watcher.Watch(dir.path()) && !watcher.Watch(dir.path()) && watcher.Watch(a));
        QCOMPARE(limit.size(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_relink)
#include "tst_relink.moc"

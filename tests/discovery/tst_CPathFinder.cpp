#include "BM_Library.h"
#include "CBusyIndicator.h"
#include "CError.h"
#include "CPathFinder.h"
#include "support_discovery.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Everything one walk raised: the events in order and the paths found,
// relative to root and sorted.
struct Walked {
    QStringList events, found, ages;
    qint32 finish = -1;
};

Walked Walk(CPathFinder& finder, const QString& root, const QString& path) {
    Walked w;
    QObject context;
    QObject::connect(&finder, &CPathFinder::OnBegin, &context, [&] { w.events << "begin"; });
    QObject::connect(
        &finder, &CPathFinder::OnFound, &context, [&](const QString& name, const QString& age) {
            w.events << name;
            w.found << (name.startsWith(root + "/") ? name.mid(root.size() + 1) : name);
            w.ages << age;
        });
    QObject::connect(&finder, &CPathFinder::OnFinish, &context, [&](qint32 n) {
        w.events << "finish";
        w.finish = n;
    });
    finder.FindFile(path);
    w.found.sort();
    return w;
}

Walked Walk(CPathFinder& finder, const QString& root) {
    return Walk(finder, root, root);
}

} // namespace

class tst_CPathFinder : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { CBusyIndicator::setHandlers({}, {}); }

    // Walks of nothing end at once; flags turned off later do not take back
    // what an earlier walk allowed, only writing the mask narrows it. With a
    // cleared mask, a read-only entry needs its flag, a hidden read-only one
    // both.
    void emptyWalksAndTheMask() {
        CPathFinder f;
        QTemporaryDir tmp;
        for (const QString& path : {QString(), tmp.path(), tmp.path() + "/missing"})
            QCOMPARE(Walk(f, tmp.path(), path).events, QStringList({"begin", "finish"}));
        QVERIFY(Touch(tmp.path() + "/a.txt") && Touch(tmp.path() + "/.h"));
        f.setHidden(true);
        QCOMPARE(Walk(f, tmp.path()).finish, 2);
        f.setHidden(false);
        f.setArchive(false);
        QCOMPARE(Walk(f, tmp.path()).finish, 2);
        f.setAttributeEx(0);
        QCOMPARE(Walk(f, tmp.path()).finish, 0);
        for (const char* name : {"/ro.txt", "/.ro"}) {
            QVERIFY(Touch(tmp.path() + name));
            QCOMPARE(chmod(QFile::encodeName(tmp.path() + name).constData(), 0444), 0);
        }
        const auto walk = [&](bool hidden, bool readOnly) {
            f.setAttributeEx(0);
            f.setHidden(hidden);
            f.setReadOnly(readOnly);
            f.setArchive(true);
            return Walk(f, tmp.path()).found.filter("ro");
        };
        QCOMPARE(walk(false, true), QStringList({"ro.txt"}));
        QCOMPARE(walk(true, false), QStringList());
        QCOMPARE(walk(true, true), QStringList({".ro", "ro.txt"}));
    }

    void trailingSeparatorAndOddNames() {
        QTemporaryDir tmp;
        const QStringList names = {"a.txt",
                                   "sub/he said \"hi\".txt",
                                   "sub/it's 100%.doc",
                                   "フォルダ 'x'/報告書 第1版.docx",
                                   "フォルダ 'x'/-rf",
                                   "フォルダ 'x'/deeper/no extension"};
        for (const QString& n : names)
            QVERIFY(Touch(tmp.path() + "/" + n));
        // FileAge: the local time of the entry's last change, as the user reads it.
        const timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
        QCOMPARE(
            utimensat(AT_FDCWD, QFile::encodeName(tmp.path() + "/a.txt").constData(), times, 0), 0);
        CPathFinder f;
        const Walked plain = Walk(f, tmp.path());
        QCOMPARE(plain.ages[plain.events.indexOf(tmp.path() + "/a.txt") - 1],
                 BM_Library::FileTimeText((1700000000LL + 11644473600LL) * 10000000));
        const Walked slash = Walk(f, tmp.path(), tmp.path() + "/");
        QCOMPARE(plain.events, slash.events);
        QStringList sorted = names;
        sorted.sort();
        QCOMPARE(plain.found, sorted);
    }

    void foldersAndPatterns_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("subFolders");
        QTest::addColumn<bool>("folders");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("everything")
            << "*.*" << true << false
            << QStringList({"a.TXT", "b.doc", "named.txt/d.txt", "named.txt/e.doc", "plain/c.txt"});
        QTest::newRow("folders too")
            << "*" << true << true
            << QStringList({"a.TXT", "b.doc", "named.txt", "named.txt/d.txt", "named.txt/e.doc",
                            "plain", "plain/c.txt"});
        QTest::newRow("top only") << "*.*" << false << true
                                  << QStringList({"a.TXT", "b.doc", "named.txt", "plain"});
        // A sub-folder is entered only when its own name matches.
        QTest::newRow("pattern filters folders")
            << "*.txt" << true << false << QStringList({"a.TXT", "named.txt/d.txt"});
        QTest::newRow("? is one character") << "?.doc" << true << false << QStringList({"b.doc"});
    }

    void foldersAndPatterns() {
        QFETCH(QString, pattern);
        QFETCH(bool, subFolders);
        QFETCH(bool, folders);
        QFETCH(QStringList, found);
        QTemporaryDir tmp;
        for (const char* n :
             {"a.TXT", "b.doc", "plain/c.txt", "named.txt/d.txt", "named.txt/e.doc"})
            QVERIFY(Touch(tmp.path() + "/" + n));
        CPathFinder f;
        f.setPattern(pattern);
        f.setIncludeSubFolder(subFolders);
        f.setDirectory(folders);
        const Walked w = Walk(f, tmp.path());
        QCOMPARE(w.found, found);
        // Depth first: a folder's event comes right before its contents.
        if (folders && subFolders)
            QCOMPARE(w.events.indexOf(tmp.path() + "/plain") + 1,
                     w.events.indexOf(tmp.path() + "/plain/c.txt"));
    }

    void homeFolderTree() {
        QTemporaryDir home;
        const QString h = home.path();
        for (const char* n : {"Documents/a.txt", ".git/objects/x.txt", ".cache/y.txt",
                              ".local/share/Trash/files/z.txt", ".venv/lib/w.txt", ".hidden.txt",
                              "locked/secret.txt"})
            QVERIFY(Touch(h + "/" + n));
        const QByteArray raw = QFile::encodeName(h);
        QVERIFY(TouchRaw(raw + "/\x82\xa0.txt") && TouchRaw(raw + "/caf\xe9/b.txt"));
        const bool root = geteuid() == 0; // root reads every folder
        QCOMPARE(chmod(raw + "/locked", 0), 0);
        CPathFinder f;
        QStringList leftOut;
        connect(&f, &CPathFinder::OnLeftOut,
                [&](const QString& path) { leftOut << path.mid(h.size() + 1); });
        // Hidden folders hold the programs' files; names that are not text
        // would give shortcuts to nowhere, and a locked folder cannot be
        // read: told, never found.
        const Walked w = Walk(f, h);
        chmod(raw + "/locked", 0700);
        QCOMPARE(w.found, QStringList({"Documents/a.txt"}) +
                              (root ? QStringList{"locked/secret.txt"} : QStringList{}));
        leftOut.sort();
        QCOMPARE(leftOut, QStringList({"caf\ufffd/"}) +
                              (root ? QStringList{} : QStringList{"locked/"}) +
                              QStringList{"\ufffd\ufffd.txt"});
        // Asking for hidden entries takes them all.
        f.setHidden(true);
        QCOMPARE(Walk(f, h).finish, 7);
    }

    void overlongPathsAreTold() {
        // Folders nested past the system's path limit, made one level at a
        // time; the walk tells the first path it cannot handle and goes on.
        QTemporaryDir tmp;
        QVERIFY(Touch(tmp.path() + "/a.txt"));
        const QByteArray part(200, 'd');
        int fd = open(QFile::encodeName(tmp.path()).constData(), O_DIRECTORY | O_RDONLY);
        for (qsizetype length = tmp.path().size(); length < PATH_MAX + 400; length += 201) {
            mkdirat(fd, part.constData(), 0700);
            const int next = openat(fd, part.constData(), O_DIRECTORY | O_RDONLY);
            close(fd);
            fd = next;
        }
        close(openat(fd, "deep.txt", O_CREAT | O_WRONLY, 0600));
        close(fd);
        CPathFinder f;
        QStringList leftOut;
        connect(&f, &CPathFinder::OnLeftOut, [&](const QString& path) { leftOut << path; });
        const Walked w = Walk(f, tmp.path());
        QProcess::execute("rm", {"-rf", tmp.path()});
        QCOMPARE(w.found, QStringList({"a.txt"}));
        QCOMPARE(leftOut.size(), 1);
        QVERIFY(QFile::encodeName(leftOut.at(0)).size() >= PATH_MAX);
    }

    void symbolicLinksAreFilesNeverFollowed() {
        QTemporaryDir tmp;
        QTemporaryDir elsewhere;
        const QString tree = tmp.path() + "/tree";
        QVERIFY(Touch(tree + "/a.txt") && Touch(elsewhere.path() + "/outside.txt"));
        QVERIFY(Link(tree, tree + "/loop") && Link("..", tree + "/up"));
        QVERIFY(Link(elsewhere.path(), tree + "/away") && Link("nowhere", tree + "/dangling"));
        CPathFinder f;
        f.setDirectory(true);
        QCOMPARE(Walk(f, tree).found, QStringList({"a.txt", "away", "dangling", "loop", "up"}));
    }

    void busyPointerOnEveryWayOut() {
        int depth = 0;
        CBusyIndicator::setHandlers([&] { ++depth; }, [&] { --depth; });
        QTemporaryDir tmp;
        QVERIFY(Touch(tmp.path() + "/a.txt") && Touch(tmp.path() + "/b.txt"));
        CPathFinder f;
        QList<int> seen;
        connect(&f, &CPathFinder::OnBegin, [&] { seen << depth; });
        connect(&f, &CPathFinder::OnFinish, [&] { seen << depth; });
        auto found = connect(&f, &CPathFinder::OnFound, [&] { seen << depth; });
        f.FindFile(tmp.path());
        QCOMPARE(seen, QList<int>({0, 1, 1, 0}));
        // A handler's error ends the walk without OnFinish.
        disconnect(found);
        seen.clear();
        connect(&f, &CPathFinder::OnFound, [] { throw CError(5, "refused"); });
        QVERIFY_THROWS_EXCEPTION(CError, f.FindFile(tmp.path()));
        QCOMPARE(seen, QList<int>({0}));
        QCOMPARE(depth, 0);
    }

    void cancelStopsWithTheCountSoFar() {
        QTemporaryDir tmp;
        for (int i = 0; i < 20; ++i)
            QVERIFY(Touch(tmp.path() + QString("/d%1/f.txt").arg(i)));
        CPathFinder f;
        QStringList folders;
        connect(&f, &CPathFinder::OnFolder, [&](const QString& folder) { folders << folder; });
        auto cancel = connect(&f, &CPathFinder::OnFound, &f, &CPathFinder::Cancel);
        QCOMPARE(Walk(f, tmp.path()).finish, 1);
        QCOMPARE(folders.size(), 2); // the root and the folder of the one hit
        QCOMPARE(folders.first(), tmp.path() + "/");
        disconnect(cancel);
        QCOMPARE(Walk(f, tmp.path()).finish, 20);
    }
};

QTEST_GUILESS_MAIN(tst_CPathFinder)
#include "tst_CPathFinder.moc"

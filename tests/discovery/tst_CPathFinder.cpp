#include "BM_Library.h"
#include "CBusyIndicator.h"
#include "CError.h"
#include "CPathFinder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void Touch(const QString& path, const QByteArray& bytes = "x") {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write(bytes);
}

// Everything one walk raised, in order.
struct Recorder {
    QStringList events;
    QStringList found;
    QStringList ages;
    qint32 finish = -1;

    void Attach(CPathFinder& finder) {
        QObject::connect(&finder, &CPathFinder::OnBegin, [this] { events << "begin"; });
        QObject::connect(&finder, &CPathFinder::OnFound,
                         [this](const QString& name, const QString& age) {
                             events << "found";
                             found << name;
                             ages << age;
                         });
        QObject::connect(&finder, &CPathFinder::OnFinish, [this](qint32 count) {
            events << "finish";
            finish = count;
        });
    }
};

Recorder Walk(CPathFinder& finder, const QString& path) {
    Recorder r;
    r.Attach(finder);
    finder.FindFile(path);
    finder.disconnect();
    return r;
}

QStringList Relative(const QStringList& paths, const QString& root) {
    QStringList out;
    for (const QString& p : paths)
        out << (p.startsWith(root + "/") ? p.mid(root.size() + 1) : p);
    out.sort();
    return out;
}

} // namespace

class tst_CPathFinder : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { CBusyIndicator::setHandlers({}, {}); }

    void initialValues() {
        CPathFinder f;
        QCOMPARE(f.Archive(), true);
        QCOMPARE(f.AttributeEx(), 72);
        QCOMPARE(f.Directory(), false);
        QCOMPARE(f.Hidden(), false);
        QCOMPARE(f.Pattern(), QString("*.*"));
        QCOMPARE(f.ReadOnly(), true);
        QCOMPARE(f.System(), false);
        QCOMPARE(f.IncludeSubFolder(), true);
        QCOMPARE(f.FilePath(), QString());
    }

    void emptyPathRaisesBeginAndFinishOnly() {
        CPathFinder f;
        const Recorder r = Walk(f, QString());
        QCOMPARE(r.events, QStringList({"begin", "finish"}));
        QCOMPARE(r.finish, 0);
        QCOMPARE(f.AttributeEx(), 105);
    }

    void missingAndEmptyFolders() {
        QTemporaryDir tmp;
        CPathFinder f;
        QCOMPARE(Walk(f, tmp.path()).events, QStringList({"begin", "finish"}));
        QCOMPARE(Walk(f, tmp.path() + "/no such folder").events, QStringList({"begin", "finish"}));
        QCOMPARE(f.FilePath(), tmp.path() + "/no such folder");
    }

    void trailingSeparatorGivesSameEvents() {
        QTemporaryDir tmp;
        Touch(tmp.path() + "/a.txt");
        Touch(tmp.path() + "/sub/b.doc");
        Touch(tmp.path() + "/sub/deeper/c");
        CPathFinder f;
        const Recorder plain = Walk(f, tmp.path());
        const Recorder slash = Walk(f, tmp.path() + "/");
        QCOMPARE(plain.found, slash.found);
        QCOMPARE(plain.finish, 3);
        for (const QString& name : plain.found)
            QVERIFY2(!name.contains("//"), qPrintable(name));
        QCOMPARE(Relative(plain.found, tmp.path()),
                 QStringList({"a.txt", "sub/b.doc", "sub/deeper/c"}));
    }

    void oddNamesAreReportedExactly() {
        QTemporaryDir tmp;
        const QStringList names = {"he said \"hi\".txt", "it's 100%.doc",
                                   "報告書 第1版.docx",  "-rf",
                                   "two  spaces .md",    "#1#.txt"};
        for (const QString& n : names)
            Touch(tmp.path() + "/フォルダ 'x'/" + n);
        CPathFinder f;
        const Recorder r = Walk(f, tmp.path());
        QStringList expected;
        for (const QString& n : names)
            expected << "フォルダ 'x'/" + n;
        expected.sort();
        QCOMPARE(Relative(r.found, tmp.path()), expected);
    }

    void fileAgeIsTheLocalModificationTime() {
        QTemporaryDir tmp;
        const QString path = tmp.path() + "/dated.txt";
        Touch(path);
        const timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
        QCOMPARE(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
        CPathFinder f;
        const Recorder r = Walk(f, tmp.path());
        QCOMPARE(r.ages.size(), 1);
        QCOMPARE(r.ages.first(), BM_Library::FileDateTimeText(path));
        QCOMPARE(r.ages.first(),
                 BM_Library::FileTimeText(1700000000LL * 10000000 + 11644473600LL * 10000000));
    }

    void attributesAgainstTheMask_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("allowHidden");
        QTest::addColumn<bool>("allowReadOnly");
        QTest::addColumn<bool>("reported");
        QTest::newRow("plain") << "a.txt" << false << false << true << true;
        QTest::newRow("hidden, not allowed") << ".hidden" << false << false << true << false;
        QTest::newRow("hidden, allowed") << ".hidden" << false << true << true << true;
        QTest::newRow("read-only, allowed") << "ro.txt" << true << false << true << true;
        QTest::newRow("read-only, not allowed") << "ro.txt" << true << false << false << false;
        QTest::newRow("hidden read-only, only hidden allowed")
            << ".ro" << true << true << false << false;
        QTest::newRow("hidden read-only, both allowed") << ".ro" << true << true << true << true;
    }

    void attributesAgainstTheMask() {
        QFETCH(QString, name);
        QFETCH(bool, readOnly);
        QFETCH(bool, allowHidden);
        QFETCH(bool, allowReadOnly);
        QFETCH(bool, reported);
        QTemporaryDir tmp;
        const QString path = tmp.path() + "/" + name;
        Touch(path);
        if (readOnly)
            QCOMPARE(chmod(QFile::encodeName(path).constData(), 0444), 0);
        CPathFinder f;
        f.setAttributeEx(0); // only what the flags allow
        f.setHidden(allowHidden);
        f.setReadOnly(allowReadOnly);
        const Recorder r = Walk(f, tmp.path());
        QCOMPARE(r.found, reported ? QStringList({path}) : QStringList());
        QCOMPARE(r.finish, reported ? 1 : 0);
    }

    void foldersReportedBeforeTheirContents() {
        QTemporaryDir tmp;
        Touch(tmp.path() + "/one/a.txt");
        Touch(tmp.path() + "/one/two/b.txt");
        Touch(tmp.path() + "/three/c.txt");
        CPathFinder f;
        QCOMPARE(Relative(Walk(f, tmp.path()).found, tmp.path()),
                 QStringList({"one/a.txt", "one/two/b.txt", "three/c.txt"}));
        f.setDirectory(true);
        const QStringList found = Walk(f, tmp.path()).found;
        QCOMPARE(found.size(), 6);
        const QString one = tmp.path() + "/one";
        // Depth first: a folder's event, then all of its contents in one run.
        const qsizetype at = found.indexOf(one);
        QVERIFY(at >= 0);
        QCOMPARE(found.mid(at + 1, 3).filter(one + "/").size(), 3);
        QVERIFY(found.indexOf(one + "/two") < found.indexOf(one + "/two/b.txt"));
    }

    void maskAccumulatesAcrossWalks() {
        QTemporaryDir tmp;
        Touch(tmp.path() + "/a.txt");
        Touch(tmp.path() + "/.h");
        CPathFinder f;
        f.setHidden(true);
        QCOMPARE(Walk(f, tmp.path()).finish, 2);
        QCOMPARE(f.AttributeEx(), 72 | 32 | 1 | 2);
        // Flags turned off later do not take back bits an earlier walk added.
        f.setHidden(false);
        f.setArchive(false);
        QCOMPARE(Walk(f, tmp.path()).finish, 2);
        QCOMPARE(f.AttributeEx(), 107);
        // Only writing the mask narrows it.
        f.setAttributeEx(0);
        QCOMPARE(Walk(f, tmp.path()).finish, 0);
        QCOMPARE(f.AttributeEx(), 1);
    }

    void withoutSubFolders() {
        QTemporaryDir tmp;
        Touch(tmp.path() + "/top.txt");
        Touch(tmp.path() + "/sub/inner.txt");
        CPathFinder f;
        f.setIncludeSubFolder(false);
        QCOMPARE(Walk(f, tmp.path()).found, QStringList({tmp.path() + "/top.txt"}));
        f.setDirectory(true);
        QCOMPARE(Relative(Walk(f, tmp.path()).found, tmp.path()), QStringList({"sub", "top.txt"}));
    }

    void patternAlsoFiltersFolderNames() {
        QTemporaryDir tmp;
        Touch(tmp.path() + "/a.TXT");
        Touch(tmp.path() + "/b.doc");
        Touch(tmp.path() + "/plain/c.txt");
        Touch(tmp.path() + "/named.txt/d.txt");
        Touch(tmp.path() + "/named.txt/e.doc");
        CPathFinder f;
        f.setPattern("*.txt");
        QCOMPARE(Relative(Walk(f, tmp.path()).found, tmp.path()),
                 QStringList({"a.TXT", "named.txt/d.txt"}));
    }

    void wildcards_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("match");
        QTest::newRow("*.* without dot") << "*.*"
                                         << "README" << true;
        QTest::newRow("*.* with dots") << "*.*"
                                       << "a.tar.gz" << true;
        QTest::newRow("*") << "*"
                           << ".hidden" << true;
        QTest::newRow("case ignored") << "*.TXT"
                                      << "notes.txt" << true;
        QTest::newRow("extension only at the end") << "*.txt"
                                                   << "a.txt.bak" << false;
        QTest::newRow("? is one character") << "?.txt"
                                            << "ab.txt" << false;
        QTest::newRow("? matches") << "a?c"
                                   << "abc" << true;
        QTest::newRow("stem.* matches the bare stem") << "report.*"
                                                      << "report" << true;
        QTest::newRow("stem.* needs the stem") << "report.*"
                                               << "reports" << false;
        QTest::newRow("stars backtrack") << "*a*b*c"
                                         << "xaxbxbxc" << true;
        QTest::newRow("stars fail") << "*a*b*c"
                                    << "xaxbxbx" << false;
        QTest::newRow("Japanese") << "*.テキスト"
                                  << "文書.テキスト" << true;
        QTest::newRow("accented case") << "ÄB*"
                                       << "äbc" << true;
        QTest::newRow("exact name") << "Makefile"
                                    << "makefile" << true;
        QTest::newRow("exact name differs") << "Makefile"
                                            << "Makefile.am" << false;
    }

    void wildcards() {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, match);
        QCOMPARE(CPathFinder::MatchesPattern(pattern, name), match);
    }

    void symbolicLinksAreFilesNeverFollowed() {
        QTemporaryDir tmp;
        QTemporaryDir elsewhere;
        Touch(tmp.path() + "/tree/a.txt");
        Touch(elsewhere.path() + "/outside.txt");
        const QByteArray tree = QFile::encodeName(tmp.path() + "/tree");
        QCOMPARE(symlink(tree.constData(), (tree + "/loop").constData()), 0);
        QCOMPARE(symlink("..", (tree + "/up").constData()), 0);
        QCOMPARE(
            symlink(QFile::encodeName(elsewhere.path()).constData(), (tree + "/away").constData()),
            0);
        QCOMPARE(symlink("nowhere", (tree + "/dangling.lnk").constData()), 0);
        CPathFinder f;
        f.setDirectory(true);
        const Recorder r = Walk(f, tmp.path() + "/tree");
        QCOMPARE(Relative(r.found, tmp.path() + "/tree"),
                 QStringList({"a.txt", "away", "dangling.lnk", "loop", "up"}));
    }

    void unreadableFolderIsSkipped() {
        if (geteuid() == 0)
            QSKIP("root reads every folder");
        QTemporaryDir tmp;
        Touch(tmp.path() + "/a.txt");
        Touch(tmp.path() + "/locked/secret.txt");
        Touch(tmp.path() + "/z/b.txt");
        const QByteArray locked = QFile::encodeName(tmp.path() + "/locked");
        QCOMPARE(chmod(locked.constData(), 0), 0);
        CPathFinder f;
        const Recorder r = Walk(f, tmp.path());
        chmod(locked.constData(), 0700);
        QCOMPARE(Relative(r.found, tmp.path()), QStringList({"a.txt", "z/b.txt"}));
        QCOMPARE(r.events.last(), QString("finish"));
    }

    void busyPointerFromStartToEnd() {
        int depth = 0;
        int shown = 0;
        CBusyIndicator::setHandlers(
            [&] {
                ++depth;
                ++shown;
            },
            [&] { --depth; });
        QTemporaryDir tmp;
        Touch(tmp.path() + "/a.txt");
        CPathFinder f;
        QList<int> seen;
        connect(&f, &CPathFinder::OnBegin, [&] { seen << depth; });
        connect(&f, &CPathFinder::OnFound, [&] { seen << depth; });
        connect(&f, &CPathFinder::OnFinish, [&] { seen << depth; });
        f.FindFile(tmp.path());
        QCOMPARE(seen, QList<int>({0, 1, 0}));
        QCOMPARE(shown, 1);
    }

    void handlerErrorEndsTheWalkAndRestoresThePointer() {
        int depth = 0;
        CBusyIndicator::setHandlers([&] { ++depth; }, [&] { --depth; });
        QTemporaryDir tmp;
        Touch(tmp.path() + "/a.txt");
        Touch(tmp.path() + "/b.txt");
        CPathFinder f;
        bool finished = false;
        connect(&f, &CPathFinder::OnFound, [] { throw CError(5, "refused"); });
        connect(&f, &CPathFinder::OnFinish, [&] { finished = true; });
        QVERIFY_THROWS_EXCEPTION(CError, f.FindFile(tmp.path()));
        QCOMPARE(depth, 0);
        QVERIFY(!finished);
    }

    void cancelStopsWithTheCountSoFar() {
        QTemporaryDir tmp;
        for (int i = 0; i < 20; ++i)
            Touch(tmp.path() + QString("/d%1/f.txt").arg(i));
        CPathFinder f;
        QStringList folders;
        connect(&f, &CPathFinder::OnFolder, [&](const QString& folder) { folders << folder; });
        connect(&f, &CPathFinder::OnFound, &f, &CPathFinder::Cancel);
        const Recorder r = Walk(f, tmp.path());
        QCOMPARE(r.finish, 1);
        QCOMPARE(r.found.size(), 1);
        QCOMPARE(folders.first(), tmp.path() + "/");
        QCOMPARE(folders.size(), 2); // the root and the folder of the one hit
        // The next walk runs in full again.
        QCOMPARE(Walk(f, tmp.path()).finish, 20);
    }
};

QTEST_GUILESS_MAIN(tst_CPathFinder)
#include "tst_CPathFinder.moc"

#include "BM_Library.h"
#include "CBusyIndicator.h"
#include "CDatabase.h"
#include "CError.h"
#include "CMoveMatcher.h"
#include "CMoveWatcher.h"
#include "CPathFinder.h"
#include "CRecentFiles.h"
#include "CRecordset.h"
#include "CShortcutReconciler.h"
#include "CShortcutRelinker.h"
#include "CVolloDB.h"
#include "Placeholders.h"
#include "RM_RecentMirror.h"
#include "SM_Shortcut.h"

#include "../support_tests.h"

#include <QtTest>
#include <atomic>
#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// What a symbolic link holds, unresolved.
QString RawLink(const QString& link) {
    char buffer[4096];
    const ssize_t n = readlink(QFile::encodeName(link).constData(), buffer, sizeof buffer);
    return n < 0 ? QString() : QFile::decodeName(QByteArray(buffer, int(n)));
}

// The modification time of a path itself (a link's own), in seconds.
qint64 OwnTime(const QString& path) {
    struct stat st;
    return lstat(QFile::encodeName(path).constData(), &st) == 0 ? qint64(st.st_mtim.tv_sec) : -1;
}

// Entry names of a folder, hidden ones included, sorted.
QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The values of one column of every row, as text, sorted.
QStringList Column(CRecordset rs, int column) {
    QStringList values;
    for (; !rs.IsEOF(); rs.MoveNext())
        values << rs.Field(column).toString();
    values.sort();
    return values;
}

// Everything one walk raised: the events in order and the paths found,
// relative to root (sorted, for the folder walk).
struct Walked {
    QStringList events, found;
    qint32 finish = -1;
};

template <typename Finder, typename... Path>
Walked Record(Finder& finder, const QString& root, const Path&... path) {
    Walked w;
    QObject context;
    QObject::connect(&finder, &Finder::OnBegin, &context, [&] { w.events << "begin"; });
    QObject::connect(&finder, &Finder::OnFound, &context, [&](const QString& name) {
        w.events << name;
        w.found << (name.startsWith(root) ? name.mid(root.size()) : name);
    });
    QObject::connect(&finder, &Finder::OnFinish, &context, [&](qint32 n) {
        w.events << "finish";
        w.finish = n;
    });
    finder.FindFile(path...);
    return w;
}

Walked Walk(CPathFinder& finder, const QString& root, const QString& path = {}) {
    Walked w = Record(finder, root + '/', path.isEmpty() ? root : path);
    w.found.sort();
    return w;
}

// A document of the given path below root, made empty.
QString Doc(const QString& root, const QString& relative) {
    return WriteFile(root + "/" + relative, {});
}

} // namespace

class tst_CPathFinder : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { CBusyIndicator::setHandlers({}, {}); }

    // The walk as the program runs it, on the finder's defaults: every file
    // below the folder, read-only ones too, none of the folders themselves;
    // names with quotes, percent signs, Japanese and a leading dash found as
    // they are.
    void defaultWalk() {
        CPathFinder f;
        QTemporaryDir tmp;
        // Walks of nothing end at once.
        for (const QString& path : {QString(), tmp.path(), tmp.path() + "/missing"})
            QCOMPARE(Record(f, {}, path).events, QStringList({"begin", "finish"}));
        QStringList names{"a.TXT",
                          "b.doc",
                          "named.txt/d.txt",
                          "plain/c.txt",
                          "read-only",
                          "フォルダ 'x'/-rf",
                          "フォルダ 'x'/it's \"100%\" 報告.doc"};
        for (const QString& n : names)
            WriteFile(tmp.path() + "/" + n, {});
        const QByteArray a = QFile::encodeName(tmp.path() + "/a.TXT");
        const timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
        QCOMPARE(utimensat(AT_FDCWD, a.constData(), times, 0), 0);
        QCOMPARE(chmod(QFile::encodeName(tmp.path() + "/read-only").constData(), 0444), 0);
        // FileAge: the local time of the entry's last change, as the user reads it.
        QString age;
        connect(&f, &CPathFinder::OnFound, [&](const QString& name, const QString& fileAge) {
            if (name.endsWith("/a.TXT"))
                age = fileAge;
        });
        const Walked w = Walk(f, tmp.path());
        QCOMPARE(w.found, names);
        QCOMPARE(age, BM_Library::FileTimeText((1700000000LL + 11644473600LL) * 10000000));
        QCOMPARE(Walk(f, tmp.path(), tmp.path() + "/").events, w.events);
    }

    void homeFolderTree() {
        QTemporaryDir home;
        const QString h = home.path();
        for (const char* n : {"Documents/a.txt", ".git/objects/x.txt", ".cache/y.txt",
                              ".local/share/Trash/files/z.txt", ".venv/lib/w.txt", ".hidden.txt",
                              "locked/secret.txt"})
            WriteFile(h + "/" + n, {});
        const QByteArray raw = QFile::encodeName(h);
        const bool root = geteuid() == 0; // root reads every folder
        QCOMPARE(chmod(raw + "/locked", 0), 0);
        // Symbolic links count as files, never followed: not into a loop,
        // not out of the tree, not to nowhere.
        QTemporaryDir elsewhere;
        WriteFile(elsewhere.path() + "/outside.txt", {});
        MakeLink(h, h + "/loop");
        MakeLink("..", h + "/up");
        MakeLink(elsewhere.path(), h + "/away");
        MakeLink("nowhere", h + "/dangling");
        CPathFinder f;
        QStringList leftOut;
        connect(&f, &CPathFinder::OnLeftOut,
                [&](const QString& path) { leftOut << path.mid(h.size() + 1); });
        // Hidden folders hold the programs' files; a locked folder cannot be
        // read: told, never found. Names that are not text are told by the
        // collect test's walks.
        const Walked w = Walk(f, h);
        chmod(raw + "/locked", 0700);
        QCOMPARE(w.found, QStringList({"Documents/a.txt", "away", "dangling"}) +
                              (root ? QStringList{"locked/secret.txt"} : QStringList{}) +
                              QStringList({"loop", "up"}));
        QCOMPARE(leftOut, root ? QStringList{} : QStringList{"locked/"});
    }

    void overlongPathsAreTold() {
        // Folders nested past the system's path limit, made one level at a
        // time; the walk tells the first path it cannot handle and goes on.
        QTemporaryDir tmp;
        WriteFile(tmp.path() + "/a.txt", {});
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

    // The busy pointer shows while the walk runs and is gone on every way
    // out: the end, a cancel (which still tells the count so far) and a
    // handler's error (which ends the walk without OnFinish).
    void busyPointerOnEveryWayOut() {
        int depth = 0;
        CBusyIndicator::setHandlers([&] { ++depth; }, [&] { --depth; });
        QTemporaryDir tmp;
        for (int i = 0; i < 20; ++i)
            WriteFile(tmp.path() + QString("/d%1/f.txt").arg(i), {});
        CPathFinder f;
        QList<int> seen;
        QStringList folders;
        connect(&f, &CPathFinder::OnBegin, [&] { seen << depth; });
        connect(&f, &CPathFinder::OnFinish, [&] { seen << depth; });
        connect(&f, &CPathFinder::OnFound, [&] { seen << depth; });
        connect(&f, &CPathFinder::OnFolder, [&](const QString& folder) { folders << folder; });
        QCOMPARE(Walk(f, tmp.path()).finish, 20);
        QCOMPARE(seen, QList<int>{0} + QList<int>(20, 1) + QList<int>{0});
        seen.clear();
        folders.clear();
        auto cancel = connect(&f, &CPathFinder::OnFound, &f, &CPathFinder::Cancel);
        QCOMPARE(Walk(f, tmp.path()).finish, 1);
        QCOMPARE(seen, QList<int>({0, 1, 0}));
        QCOMPARE(folders.size(), 2); // the root and the folder of the one hit
        QCOMPARE(folders.first(), tmp.path() + "/");
        disconnect(cancel);
        seen.clear();
        connect(&f, &CPathFinder::OnFound, [] { throw CError(5, "refused"); });
        QVERIFY_THROWS_EXCEPTION(CError, f.FindFile(tmp.path()));
        QCOMPARE(seen, QList<int>({0, 1}));
        QCOMPARE(depth, 0);
    }
};

class tst_SM_Shortcut : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_docs;  // documents, fresh for each test
    QString m_links; // the shortcut folder; its own dot must never count
    int m_round = 0;

    QString Make(const QString& path, const QString& folder = {}) {
        return SM_Shortcut::MakeShortcutFile(folder.isEmpty() ? m_links : folder, path);
    }

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
            const QString doc = Doc(m_docs, QString("f%1/").arg(i) + name);
            // The folder may come with or without its trailing separator.
            const QString link = Make(doc, i == 1 ? m_links.chopped(1) : m_links);
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
            Make(Doc(m_docs, QString("%1/r.txt").arg(i)));
        // Another spelling of the same path is the same document.
        QCOMPARE(Make(m_docs + "//./1/../1/r.txt"), m_links + "r#1.txt.lnk");
        // The first free name is taken, wherever the gap is.
        QVERIFY(QFile::remove(m_links + "r#1.txt.lnk"));
        QCOMPARE(Make(Doc(m_docs, "3/r.txt")), m_links + "r#1.txt.lnk");
        // Names another program took are passed over; a folder too.
        MakeLink("/elsewhere/r.txt", m_links + "r#3.txt.lnk");
        QVERIFY(QDir().mkdir(m_links + "r#4.txt.lnk"));
        QCOMPARE(Make(Doc(m_docs, "4/r.txt")), m_links + "r#5.txt.lnk");
        // A shortcut to our document that someone else made is found.
        MakeLink(Doc(m_docs, "6/r.txt"), m_links + "r#6.txt.lnk");
        QCOMPARE(Make(m_docs + "/6/r.txt"), m_links + "r#6.txt.lnk");
        // A removed shortcut is made again rather than handed out.
        QVERIFY(QFile::remove(m_links + "r.txt.lnk"));
        QCOMPARE(Make(m_docs + "/0/r.txt"), m_links + "r.txt.lnk");
        QCOMPARE(RawLink(m_links + "r.txt.lnk"), m_docs + "/0/r.txt");
        // Another spelling of a path that exists only once: the same document;
        // folders that differ only in case hold two documents here.
        const QString first = Make(Doc(m_docs, "Case/doc.txt"));
        QCOMPARE(Make(m_docs + "/CASE/doc.txt"), first);
        QCOMPARE(Make(Doc(m_docs, "CASE/doc.txt")), m_links + "doc#1.txt.lnk");
    }

    void droppedShortcuts() {
        const QString doc = Doc(m_docs, "a/report.doc");
        MakeLink(doc, m_docs + "/x.lnk");
        QCOMPARE(Make(m_docs + "/x.lnk"), m_links + "report.doc.lnk");
        QCOMPARE(RawLink(m_links + "report.doc.lnk"), doc);
        QCOMPARE(Make(doc), m_links + "report.doc.lnk");
        // Numbered names carry the extension of what was dropped.
        MakeLink(Doc(m_docs, "b/report.doc"), m_docs + "/y.lnk");
        QCOMPARE(Make(m_docs + "/y.lnk"), m_links + "report#1.lnk.lnk");
        // Only ".lnk" exactly stands for a target; ".LNK" is a document.
        MakeLink(doc, m_docs + "/Shortcut.LNK");
        QCOMPARE(Make(m_docs + "/Shortcut.LNK"), m_links + "Shortcut.LNK.lnk");
        QCOMPARE(RawLink(m_links + "Shortcut.LNK.lnk"), m_docs + "/Shortcut.LNK");
    }

    // A dropped ".lnk" that is no shortcut is told by the main window's drop test.
    void errorsCarryTheirCause() {
        const CError e = Raised([&] { Make(Doc(m_docs, "a.txt"), m_links + "missing/"); });
        QCOMPARE(e.Code(), ENOENT);
        QVERIFY2(e.Text().contains("missing"), qPrintable(e.Text()));
        QVERIFY(Entries(m_links).isEmpty());
    }

    void copyTakesTheLinkNotTheDocument() {
        const QString recent = m_docs + "/recent/";
        QVERIFY(QDir().mkpath(recent));
        const QString doc = Doc(m_docs, "a/メモ \"1\".txt");
        const QString copy = SM_Shortcut::CopyShortcutFile(m_links, Make(doc, recent));
        QCOMPARE(copy, m_links + "メモ \"1\".txt.lnk");
        QCOMPARE(RawLink(copy), doc);
        QCOMPARE(SM_Shortcut::CopyShortcutFile(m_links, recent + "メモ \"1\".txt.lnk"), copy);
        // A name taken by another document's shortcut is numbered, never mixed up.
        MakeLink("../b.txt", recent + "b.txt.lnk");
        MakeLink("/x/b.txt", m_links + "b.txt.lnk");
        const QString second = SM_Shortcut::CopyShortcutFile(m_links, recent + "b.txt.lnk");
        QCOMPARE(second, m_links + "b#1.txt.lnk");
        QCOMPARE(RawLink(second), m_docs + "/b.txt"); // made absolute, dangling or not
        QVERIFY_THROWS_EXCEPTION(CError,
                                 SM_Shortcut::CopyShortcutFile(m_links, recent + "none.lnk"));
    }

    void manyDocumentsOfOneName() {
        for (int i = 0; i < 300; ++i)
            QCOMPARE(Make(Doc(m_docs, QString("%1/README.md").arg(i))),
                     m_links + (i ? QString("README#%1.md.lnk").arg(i) : QString("README.md.lnk")));
        // Forgotten, the folder is read again from disk.
        SM_Shortcut::ForgetFolders();
        QCOMPARE(Make(m_docs + "/123/README.md"), m_links + "README#123.md.lnk");
        QCOMPARE(Entries(m_links).size(), 300);
    }

    // After an interruption the shortcut folder and the file rows disagree;
    // the start brings them in line without losing a document that still
    // exists. A start looks first, while its window is made, and writes
    // after: a walk of that start may have registered a listed shortcut
    // meanwhile, and a listed shortcut of a document that exists may have
    // gone.
    void shortcutsAndRowsAgreeAfterwards_data() {
        QTest::addColumn<bool>("lookFirst");
        QTest::addColumn<QList<int>>("done"); // registered, shortcuts and rows removed
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("at once") << false << QList<int>{1, 1, 1}
                                 << QStringList{"orphan.txt.lnk", "控え \"k\".txt.lnk"};
        QTest::newRow("looked at first")
            << true << QList<int>{0, 1, 1} << QStringList{"walked.txt.lnk", "控え \"k\".txt.lnk"};
    }
    void shortcutsAndRowsAgreeAfterwards() {
        QFETCH(bool, lookFirst);
        QFETCH(QList<int>, done);
        QFETCH(QStringList, kept);
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_docs + "/data"));
        CVolloDB db;
        db.Create();
        const QString folder = db.ShortcutFolder();
        // A shortcut whose row was lost, one whose document is gone too, a
        // row whose shortcut is gone, and one in order (its name matched byte
        // for byte).
        MakeLink(Doc(m_docs, "orphan.txt"), folder + "orphan.txt.lnk");
        MakeLink(m_docs + "/gone.txt", folder + "gone.txt.lnk");
        MakeLink(Doc(m_docs, "控え \"k\".txt"), folder + "控え \"k\".txt.lnk");
        auto addRow = [&](const QString& path) {
            db.RunSQL(FillPlaceholders(db.GetQuery("addFileName"),
                                       {{"%fileName", path}, {"%fileAge", "#2026/12/06#"}}));
        };
        for (const QString& path : {folder + "控え \"k\".txt.lnk", folder + "vanished.txt.lnk"})
            addRow(path);
        CShortcutReconciler reconciler(db);
        CShortcutReconciler::Result r;
        if (lookFirst) {
            MakeLink(Doc(m_docs, "walked.txt"), folder + "walked.txt.lnk");
            const CShortcutReconciler::Look look =
                CShortcutReconciler::LookAt(folder, db.Connection(), db.GetQuery("getFileNameAll"));
            addRow(folder + "walked.txt.lnk");
            QVERIFY(QFile::remove(folder + "orphan.txt.lnk"));
            r = reconciler.Apply(look);
        } else {
            r = reconciler.Reconcile();
        }
        QCOMPARE((QList<int>{r.registered, r.removedShortcuts, r.removedRows}), done);
        const QStringList rows =
            Column(db.RunQuery("getFileNameAll"), 1).replaceInStrings(folder, "");
        QCOMPARE(rows, kept);
        QCOMPARE(Entries(folder).filter(".lnk"), rows);
        // A second start finds nothing to do.
        const CShortcutReconciler::Result again = reconciler.Reconcile();
        QCOMPARE(again.registered + again.removedShortcuts + again.removedRows, 0);
    }
};

namespace {

constexpr qint64 kBase = 1700000000; // November 2023

// The desktop's list, written the way GTK writes it. Each entry is a path
// (or a URI) with its latest use, which lands on added, modified or visited
// in turn.
void WriteBookmarks(const QList<QPair<QString, qint64>>& entries) {
    GBookmarkFile* file = g_bookmark_file_new();
    int turn = 0;
    for (const auto& [path, used] : entries) {
        gchar* made = path.startsWith('/')
                          ? g_filename_to_uri(QFile::encodeName(path).constData(), nullptr, nullptr)
                          : g_strdup(path.toUtf8().constData());
        g_bookmark_file_add_application(file, made, "tst", "tst %u");
        GDateTime* times[3];
        for (int i = 0; i < 3; ++i)
            times[i] =
                g_date_time_new_from_unix_utc(i == turn % 3 ? used : used - qint64(3600) * (i + 1));
        g_bookmark_file_set_added_date_time(file, made, times[0]);
        g_bookmark_file_set_visited_date_time(file, made, times[2]);
        // Last, since the other setters touch the modification time.
        g_bookmark_file_set_modified_date_time(file, made, times[1]);
        for (GDateTime* t : times)
            g_date_time_unref(t);
        g_free(made);
        ++turn;
    }
    QVERIFY(g_bookmark_file_to_file(
        file, QFile::encodeName(RM_RecentMirror::BookmarkFile()).constData(), nullptr));
    g_bookmark_file_free(file);
}

Walked Walk(CRecentFiles& recent) {
    return Record(recent, recent.FilePath());
}

QStringList TableNames(const QString& databasePath) {
    CDatabase db;
    db.Open(databasePath);
    return Column(db.Execute("SELECT fileName FROM tableRecent"), 0);
}

} // namespace

class tst_CRecentFiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    QString m_docs;

private slots:
    void initTestCase() {
        // Never the real desktop list, even when run outside the sandbox.
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path() + "/data"));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_home.path() + "/cache"));
        QVERIFY(QDir().mkpath(m_home.path() + "/data"));
        m_docs = m_home.path() + "/docs";
    }

    void init() {
        QFile::remove(RM_RecentMirror::BookmarkFile());
        QDir(m_docs).removeRecursively();
    }

    // The newest 15 of 20, as the program asks for them. Names with quotes,
    // SQL date marks, placeholders and a leading dash are linked and stored
    // exactly.
    void newestFirstUpToFileCount() {
        const auto name = [](int i) {
            return QString("-doc%1 it's \"#2024-01-01#\" 100% %fileName 報告.txt")
                .arg(i, 2, 10, QChar('0'));
        };
        QList<QPair<QString, qint64>> entries;
        QStringList expected, stored;
        for (int i = 0; i < 20; ++i) {
            entries.append(
                {Doc(m_docs, QString("d%1/").arg(i % 3) + name(i)), kBase + qint64(i) * 3600});
            stored << name(i) + ".lnk";
        }
        std::shuffle(entries.begin(), entries.end(), *QRandomGenerator::global());
        WriteBookmarks(entries);
        CRecentFiles recent;
        QCOMPARE(recent.FilePath(), m_home.path() + "/cache/Vollo/Recent/");
        const Walked w = Walk(recent);
        for (int i = 19; i > 4; --i)
            expected << name(i) + ".lnk";
        QCOMPARE(w.found, expected);
        QCOMPARE(w.finish, 20);
        QCOMPARE(TableNames(recent.DatabasePath()), stored);
        // Each shortcut points at its document and carries the last use.
        QCOMPARE(OwnTime(recent.FilePath() + stored.last()), kBase + qint64(19) * 3600);
        QCOMPARE(RawLink(recent.FilePath() + stored.last()), m_docs + "/d1/" + name(19));
    }

    // Two uses a second apart whose times differ in the sign bit of the
    // low 32-bit half: the later one is still the newer.
    void newestAcrossTheLowHalfSign() {
        qint64 t = kBase;
        const auto low = [](qint64 s) { return quint32((s + 11644473600LL) * 10000000LL); };
        while (low(t) < 0x80000000u - 10000000u || low(t) >= 0x80000000u)
            ++t;
        WriteBookmarks({{Doc(m_docs, "older.txt"), t}, {Doc(m_docs, "newer.txt"), t + 1}});
        CRecentFiles recent;
        recent.setFileCount(1);
        QCOMPARE(Walk(recent).found, QStringList({"newer.txt.lnk"}));
    }

    void onlyLiveDocumentsAreReported() {
        const QString gone = Doc(m_docs, "deleted.txt");
        QVERIFY(QDir().mkpath(m_docs + "/a folder"));
        WriteBookmarks({{Doc(m_docs, "live1.txt"), kBase},
                        {gone, kBase + 10},
                        {m_docs + "/a folder", kBase + 20},
                        {Doc(m_docs, "live2.txt"), kBase + 5},
                        {"https://example.com/page.html", kBase + 30},
                        {"file://otherhost/srv/x.txt", kBase + 30},
                        {"file://" + m_docs + "/caf%E9.txt", kBase + 40}});
        WriteRaw(QFile::encodeName(m_docs) + "/caf\xe9.txt");
        QFile::remove(gone);
        CRecentFiles recent;
        // Something in the folder that is no shortcut, and a folder.
        WriteFile(recent.FilePath() + "notes.txt", {});
        QVERIFY(QDir().mkpath(recent.FilePath() + "sub.lnk"));
        const Walked w = Walk(recent);
        QCOMPARE(w.found, QStringList({"live2.txt.lnk", "live1.txt.lnk"}));
        // A Latin-1 name would become a shortcut to nowhere: told, not linked.
        QCOMPARE(recent.LeftOut().Count(), 1);
        QVERIFY(recent.LeftOut().Items().first().Path.startsWith(m_docs + "/caf"));
        // Rows written: four shortcuts and the stray file, not the folder.
        QCOMPARE(w.finish, 5);
        QCOMPARE(TableNames(recent.DatabasePath()),
                 QStringList({"a folder.lnk", "deleted.txt.lnk", "live1.txt.lnk", "live2.txt.lnk",
                              "notes.txt"}));
        QVERIFY(QFile::remove(recent.FilePath() + "notes.txt") &&
                QDir().rmdir(recent.FilePath() + "sub.lnk"));
    }

    void unusableListsEmptyTheFolder_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("present");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("malformed")
            << QByteArray("<xbel><bookmark href=\"file:///x\"><info>") << true;
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe<\x01", 5) << true;
        // Opening a FIFO for reading would wait for a writer, forever.
        QTest::newRow("fifo") << QByteArray("fifo") << false;
        QTest::newRow("folder") << QByteArray("folder") << false;
    }

    void unusableListsEmptyTheFolder() {
        QFETCH(QByteArray, content);
        QFETCH(bool, present);
        WriteBookmarks({{Doc(m_docs, "a.txt"), kBase}, {Doc(m_docs, "b.txt"), kBase + 1}});
        CRecentFiles recent;
        QCOMPARE(Walk(recent).finish, 2);
        // A document leaving the list takes its shortcut along.
        WriteBookmarks({{m_docs + "/b.txt", kBase + 100}});
        QCOMPARE(Walk(recent).found, QStringList({"b.txt.lnk"}));
        QCOMPARE(Entries(recent.FilePath()), QStringList({"b.txt.lnk"}));
        QCOMPARE(OwnTime(recent.FilePath() + "b.txt.lnk"), kBase + 100);
        QFile f(RM_RecentMirror::BookmarkFile());
        QVERIFY(present ? f.open(QIODevice::WriteOnly) && f.write(content) == content.size()
                        : f.remove());
        f.close();
        if (content == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(f.fileName()).constData(), 0600), 0);
        else if (content == "folder")
            QVERIFY(QDir().mkpath(f.fileName()));
        const Walked w = Walk(recent);
        if (present) {
            // Contents that do not parse (perhaps caught half-written) keep
            // the last list, and are told.
            QCOMPARE(w.found, QStringList({"b.txt.lnk"}));
            QCOMPARE(recent.LeftOut().Count(), 1);
            return;
        }
        QCOMPARE(w.events, QStringList({"begin", "finish"}));
        QCOMPARE(w.finish, 0);
        QCOMPARE(Entries(recent.FilePath()), QStringList());
    }

    void databaseFailureReachesTheCaller() {
        int depth = 0;
        CBusyIndicator::setHandlers([&] { ++depth; }, [&] { --depth; });
        QFile::remove(m_home.path() + "/cache/Vollo/recent.db");
        CRecentFiles recent;
        CDatabase db;
        db.Open(recent.DatabasePath());
        db.Execute("DROP TABLE tableRecent");
        QStringList events;
        connect(&recent, &CRecentFiles::OnFinish, [&] { events << "finish"; });
        QVERIFY_THROWS_EXCEPTION(CError, recent.FindFile());
        QCOMPARE(events, QStringList());
        QCOMPARE(depth, 0);
        CBusyIndicator::setHandlers({}, {});
        // A new object makes the missing table again.
        CRecentFiles again;
        QCOMPARE(Walk(again).finish, 0);
    }
};

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

    // A document registered before its fingerprint was taken: no file is
    // read for one; size, time and name decide, and two such files are asked.
    void unprintedDocumentMatchesBySizeTimeName() {
        CMoveMatcher matcher;
        matcher.setMissing({{"/old/a.pdf", 1, 10, 100, 1000, 0, false}});
        const Facts moved{"/new/a.pdf", 2, 80, 100, 1000, 0, false};
        QVERIFY(!matcher.NeedsFingerprint(moved));
        matcher.AddCandidate(moved);
        QCOMPARE(matcher.Match().value(0).Decision, Verdict::Relink);
        matcher.AddCandidate({"/copy/a.pdf", 2, 81, 100, 1000, 0, false});
        QCOMPARE(matcher.Match().value(0).Decision, Verdict::Ambiguous);
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
        MakeLink("/nowhere/0", link);
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
        WriteFile(a + "x.txt", {});
        WriteFile(b + "sub/y.txt", {});
        CMoveWatcher watcher;
        QSignalSpy moved(&watcher, &CMoveWatcher::OnMoved);
        QVERIFY(watcher.Watch(a) && watcher.Watch(b) && watcher.Watch(b + "sub"));
        QVERIFY(QFile::rename(a + "x.txt", a + "z.txt"));
        QVERIFY(QFile::rename(a + "z.txt", b + "z.txt"));
        QVERIFY(QFile::rename(b + "sub", a + "sub2"));
        QVERIFY(QFile::rename(a + "sub2/y.txt", a + "sub2/w.txt"));
        // Moves of files and folders are followed end to end by the moves test;
        // here, a rename inside a moved folder: the watch followed its folder.
        QTRY_COMPARE(moved.size(), 4);
        QCOMPARE(moved[3][1].toString(), a + "sub2/w.txt");

        // Past the limit nothing more is watched, and the user is told once.
        watcher.setWatchLimit(3);
        QSignalSpy limit(&watcher, &CMoveWatcher::OnWatchLimit);
        QVERIFY(!watcher.Watch(dir.path()) && !watcher.Watch(dir.path()) && watcher.Watch(a));
        QCOMPARE(limit.size(), 1);
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return RunAll<tst_CPathFinder, tst_SM_Shortcut, tst_CRecentFiles, tst_relink>(argc, argv);
}
#include "tst_discovery.moc"

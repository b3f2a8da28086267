#include "CBusyIndicator.h"
#include "CDatabase.h"
#include "CError.h"
#include "CRecentFiles.h"
#include "CRecordset.h"
#include "RM_RecentMirror.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <glib.h>
#include <sys/stat.h>

namespace {

void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write("x");
}

// One entry of the desktop's list, written the way GTK writes it.
struct Bookmark {
    QString uri;
    qint64 added;
    qint64 modified;
    qint64 visited;
};

Bookmark FileBookmark(const QString& path, qint64 lastUse) {
    gchar* uri = g_filename_to_uri(QFile::encodeName(path).constData(), nullptr, nullptr);
    Bookmark b{QString::fromUtf8(uri), lastUse - 7200, lastUse - 3600, lastUse};
    g_free(uri);
    return b;
}

void WriteBookmarks(const QList<Bookmark>& bookmarks) {
    GBookmarkFile* file = g_bookmark_file_new();
    for (const Bookmark& b : bookmarks) {
        const QByteArray uri = b.uri.toUtf8();
        g_bookmark_file_add_application(file, uri.constData(), "tst", "tst %u");
        GDateTime* added = g_date_time_new_from_unix_utc(b.added);
        GDateTime* visited = g_date_time_new_from_unix_utc(b.visited);
        GDateTime* modified = g_date_time_new_from_unix_utc(b.modified);
        g_bookmark_file_set_added_date_time(file, uri.constData(), added);
        g_bookmark_file_set_visited_date_time(file, uri.constData(), visited);
        // Last, since the other setters touch the modification time.
        g_bookmark_file_set_modified_date_time(file, uri.constData(), modified);
        g_date_time_unref(added);
        g_date_time_unref(visited);
        g_date_time_unref(modified);
    }
    GError* error = nullptr;
    const bool ok = g_bookmark_file_to_file(
        file, QFile::encodeName(RM_RecentMirror::BookmarkFile()).constData(), &error);
    if (error)
        g_error_free(error);
    g_bookmark_file_free(file);
    QVERIFY(ok);
}

struct Recorder {
    QStringList events;
    QStringList found;
    qint32 finish = -1;
};

Recorder Walk(CRecentFiles& recent) {
    Recorder r;
    QObject context;
    QObject::connect(&recent, &CRecentFiles::OnBegin, &context, [&] { r.events << "begin"; });
    QObject::connect(&recent, &CRecentFiles::OnFound, &context, [&](const QString& name) {
        r.events << "found";
        r.found << name;
    });
    QObject::connect(&recent, &CRecentFiles::OnFinish, &context, [&](qint32 count) {
        r.events << "finish";
        r.finish = count;
    });
    recent.FindFile();
    return r;
}

QStringList TableNames(const QString& databasePath) {
    CDatabase db;
    db.Open(databasePath);
    QStringList names;
    for (CRecordset rs = db.Execute("SELECT fileName FROM tableRecent"); !rs.IsEOF(); rs.MoveNext())
        names << rs.Field(0).toString();
    names.sort();
    return names;
}

constexpr qint64 kBase = 1700000000; // November 2023

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
        QVERIFY(QDir().mkpath(m_docs));
    }

    void cleanup() { CBusyIndicator::setHandlers({}, {}); }

    void madeWithItsDatabaseAndFolder() {
        QFile::remove(m_home.path() + "/cache/Vollo/recent.db");
        CRecentFiles recent;
        QCOMPARE(recent.FileCount(), 15);
        QCOMPARE(recent.IncludeFolder(), false);
        QCOMPARE(recent.FilePath(), m_home.path() + "/cache/Vollo/Recent/");
        QCOMPARE(recent.DatabasePath(), m_home.path() + "/cache/Vollo/recent.db");
        QVERIFY(QFile::exists(recent.DatabasePath()));
        QCOMPARE(TableNames(recent.DatabasePath()), QStringList());
        const Recorder r = Walk(recent);
        QCOMPARE(r.events, QStringList({"begin", "finish"}));
        QCOMPARE(r.finish, 0);
    }

    void newestFirstUpToFileCount_data() {
        QTest::addColumn<int>("fileCount");
        QTest::addColumn<int>("reported");
        QTest::newRow("15 of 20") << 15 << 15;
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("more than there are") << 50 << 20;
    }

    void newestFirstUpToFileCount() {
        QFETCH(int, fileCount);
        QFETCH(int, reported);
        QList<Bookmark> bookmarks;
        for (int i = 0; i < 20; ++i) {
            const QString doc =
                m_docs + QString("/d%1/doc%2.txt").arg(i % 3).arg(i, 2, 10, QChar('0'));
            Touch(doc);
            // An hour apart, each entry's latest use is a different one of its
            // three dates.
            Bookmark b = FileBookmark(doc, kBase + i * 3600);
            if (i % 3 == 1)
                std::swap(b.visited, b.added);
            if (i % 3 == 2)
                std::swap(b.visited, b.modified);
            bookmarks << b;
        }
        std::shuffle(bookmarks.begin(), bookmarks.end(), *QRandomGenerator::global());
        WriteBookmarks(bookmarks);

        CRecentFiles recent;
        recent.setFileCount(fileCount);
        const Recorder r = Walk(recent);
        QStringList expected;
        for (int i = 19; i > 19 - reported; --i)
            expected << recent.FilePath() + QString("doc%1.txt.lnk").arg(i, 2, 10, QChar('0'));
        QCOMPARE(r.found, expected);
        QCOMPARE(r.finish, 20);
        QCOMPARE(r.events.first(), QString("begin"));
        QCOMPARE(r.events.last(), QString("finish"));
        QCOMPARE(TableNames(recent.DatabasePath()).size(), 20);

        // Each shortcut points at its document and carries the last use.
        struct stat st;
        const QString newest = recent.FilePath() + "doc19.txt.lnk";
        QCOMPARE(lstat(QFile::encodeName(newest).constData(), &st), 0);
        QVERIFY(S_ISLNK(st.st_mode));
        QCOMPARE(qint64(st.st_mtim.tv_sec), kBase + 19 * 3600);
        QCOMPARE(QFile::symLinkTarget(newest), m_docs + "/d1/doc19.txt");
    }

    void onlyLiveDocumentsAreReported() {
        Touch(m_docs + "/live1.txt");
        Touch(m_docs + "/live2.txt");
        Touch(m_docs + "/deleted.txt");
        QVERIFY(QDir().mkpath(m_docs + "/a folder"));
        QList<Bookmark> bookmarks = {FileBookmark(m_docs + "/live1.txt", kBase),
                                     FileBookmark(m_docs + "/deleted.txt", kBase + 10),
                                     FileBookmark(m_docs + "/a folder", kBase + 20),
                                     FileBookmark(m_docs + "/live2.txt", kBase + 5),
                                     {"https://example.com/page.html", kBase, kBase, kBase + 30},
                                     {"file://otherhost/srv/x.txt", kBase, kBase, kBase + 30}};
        WriteBookmarks(bookmarks);
        QFile::remove(m_docs + "/deleted.txt");
        CRecentFiles recent;
        // Something in the folder that is no shortcut, and a folder.
        Touch(recent.FilePath() + "notes.txt");
        QVERIFY(QDir().mkpath(recent.FilePath() + "sub.lnk"));
        const Recorder r = Walk(recent);
        QCOMPARE(r.found, QStringList({recent.FilePath() + "live2.txt.lnk",
                                       recent.FilePath() + "live1.txt.lnk"}));
        // Rows written: four shortcuts and the stray file; not the folder.
        QCOMPARE(r.finish, 5);
        QCOMPARE(TableNames(recent.DatabasePath()),
                 QStringList({"a folder.lnk", "deleted.txt.lnk", "live1.txt.lnk", "live2.txt.lnk",
                              "notes.txt"}));
        QFile::remove(recent.FilePath() + "notes.txt");
        QDir(recent.FilePath() + "sub.lnk").removeRecursively();
    }

    void oddNamesAreStoredExactly() {
        const QStringList names = {"he said \"hi\".txt", "it's #1 #2024-01-01#.doc",
                                   "100% %fileName %ageLow.md", "報告書 第1版.docx", "-rf"};
        QList<Bookmark> bookmarks;
        int i = 0;
        for (const QString& name : names) {
            Touch(m_docs + "/" + name);
            bookmarks << FileBookmark(m_docs + "/" + name, kBase + 3600 * i++);
        }
        // Two documents of one name get two shortcuts.
        Touch(m_docs + "/other/報告書 第1版.docx");
        bookmarks << FileBookmark(m_docs + "/other/報告書 第1版.docx", kBase + 3600 * i++);
        WriteBookmarks(bookmarks);
        CRecentFiles recent;
        const Recorder r = Walk(recent);
        QStringList expected;
        for (const QString& name : names)
            expected.prepend(recent.FilePath() + name + ".lnk");
        expected.prepend(recent.FilePath() + "報告書 第1版#1.docx.lnk");
        QCOMPARE(r.found, expected);
        QCOMPARE(r.finish, 6);
        QCOMPARE(QFile::symLinkTarget(recent.FilePath() + "報告書 第1版#1.docx.lnk"),
                 m_docs + "/other/報告書 第1版.docx");
    }

    void vanishedEntriesLeaveTheFolder() {
        Touch(m_docs + "/a.txt");
        Touch(m_docs + "/b.txt");
        WriteBookmarks(
            {FileBookmark(m_docs + "/a.txt", kBase), FileBookmark(m_docs + "/b.txt", kBase + 1)});
        CRecentFiles recent;
        QCOMPARE(Walk(recent).found.size(), 2);
        WriteBookmarks({FileBookmark(m_docs + "/b.txt", kBase + 100)});
        const Recorder r = Walk(recent);
        QCOMPARE(r.found, QStringList({recent.FilePath() + "b.txt.lnk"}));
        QCOMPARE(r.finish, 1);
        QVERIFY(!QFileInfo::exists(recent.FilePath() + "a.txt.lnk"));
        struct stat st;
        QCOMPARE(lstat(QFile::encodeName(recent.FilePath() + "b.txt.lnk").constData(), &st), 0);
        QCOMPARE(qint64(st.st_mtim.tv_sec), kBase + 100);
    }

    void unusableBookmarkFileGivesAnEmptyList_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("present");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("no bookmarks")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\"/>\n")
            << true;
        QTest::newRow("malformed")
            << QByteArray("<xbel><bookmark href=\"file:///x\"><info>") << true;
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe<\x01", 5) << true;
    }

    void unusableBookmarkFileGivesAnEmptyList() {
        QFETCH(QByteArray, content);
        QFETCH(bool, present);
        Touch(m_docs + "/a.txt");
        WriteBookmarks({FileBookmark(m_docs + "/a.txt", kBase)});
        CRecentFiles recent;
        QCOMPARE(Walk(recent).finish, 1);
        QFile::remove(RM_RecentMirror::BookmarkFile());
        if (present) {
            QFile f(RM_RecentMirror::BookmarkFile());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const Recorder r = Walk(recent);
        QCOMPARE(r.events, QStringList({"begin", "finish"}));
        QCOMPARE(r.finish, 0);
        QVERIFY(
            QDir(recent.FilePath())
                .isEmpty(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void databaseFailureReachesTheCaller() {
        int depth = 0;
        CBusyIndicator::setHandlers([&] { ++depth; }, [&] { --depth; });
        CRecentFiles recent;
        {
            CDatabase db;
            db.Open(recent.DatabasePath());
            db.Execute("DROP TABLE tableRecent");
        }
        bool finished = false;
        connect(&recent, &CRecentFiles::OnFinish, [&] { finished = true; });
        QVERIFY_THROWS_EXCEPTION(CError, recent.FindFile());
        QVERIFY(!finished);
        QCOMPARE(depth, 0);
        // A new object makes the table again.
        CRecentFiles again;
        QCOMPARE(Walk(again).finish, 0);
    }
};

QTEST_GUILESS_MAIN(tst_CRecentFiles)
#include "tst_CRecentFiles.moc"

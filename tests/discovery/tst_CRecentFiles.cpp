#include "CBusyIndicator.h"
#include "CDatabase.h"
#include "CError.h"
#include "CRecentFiles.h"
#include "CRecordset.h"
#include "RM_RecentMirror.h"
#include "support_discovery.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <glib.h>

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

struct Walked {
    QStringList events, found;
    qint32 finish = -1;
};

Walked Walk(CRecentFiles& recent) {
    Walked w;
    QObject context;
    QObject::connect(&recent, &CRecentFiles::OnBegin, &context, [&] { w.events << "begin"; });
    QObject::connect(&recent, &CRecentFiles::OnFound, &context, [&](const QString& name) {
        w.events << "found";
        w.found << name.mid(recent.FilePath().size());
    });
    QObject::connect(&recent, &CRecentFiles::OnFinish, &context, [&](qint32 n) {
        w.events << "finish";
        w.finish = n;
    });
    recent.FindFile();
    return w;
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

} // namespace

class tst_CRecentFiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    QString m_docs;

    QString Doc(const QString& relative) {
        const QString path = m_docs + "/" + relative;
        return Touch(path) ? path : QString();
    }

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

    void newestFirstUpToFileCount_data() {
        QTest::addColumn<int>("fileCount");
        QTest::newRow("15 of 20") << 15;
        QTest::newRow("none, table still filled") << 0;
        QTest::newRow("more than there are") << 50;
    }

    // Names with quotes, SQL date marks, placeholders and a leading dash are
    // linked and stored exactly.
    void newestFirstUpToFileCount() {
        QFETCH(int, fileCount);
        const auto name = [](int i) {
            return QString("-doc%1 it's \"#2024-01-01#\" 100% %fileName 報告.txt")
                .arg(i, 2, 10, QChar('0'));
        };
        QList<QPair<QString, qint64>> entries;
        QStringList expected, stored;
        for (int i = 0; i < 20; ++i) {
            entries.append({Doc(QString("d%1/").arg(i % 3) + name(i)), kBase + qint64(i) * 3600});
            stored << name(i) + ".lnk";
        }
        std::shuffle(entries.begin(), entries.end(), *QRandomGenerator::global());
        WriteBookmarks(entries);
        CRecentFiles recent;
        recent.setFileCount(fileCount);
        const Walked w = Walk(recent);
        for (int i = 19; i >= 0 && expected.size() < fileCount; --i)
            expected << name(i) + ".lnk";
        QCOMPARE(w.found, expected);
        QCOMPARE(w.finish, 20);
        QCOMPARE(TableNames(recent.DatabasePath()), stored);
        // Each shortcut points at its document and carries the last use.
        QCOMPARE(OwnTime(recent.FilePath() + stored.last()), kBase + qint64(19) * 3600);
        QCOMPARE(RawLink(recent.FilePath() + stored.last()), m_docs + "/d1/" + name(19));
    }

    void onlyLiveDocumentsAreReported() {
        const QString gone = Doc("deleted.txt");
        QVERIFY(QDir().mkpath(m_docs + "/a folder"));
        WriteBookmarks({{Doc("live1.txt"), kBase},
                        {gone, kBase + 10},
                        {m_docs + "/a folder", kBase + 20},
                        {Doc("live2.txt"), kBase + 5},
                        {"https://example.com/page.html", kBase + 30},
                        {"file://otherhost/srv/x.txt", kBase + 30},
                        {"file://" + m_docs + "/caf%E9.txt", kBase + 40}});
        QVERIFY(TouchRaw(QFile::encodeName(m_docs) + "/caf\xe9.txt"));
        QFile::remove(gone);
        CRecentFiles recent;
        // Something in the folder that is no shortcut, and a folder.
        QVERIFY(Touch(recent.FilePath() + "notes.txt") &&
                QDir().mkpath(recent.FilePath() + "sub.lnk"));
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
        WriteBookmarks({{Doc("a.txt"), kBase}, {Doc("b.txt"), kBase + 1}});
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

QTEST_GUILESS_MAIN(tst_CRecentFiles)
#include "tst_CRecentFiles.moc"

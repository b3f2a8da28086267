#include "BM_Library.h"
#include "CError.h"
#include "CFileDB.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"
#include "FaultVfs.h"
#include "Placeholders.h"
#include "support_repository.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QtTest>
#include <memory>

#include <sqlite3.h>

namespace {

// Registers a path the way collecting a document does: find it, or insert
// it with a "#"-enclosed day.
qint32 Register(CVolloDB& db, const QString& path, const QString& day = "2026/12/06") {
    const QString select =
        FillPlaceholders(db.GetQuery("getFileName"), {{QStringLiteral("%fileName"), path}});
    const QString insert = FillPlaceholders(
        db.GetQuery("addFileName"),
        {{QStringLiteral("%fileName"), path}, {QStringLiteral("%fileAge"), "#" + day + "#"}});
    return db.UpdateItem(select, insert);
}

// The IDs, or the second column, of every row.
QList<int> Ids(CRecordset rs) {
    QList<int> ids;
    for (; !rs.IsEOF(); rs.MoveNext())
        ids << rs.Field(0).toInt();
    return ids;
}

QStringList Paths(CRecordset rs) {
    QStringList paths;
    for (; !rs.IsEOF(); rs.MoveNext())
        paths << rs.Field(1).toString();
    return paths;
}

template <typename Engine> bool Linked(Engine& db, qint32 file, qint32 tag) {
    return !db.RunSQL(
                  FillPlaceholders(db.GetQuery("getFileTag"), {{"%fileID", file}, {"%tagID", tag}}))
                .IsEOF();
}

// The change flag as the statement before this read left it. The repository
// keeps its file to itself, so the read goes through it; its text is put
// together so that it holds none of the words that would count as a change.
template <typename Engine> QString Flag(Engine& db) {
    return db.RunSQL("SELECT Value FROM resource WHERE lower(Key) = 'isupd' || 'ateddb'")
        .Field(0)
        .toString();
}

QString StoredDay(CVolloDB& db, qint32 id) {
    CRecordset rs = db.RunSQL(QStringLiteral("SELECT fileAge FROM files WHERE ID=%1").arg(id));
    return rs.IsEOF() ? QString() : rs.Field(0).toString();
}

// The error a call raises; code -1 when it raised none.
template <typename Call> CError Raised(Call call) {
    try {
        call();
    } catch (const CError& e) {
        return e;
    }
    return CError(-1, QStringLiteral("no error"));
}

// Puts at path what the test case names: a file of another kind, another
// program's database, a damaged repository, or one that never held anything.
void MakeFile(const QString& kind, const QString& path) {
    if (kind == "folder") {
        QDir().mkpath(path);
        return;
    }
    if (kind == "damaged") {
        QFile::copy(BM_Library::AppFolder() + "vollo.db", path);
        QFile file(path);
        file.open(QIODevice::ReadWrite);
        file.seek(3 * 4096 + 8); // inside a table's page, past its header
        file.write(QByteArray(2000, '\xff'));
        return;
    }
    if (kind == "foreign" || kind == "blank") {
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(path).constData(), &db);
        sqlite3_exec(db, kind == "blank" ? "PRAGMA user_version=7" : "CREATE TABLE t(x)", nullptr,
                     nullptr, nullptr);
        sqlite3_close(db);
        return;
    }
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    if (kind == "garbage")
        file.write(QByteArray(20000, 'z'));
    else if (kind == "header")
        file.write(QByteArray("SQLite format 3\0", 16));
}

QByteArray Digest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestRepository : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_home = std::make_unique<CFreshDataHome>();
        m_db = std::make_unique<CVolloDB>();
        m_db->Create();
    }

    void cleanup() {
        m_db.reset();
        m_home.reset();
        QLocale::setDefault(QLocale::system());
    }

    void firstAndSecondRun() {
        // A fresh account whose data folder does not exist yet, three levels deep.
        CFreshDataHome home(3);
        const QString templatePath = BM_Library::AppFolder() + "vollo.db";
        const QByteArray templateBefore = Digest(templatePath);
        QVERIFY(!templateBefore.isEmpty());
        {
            CVolloDB db;
            QCOMPARE(db.INIFileName(), home.RepositoryFile());
            db.Create();
            QVERIFY(db.IsFirstExecution());
            Register(db, "/kept/across/runs.doc.lnk");
        }
        CVolloDB db;
        db.Create();
        QVERIFY(!db.IsFirstExecution());
        QCOMPARE(Paths(db.RunQuery("getFileNameAll")).size(), 1);
        // The template beside the program is copied, never written.
        QCOMPARE(Digest(templatePath), templateBefore);
    }

    void storedSettings() {
        // Rewriting a value with itself is dropped, but not the rest of the row.
        m_db->RunSQL("UPDATE resource set resource.Value=\"名前\", resource.Extra=3100 "
                     "WHERE Key=\"ColumnHeader1\"");
        QCOMPARE(m_db->RunQuery("getColumnHeader").Field("Extra").toInt(), 3100);
        QCOMPARE(m_db->RunQuery("getFirstStart").Field(0), QVariant(false));
        m_db->RunQuery("setFirstStart");
        QCOMPARE(m_db->RunQuery("getFirstStart").Field(0), QVariant(true));
        // Window positions are single-precision numbers and must keep their fraction.
        m_db->RunSQL(FillPlaceholders(m_db->GetQuery("setMyPos"), {{"%leftPos", 1440.0f},
                                                                   {"%topPos", 720.0f},
                                                                   {"%widthPos", 9000.0f},
                                                                   {"%heightPos", 6000.5f}}));
        CRecordset pos = m_db->RunQuery("getMyPos");
        QCOMPARE(pos.Field("nLeft").toInt(), 1440);
        QCOMPARE(pos.Field("nHeight").toDouble(), 6000.5);
    }

    void changeFlag_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("changed");
        QTest::newRow("plain select") << "SELECT ID FROM files" << false;
        // The flag goes by the words in the text, not by what the statement does.
        QTest::newRow("path holding delete")
            << "SELECT ID FROM files WHERE path=\"/x/ToDelete.doc\"" << true;
        QTest::newRow("real update") << "UPDATE setting set setting.tabIndex=\"H1\"" << true;
    }

    void changeFlag() {
        QFETCH(QString, sql);
        QFETCH(bool, changed);
        m_db->RunSQL(sql);
        QCOMPARE(Flag(*m_db), changed ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
        m_db->GetQuery("getTagName");
        QCOMPARE(Flag(*m_db), QStringLiteral("FALSE"));
        m_db->AddTag("flagged");
        QCOMPARE(Flag(*m_db), QStringLiteral("TRUE"));
        m_db->GetQuery("getTagName");
        QCOMPARE(Flag(*m_db), QStringLiteral("FALSE"));
    }

    void identitiesOfInserts() {
        const qint32 first = Register(*m_db, "/a/one.doc.lnk");
        QCOMPARE(Register(*m_db, "/a/one.doc.lnk"), first);
        const qint32 second = Register(*m_db, "/a/two.doc.lnk");
        // A select with several rows answers with the first one's ID.
        QCOMPARE(m_db->UpdateItem("SELECT ID FROM files ORDER BY ID DESC",
                                  "INSERT INTO files (path) VALUES (\"/never\")"),
                 second);
        const qint32 tag = m_db->AddTag("新しい分類");
        QCOMPARE(tag, 4);
        const qint32 link = m_db->AddFileTag(first, tag);
        QCOMPARE(m_db->AddFileTag(second, tag), link + 1);
        // Duplicates are refused by the schema with the engine's code.
        QCOMPARE(Raised([&] { m_db->AddFileTag(first, tag); }).Code(), SQLITE_CONSTRAINT_UNIQUE);
        QCOMPARE(Raised([&] { m_db->AddFileName("/a/one.doc.lnk"); }).Code(),
                 SQLITE_CONSTRAINT_UNIQUE);
        // A deleted file's ID is never handed out again.
        m_db->DelFileName("/a/two.doc.lnk");
        QCOMPARE(m_db->AddFileName("/a/three.doc.lnk"), second + 1);
    }

    void namesRoundTrip_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("apostrophe") << "/home/u/today's notes.doc.lnk";
        QTest::newRow("double quotes") << "/home/u/the \"final\" one.doc.lnk";
        QTest::newRow("both quotes doubled") << "/x/a''b\"\"c.lnk";
        QTest::newRow("percent") << "/x/100% done %20.txt.lnk";
        QTest::newRow("own placeholder") << "/x/%fileName%tagName.lnk";
        QTest::newRow("Japanese") << "/ホーム/書類/見積書（最終版）.xlsx.lnk";
        QTest::newRow("spaces and dashes") << "/x/ -rf  leading dash .doc.lnk";
        QTest::newRow("hash date") << "/x/#2026/12/06# True.lnk";
        QTest::newRow("sql text") << "/x/\"); DROP TABLE files; --.lnk";
        QTest::newRow("backslash and brackets") << "/x/a\\b [c].lnk";
    }

    void namesRoundTrip() {
        QFETCH(QString, name);
        const qint32 id = Register(*m_db, name);
        QCOMPARE(Register(*m_db, name), id);
        const qint32 tag = m_db->AddTag(name);
        QVERIFY(Paths(m_db->GetTagName()).contains(name));
        m_db->AddFileTag(id, tag);
        QCOMPARE(Paths(m_db->GetFileOfTag(tag)), QStringList{name});
        m_db->DelTag(name);
        QCOMPARE(m_db->GetTagName().RecordCount(), 3);
        m_db->DelFileName(name);
        QVERIFY(Paths(m_db->RunQuery("getFileNameAll")).isEmpty());
    }

    void datesInLocales_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("separator"); // of the year-first registration day
        QTest::newRow("ja_JP") << "ja_JP"
                               << "/";
        QTest::newRow("en_US") << "en_US"
                               << "/";
        QTest::newRow("de_DE") << "de_DE"
                               << ".";
    }

    void datesInLocales() {
        QFETCH(QString, locale);
        QFETCH(QString, separator);
        QLocale::setDefault(QLocale(locale));
        QTemporaryDir dir;
        // A day whose number cannot pass for a month, and one whose can.
        for (const QDate& day : {QDate(2024, 2, 29), QDate(2026, 3, 4)}) {
            QFile file(dir.filePath(day.toString(Qt::ISODate)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(
                file.setFileTime(QDateTime(day, QTime(12, 0)), QFileDevice::FileModificationTime));
            file.close();
            QCOMPARE(StoredDay(*m_db, m_db->AddFileName(file.fileName())),
                     day.toString(Qt::ISODate));
            const QString text = day.toString(QStringLiteral("yyyy%1MM%1dd").arg(separator));
            QCOMPARE(StoredDay(*m_db, Register(*m_db, file.fileName() + ".lnk", text)),
                     day.toString(Qt::ISODate));
        }
        QCOMPARE(StoredDay(*m_db, m_db->AddFileName("/no/such/file.doc")),
                 QStringLiteral("1601-01-01"));
    }

    void missingAndQuotedKeys() {
        for (const QString& key : {QStringLiteral("noSuchKey"), QStringLiteral("get\"File\"Name"),
                                   QStringLiteral("x' OR '1'='1")}) {
            const QString text = Raised([&] { m_db->GetQuery(key); }).Text();
            QVERIFY2(text.contains("\"" + key + "\""), qPrintable(text));
            QVERIFY_THROWS_EXCEPTION(CError, m_db->RunQuery(key));
        }
        // Lookups ignore letter case, as the original engine did.
        QCOMPARE(m_db->GetQuery("GETTAGNAME"), m_db->GetQuery("getTagName"));
    }

    void refusedFilesAreLeftAlone_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("code");
        QTest::newRow("garbage") << "garbage" << SQLITE_NOTADB;
        QTest::newRow("truncated header") << "header" << SQLITE_CORRUPT;
        QTest::newRow("folder in its place") << "folder" << SQLITE_NOTADB;
        QTest::newRow("another program's database") << "foreign" << SQLITE_NOTADB;
        QTest::newRow("damaged repository") << "damaged" << SQLITE_CORRUPT;
        QTest::newRow("empty file") << "empty" << 0;
        QTest::newRow("database without tables") << "blank" << 0;
    }

    void refusedFilesAreLeftAlone() {
        // Nothing is written to a file before it is known to be a repository in
        // good order; what is refused can be set aside for a fresh start, and
        // what never held anything makes way for a fresh one by itself.
        QFETCH(QString, kind);
        QFETCH(int, code);
        CFreshDataHome home;
        const QString file = home.RepositoryFile();
        QVERIFY(QDir().mkpath(home.RepositoryFolder()));
        MakeFile(kind, file);
        const QByteArray before = Digest(file);
        CVolloDB db;
        const CError refusal = Raised([&] { db.Create(); });
        QCOMPARE(refusal.Code() == -1 ? 0 : refusal.Code() & 0xff, code);
        if (code == 0) {
            QVERIFY(db.IsFirstExecution());
            QCOMPARE(QDir(home.RepositoryFolder()).entryList({"reposit-*.db"}).size(), 1);
            return;
        }
        QVERIFY2(refusal.Text().contains(file), qPrintable(refusal.Text()));
        QCOMPARE(Digest(file), before);
        QVERIFY(!QFile::exists(file + "-wal"));
        QVERIFY_THROWS_EXCEPTION(CError, db.RunQuery("getTagName"));
        QVERIFY(CFileDB::CanSetAside(refusal));
        const QString kept = db.SetAside();
        QCOMPARE(Digest(kept), before);
        db.Create();
        QVERIFY(db.IsFirstExecution());
        QCOMPARE(Paths(db.RunQuery("getFileNameAll")).size(), 0);
    }

    void badTemplateLeavesNoRepository() {
        // A template that is no repository is refused before anything is
        // copied; the next start, with the template mended, succeeds.
        CFreshDataHome home;
        const QString templatePath = BM_Library::AppFolder() + "vollo.db";
        const QString saved = templatePath + ".saved";
        QVERIFY(QFile::rename(templatePath, saved));
        QFile(templatePath).open(QIODevice::WriteOnly);
        const CError refusal = Raised([] { CVolloDB().Create(); });
        QVERIFY(QFile::remove(templatePath));
        QVERIFY(QFile::rename(saved, templatePath));
        QVERIFY2(refusal.Text().contains(templatePath), qPrintable(refusal.Text()));
        QVERIFY(!QFileInfo::exists(home.RepositoryFile()));
        QVERIFY(QDir(home.RepositoryFolder()).entryList(QDir::Files).isEmpty());
        CVolloDB db;
        db.Create();
        QVERIFY(db.IsFirstExecution());
    }

    void unwritableRepositoryOpensForReading_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("told");
        QTest::newRow("full disk") << SQLITE_FULL << QStringLiteral("空き");
        QTest::newRow("read-only file") << SQLITE_READONLY << QStringLiteral("読み取り専用");
    }

    void unwritableRepositoryOpensForReading() {
        QFETCH(int, code);
        QFETCH(QString, told);
        Register(*m_db, "/r/kept.doc.lnk");
        m_db.reset();
        FaultVfs::Install();
        FaultVfs::Arm(1, code);
        CVolloDB db;
        db.Create();
        const QStringList paths = Paths(db.RunQuery("getFileNameAll"));
        const QString notice = db.ReadOnlyNotice();
        const CError refused = Raised([&] { Register(db, "/r/new.doc.lnk"); });
        FaultVfs::Disarm();
        QCOMPARE(paths, QStringList{"/r/kept.doc.lnk"});
        QVERIFY(db.IsReadOnly());
        QVERIFY2(notice.contains(told) && notice.contains(db.INIFileName()), qPrintable(notice));
        QCOMPARE(refused.Text(), notice);
    }

    void linksBetweenFilesAndCategories() {
        const qint32 a = Register(*m_db, "/d/a.doc.lnk");
        const qint32 b = Register(*m_db, "/d/b.doc.lnk");
        m_db->AddFileTag(b, 2);
        m_db->AddFileTag(a, 2);
        m_db->AddFileTag(a, 3);
        QCOMPARE(Ids(m_db->GetFileOfTag(2)), (QList<int>{a, b}));
        QCOMPARE(Ids(m_db->GetTagOfFile(a)), (QList<int>{2, 3}));
        m_db->DelFileTag(a, 3);
        QVERIFY(!Linked(*m_db, a, 3));
        QVERIFY(Linked(*m_db, a, 2));
        m_db->RunSQL(FillPlaceholders(m_db->GetQuery("delFileTagAll"), {{"%fileID", a}}));
        QVERIFY(!Linked(*m_db, a, 2));
        // Removing a file takes its remaining links along: none is left dangling.
        m_db->DelFileName("/d/b.doc.lnk");
        QVERIFY(Ids(m_db->GetFileOfTag(2)).isEmpty());
        QVERIFY_THROWS_EXCEPTION(CError, m_db->AddFileTag(9999, 1));
    }

    void linksByIdentifiers() {
        const qint32 file = Register(*m_db, "/d/linked.pdf.lnk");
        m_db.reset(); // the engine below opens the same repository
        CFileDB engine;
        engine.Create();
        engine.AddTag(file, 1);
        // The link statements run beside the change flag, which keeps the lookup's FALSE.
        QCOMPARE(Flag(engine), QStringLiteral("FALSE"));
        QVERIFY(Linked(engine, file, 1));
        engine.DelTag(file, 1);
        QVERIFY(!Linked(engine, file, 1));
    }

    void filesOfExtension() {
        for (const char* p : {"/v/report.doc.lnk", "/v/Scan.PDF.lnk", "/v/notes.txt", "/v/pdf.lnk",
                              "/v/dir.pdf/plain.lnk", "/v/memo.docx.LNK", "/v/archive.doc.bak.lnk"})
            Register(*m_db, p);
        const auto ofExt = [this](const QString& fileExt) {
            return Paths(m_db->RunSQL(
                FillPlaceholders(m_db->GetQuery("getFileNameOfExt"), {{"%fileExt", fileExt}})));
        };
        QCOMPARE(ofExt(".doc .docx .odt"), (QStringList{"/v/report.doc.lnk", "/v/memo.docx.LNK"}));
        QCOMPARE(ofExt(".pdf"), (QStringList{"/v/Scan.PDF.lnk"}));
        QCOMPARE(ofExt(".TXT"), (QStringList{"/v/notes.txt"}));
        QVERIFY(ofExt("RecentFiles").isEmpty());
        QVERIFY(ofExt("\"quoted\" .x").isEmpty());
    }

    void transactionScope() {
        // A bulk job that fails part-way keeps what it registered before.
        QVERIFY(Raised([&] {
                    CTransactionScope scope(*m_db);
                    Register(*m_db, "/t/1.doc.lnk");
                    Register(*m_db, "/t/2.doc.lnk");
                    m_db->AddFileName("/t/2.doc.lnk"); // duplicate: raises
                }).Code() > 0);
        {
            CTransactionScope scope(*m_db);
            Register(*m_db, "/t/dropped.doc.lnk");
            scope.Rollback();
        }
        {
            CTransactionScope outer(*m_db);
            Register(*m_db, "/t/3.doc.lnk");
            {
                CTransactionScope inner(*m_db);
                Register(*m_db, "/t/4.doc.lnk");
            }
            outer.Commit();
        }
        m_db.reset(); // what a later run of the program finds
        CVolloDB other;
        other.Create();
        QCOMPARE(Paths(other.RunQuery("getFileNameAll")),
                 (QStringList{"/t/1.doc.lnk", "/t/2.doc.lnk", "/t/3.doc.lnk", "/t/4.doc.lnk"}));
    }

private:
    std::unique_ptr<CFreshDataHome> m_home;
    std::unique_ptr<CVolloDB> m_db;
};

QTEST_GUILESS_MAIN(TestRepository)
#include "tst_repository.moc"

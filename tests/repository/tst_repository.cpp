#include "BM_Library.h"
#include "CError.h"
#include "CFileDB.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"
#include "Placeholders.h"
#include "support_repository.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QtTest>

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

// ID and path of every row of a recordset whose columns are ID, path.
QList<QPair<int, QString>> Rows(CRecordset rs) {
    QList<QPair<int, QString>> rows;
    for (; !rs.IsEOF(); rs.MoveNext())
        rows.append({rs.Field(0).toInt(), rs.Field(1).toString()});
    return rows;
}

// The change flag as the statement before this read left it. The repository
// keeps its file to itself, so the read goes through it; its text is put
// together so that it holds none of the words that would count as a change.
QString Flag(CFileDB& db) {
    return db.RunSQL("SELECT Value FROM resource WHERE lower(Key) = 'isupd' || 'ateddb'")
        .Field(0)
        .toString();
}

QString Flag(CVolloDB& db) {
    return db.RunSQL("SELECT Value FROM resource WHERE lower(Key) = 'isupd' || 'ateddb'")
        .Field(0)
        .toString();
}

QString StoredDay(CVolloDB& db, qint32 id) {
    CRecordset rs = db.RunSQL(QStringLiteral("SELECT fileAge FROM files WHERE ID=%1").arg(id));
    return rs.IsEOF() ? QString() : rs.Field(0).toString();
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
    void init();
    void cleanup();

    void firstAndSecondRun();
    void storedSettings();
    void changeFlag_data();
    void changeFlag();
    void updateItemFindsOrInserts();
    void identitiesOfInserts();
    void namesRoundTrip_data();
    void namesRoundTrip();
    void datesInLocales_data();
    void datesInLocales();
    void missingFileGetsTheZeroDate();
    void missingAndQuotedKeys();
    void brokenRepository_data();
    void brokenRepository();
    void linksBetweenFilesAndCategories();
    void linksByIdentifiers();
    void filesOfExtension();
    void transactionScope();
    void secondUserIsToldClearly();

private:
    CFreshDataHome* m_home = nullptr;
    CVolloDB* m_db = nullptr;
};

void TestRepository::init() {
    m_home = new CFreshDataHome;
    m_db = new CVolloDB;
    m_db->Create();
}

void TestRepository::cleanup() {
    delete m_db;
    m_db = nullptr;
    delete m_home;
    m_home = nullptr;
    QLocale::setDefault(QLocale::system());
}

void TestRepository::firstAndSecondRun() {
    // A fresh account whose data folder does not exist yet, three levels deep.
    CFreshDataHome home(3);
    const QString templatePath = BM_Library::AppFolder() + "vollo.db";
    const QByteArray templateBefore = Digest(templatePath);
    QVERIFY(!templateBefore.isEmpty());
    {
        CVolloDB db;
        QCOMPARE(db.ShortcutFolder(), home.RepositoryFolder());
        QCOMPARE(db.INIFileName(), home.RepositoryFile());
        QVERIFY(!db.IsFirstExecution());
        QVERIFY(db.ClassDebugID().toInt() > m_db->ClassDebugID().toInt());
        QCOMPARE(db.MakeShortCut("/any/path.doc"), 0);
        db.Create();
        QVERIFY(db.IsFirstExecution());
        QVERIFY(QFileInfo(home.RepositoryFile()).isFile());
        Register(db, "/kept/across/runs.doc.lnk");
    }
    {
        CVolloDB db;
        db.Create();
        QVERIFY(!db.IsFirstExecution());
        QCOMPARE(Rows(db.RunQuery("getFileNameAll")).size(), 1);
    }
    QCOMPARE(Digest(templatePath), templateBefore);
}

void TestRepository::storedSettings() {
    CRecordset root = m_db->RunQuery("getRootFolder");
    QCOMPARE(root.Field("Value").toString(), QStringLiteral("すべてのファイル"));

    CRecordset columns = m_db->RunQuery("getColumnHeader");
    QStringList captions;
    for (; !columns.IsEOF(); columns.MoveNext()) {
        captions << columns.Field("Value").toString();
        QVERIFY(columns.Field("Extra").toInt() > 0);
    }
    QCOMPARE(captions, (QStringList{"名前", "サイズ", "更新日時"}));
    // Rewriting a value with itself is dropped, but not the rest of the row.
    m_db->RunSQL("UPDATE resource set resource.Value=\"名前\", resource.Extra=3100 "
                 "WHERE Key=\"ColumnHeader1\"");
    columns = m_db->RunQuery("getColumnHeader");
    QCOMPARE(columns.Field("Extra").toInt(), 3100);

    CRecordset first = m_db->RunQuery("getFirstStart");
    QCOMPARE(first.Field(0), QVariant(false));
    QVERIFY(!first.Field(1).toString().isEmpty());
    m_db->RunQuery("setFirstStart");
    QCOMPARE(m_db->RunQuery("getFirstStart").Field(0), QVariant(true));

    CRecordset pos = m_db->RunQuery("getMyPos");
    for (const char* field : {"nLeft", "nTop", "nWidth", "nHeight"})
        QCOMPARE(pos.Field(field).toInt(), 0);
    m_db->RunSQL(FillPlaceholders(m_db->GetQuery("setMyPos"), {{"%leftPos", 1440.0f},
                                                               {"%topPos", 720.0f},
                                                               {"%widthPos", 9000.0f},
                                                               {"%heightPos", 6000.5f}}));
    pos = m_db->RunQuery("getMyPos");
    QCOMPARE(pos.Field("nLeft").toInt(), 1440);
    QCOMPARE(pos.Field("nWidth").toInt(), 9000);
    QCOMPARE(pos.Field("nHeight").toDouble(), 6000.5);

    QCOMPARE(m_db->RunQuery("getTabIndex").Field(0).toString(), QStringLiteral("H0"));
    m_db->RunSQL(FillPlaceholders(m_db->GetQuery("setTabIndex"), {{"%tabIndex", "H3"}}));
    QCOMPARE(m_db->RunQuery("getTabIndex").Field(0).toString(), QStringLiteral("H3"));

    CRecordset tags = m_db->GetTagName();
    QList<int> ids;
    for (; !tags.IsEOF(); tags.MoveNext()) {
        ids << tags.Field(0).toInt();
        QVERIFY(!tags.Field(1).toString().isEmpty());
    }
    QCOMPARE(ids, (QList<int>{1, 2, 3}));

    CRecordset ext = m_db->RunQuery("getExtName");
    int recent = 0;
    for (; !ext.IsEOF(); ext.MoveNext()) {
        QVERIFY(ext.Field("extID").toInt() > 1000);
        QVERIFY(!ext.Field("extName").toString().isEmpty());
        if (ext.Field("fileEXT").toString().compare("RecentFiles", Qt::CaseInsensitive) == 0)
            ++recent;
    }
    QCOMPARE(recent, 1);

    const QString collected = m_db->RunQuery("getFileExt").Field(0).toString();
    for (const char* e : {".doc", ".xlsx", ".pdf", ".txt", ".html", ".jpg"})
        QVERIFY2(collected.contains(e), e);
}

void TestRepository::changeFlag_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("flag");
    QTest::newRow("plain select") << "SELECT ID FROM files"
                                  << "FALSE";
    QTest::newRow("column named like update") << "SELECT ID AS lastUpdate FROM files"
                                              << "TRUE";
    QTest::newRow("path holding delete") << "SELECT ID FROM files WHERE path=\"/x/ToDelete.doc\""
                                         << "TRUE";
    QTest::newRow("insert in lower case") << "SELECT 'insert' AS x"
                                          << "TRUE";
    QTest::newRow("real update") << "UPDATE setting set setting.tabIndex=\"H1\""
                                 << "TRUE";
}

void TestRepository::changeFlag() {
    QFETCH(QString, sql);
    QFETCH(QString, flag);
    m_db->RunSQL(sql);
    QCOMPARE(Flag(*m_db), flag);
    m_db->GetQuery("getTagName");
    QCOMPARE(Flag(*m_db), QStringLiteral("FALSE"));
    m_db->AddTag("flagged");
    QCOMPARE(Flag(*m_db), QStringLiteral("TRUE"));
    m_db->GetQuery("getTagName");
    QCOMPARE(Flag(*m_db), QStringLiteral("FALSE"));
}

void TestRepository::updateItemFindsOrInserts() {
    const qint32 first = Register(*m_db, "/a/one.doc.lnk");
    QVERIFY(first > 0);
    QCOMPARE(Register(*m_db, "/a/one.doc.lnk"), first);
    const qint32 second = Register(*m_db, "/a/two.doc.lnk");
    QVERIFY(second > first);
    QCOMPARE(Rows(m_db->RunQuery("getFileNameAll")).size(), 2);

    // A select with several rows answers with the first one's ID.
    const qint32 id = m_db->UpdateItem("SELECT ID FROM files ORDER BY ID DESC",
                                       "INSERT INTO files (path) VALUES (\"/never\")");
    QCOMPARE(id, second);
    QCOMPARE(Rows(m_db->RunQuery("getFileNameAll")).size(), 2);
}

void TestRepository::identitiesOfInserts() {
    const qint32 tag = m_db->AddTag("新しい分類");
    QCOMPARE(tag, 4);
    QCOMPARE(m_db->AddTag("another"), 5);
    const qint32 f1 = m_db->AddFileName("/x/a.pdf.lnk");
    const qint32 f2 = m_db->AddFileName("/x/b.pdf.lnk");
    QCOMPARE(f2, f1 + 1);
    const qint32 link = m_db->AddFileTag(f1, tag);
    QVERIFY(link > 0);
    QCOMPARE(m_db->AddFileTag(f2, tag), link + 1);

    // Duplicates are refused by the schema with the engine's code.
    try {
        m_db->AddFileTag(f1, tag);
        QFAIL("no error");
    } catch (const CError& e) {
        QCOMPARE(e.Code(), SQLITE_CONSTRAINT_UNIQUE);
    }
    QVERIFY_THROWS_EXCEPTION(CError, m_db->AddFileName("/x/a.pdf.lnk"));
    QVERIFY_THROWS_EXCEPTION(CError, m_db->AddTag("another"));

    // A deleted file's ID is never handed out again.
    m_db->DelFileName("/x/b.pdf.lnk");
    QCOMPARE(m_db->AddFileName("/x/c.pdf.lnk"), f2 + 1);
}

void TestRepository::namesRoundTrip_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("apostrophe") << "/home/u/today's notes.doc.lnk";
    QTest::newRow("double quotes") << "/home/u/the \"final\" one.doc.lnk";
    QTest::newRow("both quotes doubled") << "/x/a''b\"\"c.lnk";
    QTest::newRow("percent") << "/x/100% done %20.txt.lnk";
    QTest::newRow("placeholder name") << "/x/%fileAge.txt.lnk";
    QTest::newRow("own placeholder") << "/x/%fileName%tagName.lnk";
    QTest::newRow("Japanese") << "/ホーム/書類/見積書（最終版）.xlsx.lnk";
    QTest::newRow("spaces and dashes") << "/x/ -rf  leading dash .doc.lnk";
    QTest::newRow("hash date") << "/x/#2026/12/06# True.lnk";
    QTest::newRow("sql text") << "/x/\"); DROP TABLE files; --.lnk";
    QTest::newRow("backslash and brackets") << "/x/a\\b [c].lnk";
}

void TestRepository::namesRoundTrip() {
    QFETCH(QString, name);
    const qint32 id = Register(*m_db, name);
    QCOMPARE(Register(*m_db, name), id);
    QCOMPARE(Rows(m_db->RunQuery("getFileNameAll")), (QList<QPair<int, QString>>{{id, name}}));

    const qint32 tag = m_db->AddTag(name);
    CRecordset tags = m_db->GetTagName();
    QString stored;
    for (; !tags.IsEOF(); tags.MoveNext())
        if (tags.Field(0).toInt() == tag)
            stored = tags.Field(1).toString();
    QCOMPARE(stored, name);
    m_db->AddFileTag(id, tag);
    QCOMPARE(Rows(m_db->GetFileOfTag(tag)), (QList<QPair<int, QString>>{{id, name}}));

    m_db->DelTag(name);
    QCOMPARE(m_db->GetTagName().RecordCount(), 3);
    m_db->DelFileName(name);
    QVERIFY(Rows(m_db->RunQuery("getFileNameAll")).isEmpty());
}

void TestRepository::datesInLocales_data() {
    QTest::addColumn<QString>("locale");
    QTest::newRow("ja_JP") << "ja_JP";
    QTest::newRow("en_US") << "en_US";
    QTest::newRow("de_DE") << "de_DE";
    QTest::newRow("en_GB") << "en_GB";
}

void TestRepository::datesInLocales() {
    QFETCH(QString, locale);
    QLocale::setDefault(QLocale(locale));
    // A day whose number cannot pass for a month, and one whose can.
    for (const QDate& day : {QDate(2024, 2, 29), QDate(2026, 3, 4)}) {
        QTemporaryDir dir;
        const QString path = dir.filePath("doc.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setFileTime(QDateTime(day, QTime(12, 0)), QFileDevice::FileModificationTime));
        file.close();
        const qint32 id = m_db->AddFileName(path);
        QCOMPARE(StoredDay(*m_db, id), day.toString(Qt::ISODate));

        // The registration day, year first with the locale's separator.
        const QString separator = QLocale().toString(day, QLocale::ShortFormat).contains('.')
                                      ? QStringLiteral(".")
                                      : QStringLiteral("/");
        const QString text = day.toString(QStringLiteral("yyyy%1MM%1dd").arg(separator));
        const qint32 registered = Register(*m_db, path + ".lnk", text);
        QCOMPARE(StoredDay(*m_db, registered), day.toString(Qt::ISODate));
        m_db->DelFileName(path);
        m_db->DelFileName(path + ".lnk");
    }
}

void TestRepository::missingFileGetsTheZeroDate() {
    const qint32 id = m_db->AddFileName("/no/such/file.doc");
    QCOMPARE(StoredDay(*m_db, id), QStringLiteral("1601-01-01"));
    m_db->DelFileName("/not/registered");
    QCOMPARE(Rows(m_db->RunQuery("getFileNameAll")).size(), 1);
}

void TestRepository::missingAndQuotedKeys() {
    for (const QString& key : {QStringLiteral("noSuchKey"), QStringLiteral("get\"File\"Name"),
                               QStringLiteral("x' OR '1'='1")}) {
        try {
            m_db->GetQuery(key);
            QFAIL("no error");
        } catch (const CError& e) {
            QVERIFY2(e.Text().contains("\"" + key + "\""), qPrintable(e.Text()));
        }
        QVERIFY_THROWS_EXCEPTION(CError, m_db->RunQuery(key));
    }
    // Lookups ignore letter case, as the original engine did.
    QCOMPARE(m_db->GetQuery("GETTAGNAME"), m_db->GetQuery("getTagName"));
}

void TestRepository::brokenRepository_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("folder");
    QTest::newRow("garbage") << QByteArray(20000, 'z') << false;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("truncated header") << QByteArray("SQLite format 3\0", 16) << false;
    QTest::newRow("folder in its place") << QByteArray() << true;
}

void TestRepository::brokenRepository() {
    QFETCH(QByteArray, content);
    QFETCH(bool, folder);
    CFreshDataHome home;
    QVERIFY(QDir().mkpath(home.RepositoryFolder()));
    if (folder) {
        QVERIFY(QDir().mkpath(home.RepositoryFile()));
    } else {
        QFile file(home.RepositoryFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    CVolloDB db;
    try {
        db.Create();
        QFAIL("no error");
    } catch (const CError& e) {
        QVERIFY2(e.Text().contains(home.RepositoryFile()), qPrintable(e.Text()));
        QVERIFY2(e.Text().contains(BM_Library::AppFolder() + "vollo.db"), qPrintable(e.Text()));
    }
    QVERIFY_THROWS_EXCEPTION(CError, db.RunQuery("getTagName"));
}

void TestRepository::linksBetweenFilesAndCategories() {
    const qint32 a = Register(*m_db, "/d/a.doc.lnk");
    const qint32 b = Register(*m_db, "/d/b.doc.lnk");
    QVERIFY(Rows(m_db->GetFileOfTag(2)).isEmpty());
    m_db->AddFileTag(b, 2);
    m_db->AddFileTag(a, 2);
    m_db->AddFileTag(a, 3);
    QCOMPARE(Rows(m_db->GetFileOfTag(2)),
             (QList<QPair<int, QString>>{{a, "/d/a.doc.lnk"}, {b, "/d/b.doc.lnk"}}));

    CRecordset tags = m_db->GetTagOfFile(a);
    QList<int> ids;
    for (; !tags.IsEOF(); tags.MoveNext())
        ids << tags.Field(0).toInt();
    QCOMPARE(ids, (QList<int>{2, 3}));

    const auto linked = [this](qint32 file, qint32 tag) {
        return !m_db->RunSQL(FillPlaceholders(m_db->GetQuery("getFileTag"),
                                              {{"%fileID", file}, {"%tagID", tag}}))
                    .IsEOF();
    };
    QVERIFY(linked(a, 3));
    m_db->DelFileTag(a, 3);
    QVERIFY(!linked(a, 3));
    QVERIFY(linked(a, 2));

    m_db->RunSQL(FillPlaceholders(m_db->GetQuery("delFileTagAll"), {{"%fileID", a}}));
    QVERIFY(!linked(a, 2));
    // Removing a file takes its remaining links along.
    m_db->DelFileName("/d/b.doc.lnk");
    QVERIFY(Rows(m_db->GetFileOfTag(2)).isEmpty());
    QVERIFY_THROWS_EXCEPTION(CError, m_db->AddFileTag(9999, 1));
}

void TestRepository::linksByIdentifiers() {
    const qint32 file = Register(*m_db, "/d/linked.pdf.lnk");
    delete m_db; // the engine below opens the same repository
    m_db = nullptr;
    CFileDB engine;
    engine.Create();
    QVERIFY(!engine.IsFirstExecution());
    const auto linked = [&engine, file] {
        return !engine
                    .RunSQL(FillPlaceholders(engine.GetQuery("getFileTag"),
                                             {{"%fileID", file}, {"%tagID", 1}}))
                    .IsEOF();
    };
    engine.AddTag(file, 1);
    // The link statements run beside the change flag, which keeps the
    // lookup's FALSE.
    QCOMPARE(Flag(engine), QStringLiteral("FALSE"));
    QVERIFY(linked());
    engine.DelTag(file, 1);
    QVERIFY(!linked());
}

void TestRepository::filesOfExtension() {
    const QStringList paths{
        "/v/report.doc.lnk",    "/v/Scan.PDF.lnk",  "/v/notes.txt",          "/v/pdf.lnk",
        "/v/dir.pdf/plain.lnk", "/v/memo.docx.LNK", "/v/archive.doc.bak.lnk"};
    QList<int> ids;
    for (const QString& p : paths)
        ids << Register(*m_db, p);
    const auto ofExt = [this](const QString& fileExt) {
        QStringList found;
        for (const auto& row : Rows(m_db->RunSQL(
                 FillPlaceholders(m_db->GetQuery("getFileNameOfExt"), {{"%fileExt", fileExt}}))))
            found << row.second;
        return found;
    };
    QCOMPARE(ofExt(".doc .docx .odt"), (QStringList{"/v/report.doc.lnk", "/v/memo.docx.LNK"}));
    QCOMPARE(ofExt(".pdf"), (QStringList{"/v/Scan.PDF.lnk"}));
    QCOMPARE(ofExt(".TXT"), (QStringList{"/v/notes.txt"}));
    QVERIFY(ofExt("RecentFiles").isEmpty());
    QVERIFY(ofExt("\"quoted\" .x").isEmpty());

    // Every category in the template finds what it lists.
    CRecordset ext = m_db->RunQuery("getExtName");
    int matched = 0;
    for (; !ext.IsEOF(); ext.MoveNext())
        matched += ofExt(ext.Field("fileEXT").toString()).size();
    QCOMPARE(matched, 4);
}

void TestRepository::transactionScope() {
    // A bulk job that fails part-way keeps what it registered before.
    try {
        CTransactionScope scope(*m_db);
        Register(*m_db, "/t/1.doc.lnk");
        Register(*m_db, "/t/2.doc.lnk");
        m_db->AddFileName("/t/2.doc.lnk"); // duplicate: raises
        QFAIL("no error");
    } catch (const CError&) {
    }
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
        QVERIFY(!outer.IsActive());
    }
    delete m_db; // what a later run of the program finds
    m_db = nullptr;
    CVolloDB other;
    other.Create();
    QStringList paths;
    for (const auto& row : Rows(other.RunQuery("getFileNameAll")))
        paths << row.second;
    QCOMPARE(paths, (QStringList{"/t/1.doc.lnk", "/t/2.doc.lnk", "/t/3.doc.lnk", "/t/4.doc.lnk"}));
}

void TestRepository::secondUserIsToldClearly() {
    // A second program on the same repository waits for the engine's busy
    // timeout, then gives up with a message rather than sharing it.
    Register(*m_db, "/s/one.doc.lnk");
    CVolloDB second;
    try {
        second.Create();
        QFAIL("no error");
    } catch (const CError& e) {
        QVERIFY2(e.Text().contains(m_db->INIFileName()), qPrintable(e.Text()));
        QVERIFY2(e.Text().contains("in use"), qPrintable(e.Text()));
    }
    QCOMPARE(Register(*m_db, "/s/one.doc.lnk"), 1);
}

QTEST_GUILESS_MAIN(TestRepository)
#include "tst_repository.moc"

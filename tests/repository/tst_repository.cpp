#include "BM_Library.h"
#include "CCategoryColours.h"
#include "CCategoryStore.h"
#include "CDatabase.h"
#include "CError.h"
#include "CFactStore.h"
#include "CFileDB.h"
#include "CFileFacts.h"
#include "CQueryCompiler.h"
#include "CQueryError.h"
#include "CQueryParser.h"
#include "CSavedSearches.h"
#include "CSharedTexts.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"
#include "FaultVfs.h"
#include "Placeholders.h"

#include "../support_tests.h"

#include <QtTest>
#include <memory>
#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Points XDG_DATA_HOME at a folder of its own for the life of the object, so
// that every test case meets a repository folder that does not exist yet.
// `depth` levels of missing parent folders lie between the temporary folder
// and the data home.
class CFreshDataHome {
public:
    explicit CFreshDataHome(int depth = 0) : m_previous(qgetenv("XDG_DATA_HOME")) {
        for (int i = 0; i < depth; ++i)
            m_dataHome += QStringLiteral("/level%1").arg(i);
        qputenv("XDG_DATA_HOME", m_dataHome.toLocal8Bit());
    }
    ~CFreshDataHome() { qputenv("XDG_DATA_HOME", m_previous); }

    QString DataHome() const { return m_dataHome; }
    QString RepositoryFolder() const { return m_dataHome + "/Vollo/"; }
    QString RepositoryFile() const { return RepositoryFolder() + "reposit.db"; }

private:
    QTemporaryDir m_dir;
    QString m_dataHome = m_dir.path();
    QByteArray m_previous;
};

// The values of one column of every row (1: a file's path, a category's name).
QVariantList Column(CRecordset rs, int column = 0) {
    QVariantList values;
    for (; !rs.IsEOF(); rs.MoveNext())
        values << rs.Field(column);
    return values;
}

QByteArray Digest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// A statement on the file from outside the program, as an older version or
// another tool would run it; the first value it answers.
QVariant Outside(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    QVariant value;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        value = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return value;
}

// Registers a path the way collecting a document does: find it, or insert
// it with a "#"-enclosed day.
qint32 Register(CVolloDB& db, const QString& path, const QString& day = "2026/12/06") {
    const QList<QPair<QString, QVariant>> values{{"%fileName", path},
                                                 {"%fileAge", "#" + day + "#"}};
    return db.UpdateItem(FillPlaceholders(db.GetQuery("getFileName"), values),
                         FillPlaceholders(db.GetQuery("addFileName"), values));
}

QString StoredDay(CVolloDB& db, qint32 id) {
    CRecordset rs = db.RunSQL(QStringLiteral("SELECT fileAge FROM files WHERE ID=%1").arg(id));
    return rs.IsEOF() ? QString() : rs.Field(0).toString();
}

// Puts at path what the test case names: a file of another kind, another
// program's database, a damaged repository, or one that never held anything.
void MakeFile(const QString& kind, const QString& path) {
    if (kind == "folder") {
        QDir().mkpath(path);
    } else if (kind == "damaged") {
        QFile::copy(BM_Library::AppFolder() + "vollo.db", path);
        QFile file(path);
        file.open(QIODevice::ReadWrite);
        file.seek(18); // in WAL mode, as every repository in use is
        file.write("\x02\x02");
        file.seek(3 * 4096 + 8); // inside a table's page, past its header
        file.write(QByteArray(2000, '\xff'));
    } else if (kind == "foreign" || kind == "blank") {
        Outside(path, kind == "blank" ? "PRAGMA user_version=7" : "CREATE TABLE t(x)");
    } else {
        WriteFile(path, kind == "garbage"  ? QByteArray(20000, 'z')
                        : kind == "header" ? QByteArray("SQLite format 3\0", 16)
                                           : QByteArray());
    }
}

// A document with a shortcut to it in the repository folder.
QString MakeDocument(const CFreshDataHome& home, const QString& name, const QByteArray& content) {
    QString link = home.RepositoryFolder() + name + ".lnk";
    WriteFile(home.DataHome() + "/docs/" + name, content);
    QFile::link(home.DataHome() + "/docs/" + name, link);
    return link;
}

// Takes the repository back to the version before stored facts.
void Downgrade(const QString& repository) {
    Outside(repository, "DROP TABLE filefacts");
    Outside(repository, "PRAGMA user_version = 0");
}

} // namespace

// The connection on its own, on scratch database files, and the statement
// text on its way to SQLite: the program's dialect and the filling of
// placeholders.
class TestDatabase : public QObject {
    Q_OBJECT

private slots:
    void translate_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* tag, const QString& sql, const QString& expected) {
            QTest::newRow(tag) << sql << expected;
        };
        row("flag update", "UPDATE resource set resource.Value='TRUE' where Key='IsUpdatedDB'",
            "UPDATE resource set Value='TRUE' where Key='IsUpdatedDB'");
        row("other table's qualifier stays",
            "UPDATE files SET files.x = (SELECT t.y FROM t WHERE t.id = files.ID)",
            "UPDATE files SET x = (SELECT t.y FROM t WHERE t.id = files.ID)");
        row("double-quoted lookup", "SELECT * FROM query where key=\"getFileName\"",
            "SELECT * FROM query where key='getFileName'");
        row("doubled and single quotes inside", "VALUES (\"say \"\"hi\"\", it's\")",
            "VALUES ('say \"hi\", it''s')");
        const QString single = "SELECT 'a \"b\" #1/2/2026# True @@IDENTITY'";
        row("single-quoted text untouched", single, single);
        row("hash and words inside double quotes", "SELECT \"#5# True\"", "SELECT '#5# True'");
        row("delete star", "DELETE * FROM tableRecent", "DELETE FROM tableRecent");
        row("identity", "SELECT @@IDENTITY", "SELECT last_insert_rowid()");
        row("booleans as bare words",
            "UPDATE setting set setting.firstStart = True WHERE IsTrue = false OR t.False = 1",
            "UPDATE setting set firstStart = 1 WHERE IsTrue = 0 OR t.False = 1");
        const QString brackets = "SELECT [it's \"True\"] FROM [t]";
        row("brackets untouched", brackets, brackets);
        row("recent files insert",
            "INSERT INTO tableRecent(fileName,ageLow,ageHigh)VALUES(\"a b.lnk\",-5,7)",
            "INSERT INTO tableRecent(fileName,ageLow,ageHigh)VALUES('a b.lnk',-5,7)");
        row("comment keeps its quote", "SELECT 1 -- it's\n, \"x\"", "SELECT 1 -- it's\n, 'x'");
    }

    void translate() {
        QFETCH(QString, sql);
        QTEST(CDatabase::TranslateDialect(sql), "expected");
    }

    // A second reading takes the held string only where it is the very text
    // the row holds; anything else would show or follow the wrong path.
    void sharedTextsOnlyWhereEqual_data() {
        QTest::addColumn<qint64>("id");
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<bool>("shared");
        QTest::newRow("same path") << qint64(3) << QByteArray("/d/見積書 3.pdf") << true;
        QTest::newRow("path changed") << qint64(3) << QByteArray("/d/見積書 4.pdf") << false;
        QTest::newRow("held path is a prefix") << qint64(1) << QByteArray("/d/one2") << false;
        QTest::newRow("other row's path") << qint64(4) << QByteArray("/d/one") << false;
        QTest::newRow("row added since, out of order") << qint64(2) << QByteArray("/d/x") << false;
        QTest::newRow("bytes not UTF-8, decoded alike")
            << qint64(5) << QByteArray("/d/\xff") << true;
        QTest::newRow("bytes not UTF-8, decoded apart")
            << qint64(5) << QByteArray("/d/\xff\xfe") << false;
    }

    void sharedTextsOnlyWhereEqual() {
        QFETCH(qint64, id);
        QFETCH(QByteArray, utf8);
        QFETCH(bool, shared);
        const QList<std::pair<qint32, QString>> held{{1, "/d/one"},
                                                     {3, "/d/見積書 3.pdf"},
                                                     {5, QString::fromUtf8("/d/\xff")},
                                                     {7, "/d/seven"},
                                                     {2, "/d/x"}};
        CDatabase::SharedText take = CSharedTexts::From(
            held, [](const auto& e) { return e.first; },
            [](const auto& e) -> const QString& { return e.second; });
        // A reading that went past the row first.
        QVERIFY(take(7, "/d/seven").isSharedWith(held[3].second));
        const QString text = take(id, utf8);
        QCOMPARE(text, QString::fromUtf8(utf8));
        const auto sharer = std::find_if(held.cbegin(), held.cend(), [&text](const auto& e) {
            return text.isSharedWith(e.second);
        });
        QCOMPARE(sharer != held.cend(), shared);
    }

    // The locale's own dates and the year-first form are read end to end by
    // the registration test; here, a date the locale cannot read month first
    // is read day first, and what is no date is refused with its text shown.
    void datesOutsideTheLocale() {
        QLocale::setDefault(QLocale("en_US"));
        QCOMPARE(CDatabase::TranslateDialect("VALUES (#25/12/2026#)"), "VALUES ('2026-12-25')");
        const CError e = Raised([] { CDatabase::TranslateDialect("VALUES (#not a date#)"); });
        QVERIFY2(e.Text().contains("#not a date#"), qPrintable(e.Text()));
    }

    void fill_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QString>("expected");

        const auto row = [](const char* tag, const QString& sql, const QStringList& names,
                            const QVariantList& values, const QString& expected) {
            QTest::newRow(tag) << sql << names << values << expected;
        };
        row("double-quote context", "\"%fileName\"", {"%fileName"}, {"a\"b'c"}, "\"a\"\"b'c\"");
        row("single-quote context", "'%fileName'", {"%fileName"}, {"a\"b'c"}, "'a\"b''c'");
        row("outside quotes verbatim", "VALUES (\"%fileName\", %fileAge)",
            {"%fileName", "%fileAge"}, {"x", "#2026/12/06#"}, "VALUES (\"x\", #2026/12/06#)");
        row("numbers and boolean", "%a %b %c %d %e", {"%a", "%b", "%c", "%d", "%e"},
            {Q_INT64_C(5000000000), -5, 1440.0, 12.5, true}, "5000000000 -5 1440 12.5 True");
        row("%fid is not %fileID", "%fileID,%fid", {"%fid", "%fileID"}, {1, 2}, "2,1");
        row("value naming a later placeholder", "\"%fileName\", %fileAge",
            {"%fileName", "%fileAge"}, {"%fileAge.txt", "#1#"}, "\"%fileAge.txt\", #1#");
        row("value naming itself", "'%x'", {"%x"}, {"%x%x"}, "'%x%x'");
        row("context after a doubled quote", "'it''s %x' %y", {"%x", "%y"}, {"a'b", "c'd"},
            "'it''s a''b' c'd");
        row("quote inside the other quotes", "\"it's %x\"", {"%x"}, {"a'b\""}, "\"it's a'b\"\"\"");
        row("brackets", "[%x] '%x'", {"%x"}, {"a'b"}, "[a'b] 'a''b'");
        row("case-sensitive, unknown names stay", "%FILENAME %other %fileName", {"%fileName"},
            {"v"}, "%FILENAME %other v");
        row("every occurrence", "%t-%t-%t", {"%t"}, {7}, "7-7-7");
    }

    void fill() {
        QFETCH(QString, sql);
        QFETCH(QStringList, names);
        QFETCH(QVariantList, values);
        QList<QPair<QString, QVariant>> pairs;
        for (int i = 0; i < names.size(); ++i)
            pairs.append({names.at(i), values.at(i)});
        QTEST(FillPlaceholders(sql, pairs), "expected");
    }

    void init() {
        m_dir = new QTemporaryDir;
        m_db = new CDatabase;
        m_db->Open(m_dir->filePath("scratch.db"), true);
        m_db->Execute("CREATE TABLE t (ID INTEGER PRIMARY KEY, name TEXT UNIQUE, "
                      "flag BOOLEAN, amount REAL, data BLOB, day DATE)");
    }

    void cleanup() {
        delete m_db;
        delete m_dir;
        QLocale::setDefault(QLocale::system());
    }

    void openCreatesOnlyWhenAsked() {
        const QString missing = m_dir->filePath("missing.db");
        CDatabase db;
        QVERIFY_THROWS_EXCEPTION(CError, db.Open(missing, false));
        QVERIFY(!QFile::exists(missing));
        db.Open(missing, true);
        QVERIFY(db.IsOpen());
        // Write-ahead logging keeps a crash from corrupting the repository.
        QCOMPARE(db.Execute("PRAGMA journal_mode").Field(0).toString(), QStringLiteral("wal"));
    }

    void valuesKeepTheirTypes() {
        m_db->Execute(
            QStringLiteral("INSERT INTO t (ID, name, flag, amount, data, day) VALUES "
                           "(5000000000, \"Zoë \"\"x\"\"\", True, 2.5, x'00ff', #2026/1/2#)"));
        QCOMPARE(m_db->LastInsertRowId(), Q_INT64_C(5000000000));
        m_db->Execute("INSERT INTO t (ID, name) VALUES (7, NULL)");
        CRecordset rs = m_db->Execute("SELECT * FROM t ORDER BY ID");
        QCOMPARE(rs.RecordCount(), 2);
        QCOMPARE(rs.Field(0).typeId(), QMetaType::Int);
        QVERIFY(rs.Field("NAME").isNull() && rs.Field("flag").isNull());
        rs.MoveNext();
        QCOMPARE((QVariantList{rs.Field(0), rs.Field(1), rs.Field(2), rs.Field(3), rs.Field(4)}),
                 (QVariantList{Q_INT64_C(5000000000), "Zoë \"x\"", true, 2.5,
                               QByteArray("\x00\xff", 2)}));
        QCOMPARE(rs.Field(5).toString(), QStringLiteral("2026-01-02"));
        rs.MoveNext();
        QVERIFY(rs.IsEOF());
        QCOMPARE(m_db->Execute("SELECT @@IDENTITY").Field(0).toLongLong(), 7);
    }

    void errorsCarryCodeAndStatement() {
        const CError syntax = Raised([&] { m_db->Execute("SELEC oops"); });
        QCOMPARE(syntax.Code(), SQLITE_ERROR);
        QVERIFY2(syntax.Text().contains("SELEC oops") && syntax.Text().contains("syntax error"),
                 qPrintable(syntax.Text()));
        const auto insert = [&] { m_db->Execute("INSERT INTO t (name) VALUES (\"a\")"); };
        insert();
        const CError unique = Raised(insert);
        QCOMPARE(unique.Code(), SQLITE_CONSTRAINT_UNIQUE);
        QVERIFY(unique.Text().contains("UNIQUE"));
        // The failed statement stays usable once the conflict is gone.
        m_db->Execute("DELETE * FROM t");
        m_db->Execute("INSERT INTO t (name) VALUES (\"a\")");
        QCOMPARE(Count("t"), 1);
    }

    void oneStatementPerText() {
        // What a value breaking out of its quotes would produce.
        QVERIFY_THROWS_EXCEPTION(CError, m_db->Execute(QStringLiteral(
                                             "INSERT INTO t (name) VALUES ('x'); DROP TABLE t")));
        QCOMPARE(Count("t"), 0);
        m_db->Execute("INSERT INTO t (name) VALUES ('y');  \n");
        QCOMPARE(Count("t"), 1);
        QCOMPARE(m_db->Execute("  ").RecordCount(), 0);
    }

    // Checkpoints made beside a writer that commits without pause never
    // catch up with it; the journal must still stay bounded, and a reader
    // on another connection must see every commit.
    void journalStaysBoundedUnderSteadyCommits() {
        for (int i = 0; i < 12000; ++i)
            m_db->ExecuteBound(QStringLiteral("INSERT INTO t (name) VALUES (?)"), {i});
        const qint64 frame = m_db->Execute("PRAGMA page_size").Field(0).toLongLong() + 24;
        const qint64 journal = QFileInfo(m_dir->filePath("scratch.db-wal")).size();
        QVERIFY2(journal <= 10000 * frame, qPrintable(QString::number(journal / frame)));
        CDatabase reader;
        reader.setReadOnly(true);
        reader.Open(m_dir->filePath("scratch.db"));
        QCOMPARE(reader.Execute("SELECT count(*) FROM t").Field(0).toInt(), 12000);
    }

    void reusedStatementsStayCorrect() {
        // More distinct texts than the statement cache keeps, then the first
        // ones again: evicted statements are prepared anew, kept ones reused.
        for (int i = 0; i < 700; ++i)
            m_db->Execute(QStringLiteral("INSERT INTO t (name) VALUES (\"n%1\")").arg(i));
        const QString select = QStringLiteral("SELECT ID FROM t WHERE name = \"n%1\"");
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < 700; i += 7)
                QCOMPARE(m_db->Execute(select.arg(i)).Field(0).toInt(), i + 1);
        }
    }

    void literalsWhereParametersCannotGo_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("column");
        const auto row = [](const char* tag, const char* sql, const QVariant& value,
                            const char* column) { QTest::newRow(tag) << sql << value << column; };
        row("alias in quotes", "SELECT 1 AS 'one'", 1, "one");
        row("quote and mark inside", "SELECT 'it''s ?' AS v", "it's ?", "v");
        row("blob beside text", "SELECT x'41' = CAST('A' AS BLOB) AS b", 1, "b");
        row("pattern", "SELECT 'abc' LIKE 'A%' AS m", 1, "m");
        row("own parameter left alone", "SELECT 'x' AS a, ? AS b", "x", "a");
        row("double-quoted text", "SELECT \"d\"\"q\" AS v", "d\"q", "v");
        row("number compared with text", "SELECT 5 = '5' AS e, CAST('5' AS INTEGER) = 5", 0, "e");
    }

    void literalsWhereParametersCannotGo() {
        // The same statement shape runs twice with other texts in between, so a
        // reused statement must not keep the earlier values.
        QFETCH(QString, sql);
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        for (int round = 0; round < 2; ++round) {
            CRecordset rs = m_db->Execute(sql);
            QCOMPARE(rs.FieldName(0), column);
            QCOMPARE(rs.Field(0), value);
            m_db->Execute("SELECT 'other' AS v, 'texts' AS w");
        }
    }

    void shapesBindOnlyAWholeValue_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("bindable");
        QTest::newRow("alone in quotes") << "SELECT ID FROM t WHERE name = \"%v\"" << true;
        QTest::newRow("beside constants")
            << "SELECT ID FROM t WHERE name = '%v' AND name <> \"x\" AND %n = 1" << true;
        QTest::newRow("part of a text") << "SELECT ID FROM t WHERE name = \"%v.lnk\"" << false;
        QTest::newRow("unquoted") << "SELECT ID FROM t WHERE name = %v" << false;
        QTest::newRow("no parameter there") << "SELECT name AS \"%v\" FROM t" << false;
    }

    void shapesBindOnlyAWholeValue() {
        QFETCH(QString, sql);
        QFETCH(bool, bindable);
        m_db->Execute("INSERT INTO t (name) VALUES ('it''s \"q\" %n')");
        const CStatementShape shape(sql, "%v", {{"%n", 1}});
        QCOMPARE(shape.Bindable(*m_db), bindable);
        const QString value = "it's \"q\" %n";
        const QString filled = shape.Filled(value);
        QVERIFY(!filled.contains(u'\uFDD0'));
        if (bindable)
            QCOMPARE(m_db->ExecuteBound(shape.Text(), shape.Values(value)).Field(0),
                     m_db->Execute(filled).Field(0));
    }

    void nestedTransactions() {
        m_db->BeginTransaction();
        m_db->Execute("INSERT INTO t (name) VALUES ('outer')");
        // A refused statement leaves the transaction and what it holds alone.
        QVERIFY_THROWS_EXCEPTION(CError, m_db->Execute("INSERT INTO t (name) VALUES ('outer')"));
        m_db->BeginTransaction();
        m_db->Execute("INSERT INTO t (name) VALUES ('inner dropped')");
        m_db->RollbackTransaction();
        m_db->BeginTransaction();
        m_db->Execute("INSERT INTO t (name) VALUES ('inner kept')");
        m_db->CommitTransaction();
        QVERIFY(m_db->InTransaction());
        m_db->CommitTransaction();
        QVERIFY(!m_db->InTransaction());
        QVERIFY_THROWS_EXCEPTION(CError, m_db->CommitTransaction());
        QCOMPARE(Column(m_db->Execute("SELECT name FROM t ORDER BY ID")),
                 (QVariantList{"outer", "inner kept"}));
    }

private:
    int Count(const QString& table) {
        return m_db->Execute(QStringLiteral("SELECT count(*) FROM ") + table).Field(0).toInt();
    }

    QTemporaryDir* m_dir = nullptr;
    CDatabase* m_db = nullptr;
};

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
        QCOMPARE(Column(db.RunQuery("getFileNameAll"), 1).size(), 1);
        // The template beside the program is copied, never written.
        QCOMPARE(Digest(templatePath), templateBefore);
    }

    void identitiesOfInserts() {
        const qint32 first = Register(*m_db, "/a/one.doc.lnk");
        QCOMPARE(Register(*m_db, "/a/one.doc.lnk"), first);
        const qint32 second = Register(*m_db, "/a/two.doc.lnk");
        const qint32 tag = m_db->AddTag("新しい分類");
        m_db->AddFileTag(first, tag);
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
        // A walk's statements, shaped once, find the row and make the same.
        const CStatementShape select(m_db->GetQuery("getFileName"), "%fileName");
        const CStatementShape insert(m_db->GetQuery("addFileName"), "%fileName",
                                     {{"%fileAge", "#2026/12/06#"}});
        QVERIFY(select.Bindable(m_db->Connection()) && insert.Bindable(m_db->Connection()));
        QCOMPARE(m_db->UpdateItem(select, insert, name), id);
        const QString day = StoredDay(*m_db, id);
        const qint32 tag = m_db->AddTag(name);
        QVERIFY(Column(m_db->GetTagName(), 1).contains(name));
        m_db->AddFileTag(id, tag);
        QCOMPARE(Column(m_db->GetFileOfTag(tag), 1), QVariantList{name});
        m_db->DelFileName(name);
        QVERIFY(Column(m_db->RunQuery("getFileNameAll"), 1).isEmpty());
        bool added = false;
        const qint32 again = m_db->UpdateItem(select, insert, name, &added);
        QVERIFY(added);
        QCOMPARE(Register(*m_db, name), again);
        QCOMPARE(StoredDay(*m_db, again), day);
    }

    void datesInLocales_data() {
        QTest::addColumn<QString>("separator"); // of the year-first registration day; row: locale
        QTest::newRow("ja_JP") << "/";
        QTest::newRow("en_US") << "/";
        QTest::newRow("de_DE") << ".";
    }

    void datesInLocales() {
        QFETCH(QString, separator);
        QLocale::setDefault(QLocale(QString::fromLatin1(QTest::currentDataTag())));
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
        QVERIFY(!QFile::exists(file + "-wal") && !QFile::exists(file + "-shm"));
        QVERIFY_THROWS_EXCEPTION(CError, db.RunQuery("getTagName"));
        QVERIFY(CFileDB::CanSetAside(refusal));
        const QString kept = db.SetAside();
        QCOMPARE(Digest(kept), before);
        db.Create();
        QVERIFY(db.IsFirstExecution());
        QCOMPARE(Column(db.RunQuery("getFileNameAll"), 1).size(), 0);
    }

    // A start after a clean close does not read every page again; a file
    // written since, even with its modification time put back, is.
    void damageAfterACleanCloseIsFound_data() {
        QTest::addColumn<QString>("after");
        QTest::newRow("untouched") << "untouched";
        QTest::newRow("written in place") << "written";
        QTest::newRow("written, time put back") << "time put back";
    }
    void damageAfterACleanCloseIsFound() {
        QFETCH(QString, after);
        CFreshDataHome home;
        const QString file = home.RepositoryFile();
        {
            CVolloDB db;
            db.Create();
            for (int i = 0; i < 400; ++i)
                Register(db, home.RepositoryFolder() + QStringLiteral("doc %1.txt.lnk").arg(i));
        }
        QVERIFY(QFile::exists(file + "-sound"));
        if (after != "untouched") {
            struct stat before {};
            QCOMPARE(stat(QFile::encodeName(file).constData(), &before), 0);
            QFile damaged(file);
            QVERIFY(damaged.open(QIODevice::ReadWrite));
            for (qint64 page = 4096; page < damaged.size(); page += 4096) { // all but the schema's
                damaged.seek(page + 8);
                damaged.write(QByteArray(2000, '\xff'));
            }
            damaged.close();
            if (after == "time put back") {
                const timespec times[2] = {before.st_atim, before.st_mtim};
                QCOMPARE(utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
            }
        }
        CVolloDB db;
        const CError refusal = Raised([&] { db.Create(); });
        QCOMPARE(refusal.Code() == -1 ? 0 : refusal.Code() & 0xff,
                 after == "untouched" ? 0 : SQLITE_CORRUPT);
    }

    // A template that is missing or no repository is refused before anything
    // is copied, and the user is told to reinstall; a copy stopped by a full
    // disk says so. The next start, with the cause gone, succeeds.
    void badTemplateLeavesNoRepository_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("told");
        QTest::newRow("not a repository") << "empty" << 0 << "入れ直して";
        QTest::newRow("missing") << "missing" << 0 << "入れ直して";
        QTest::newRow("disk full") << "full" << int(SQLITE_FULL) << "空きがない";
    }

    void badTemplateLeavesNoRepository() {
        QFETCH(QString, kind);
        QFETCH(int, code);
        QFETCH(QString, told);
        CFreshDataHome home;
        const QString templatePath = BM_Library::AppFolder() + "vollo.db";
        const QString saved = templatePath + ".saved";
        const QString folder = home.RepositoryFolder();
        if (kind == "full") {
            // A disk with room for the folder but not for the copy.
            QVERIFY(QDir().mkpath(folder));
            if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=16k", "tmpfs", folder}) != 0)
                QSKIP("a small file system cannot be mounted here");
        } else {
            QVERIFY(QFile::rename(templatePath, saved));
            if (kind == "empty")
                QFile(templatePath).open(QIODevice::WriteOnly);
        }
        const CError refusal = Raised([] { CVolloDB().Create(); });
        if (kind == "full") {
            QCOMPARE(QProcess::execute("umount", {folder}), 0);
        } else {
            QFile::remove(templatePath);
            QVERIFY(QFile::rename(saved, templatePath));
        }
        QCOMPARE(refusal.Code(), code);
        QVERIFY2(refusal.Text().contains("vollo.db") && refusal.Text().contains(told),
                 qPrintable(refusal.Text()));
        QVERIFY(!QFileInfo::exists(home.RepositoryFile()));
        QVERIFY(QDir(folder).entryList(QDir::Files).isEmpty());
        CVolloDB db;
        db.Create();
        QVERIFY(db.IsFirstExecution());
    }

    // Whatever cannot be written, the lists still read and the file stays as
    // it was, even when it is of an older version that is due an upgrade.
    void unwritableRepositoryOpensForReading_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("old");
        QTest::addColumn<QString>("told");
        for (const bool old : {false, true}) {
            const char* age = old ? "old" : "current";
            QTest::addRow("full disk, %s", age) << SQLITE_FULL << old << "空き";
            QTest::addRow("read-only, %s", age) << SQLITE_READONLY << old << "読み取り専用";
        }
    }

    void unwritableRepositoryOpensForReading() {
        QFETCH(int, code);
        QFETCH(bool, old);
        QFETCH(QString, told);
        Register(*m_db, "/r/kept.doc.lnk");
        m_db.reset();
        if (old)
            Downgrade(m_home->RepositoryFile());
        const QByteArray before = Digest(m_home->RepositoryFile());
        FaultVfs::Install();
        FaultVfs::Arm(1, code);
        CVolloDB db;
        db.Create();
        const QVariantList paths = Column(db.RunQuery("getFileNameAll"), 1);
        const QString notice = db.ReadOnlyNotice();
        const bool hasFacts = db.HasFacts();
        const CError refused = Raised([&] { Register(db, "/r/new.doc.lnk"); });
        FaultVfs::Disarm();
        QCOMPARE(paths, QVariantList{"/r/kept.doc.lnk"});
        QVERIFY(db.IsReadOnly());
        QVERIFY2(notice.contains(told) && notice.contains(db.INIFileName()), qPrintable(notice));
        QCOMPARE(refused.Text(), notice);
        QCOMPARE(hasFacts, !old);
        QCOMPARE(Digest(m_home->RepositoryFile()), before);
    }

    // Deleting a category or a file takes its links along; the documents and
    // their other links stay, and no link is left dangling.
    void linksBetweenFilesAndCategories() {
        CCategoryStore store(*m_db);
        const qint32 a = Register(*m_db, "/d/a.doc.lnk");
        const qint32 b = Register(*m_db, "/d/b.doc.lnk");
        const qint32 tag = store.Add("Projekt");
        for (const auto& [file, category] : {std::pair{b, 2}, {a, 2}, {a, 3}, {a, tag}, {b, tag}})
            m_db->AddFileTag(file, category);
        QCOMPARE(Column(m_db->GetFileOfTag(2)), (QVariantList{a, b}));
        QCOMPARE(Column(m_db->GetTagOfFile(a)), (QVariantList{2, 3, tag}));
        QCOMPARE(store.FileCount(tag), 2);
        store.Delete(tag);
        QVERIFY(!Column(m_db->GetTagName()).contains(tag));
        QVERIFY(Column(m_db->GetFileOfTag(tag)).isEmpty());
        QCOMPARE(Column(m_db->GetTagOfFile(a)), (QVariantList{2, 3}));
        m_db->DelFileTag(a, 3);
        QCOMPARE(Column(m_db->GetTagOfFile(a)), QVariantList{2});
        m_db->RunSQL(FillPlaceholders(m_db->GetQuery("delFileTagAll"), {{"%fileID", a}}));
        QVERIFY(Column(m_db->GetTagOfFile(a)).isEmpty());
        m_db->DelFileName("/d/b.doc.lnk");
        QVERIFY(Column(m_db->GetFileOfTag(2)).isEmpty());
        QCOMPARE(m_db->RunQuery("getFileNameAll").RecordCount(), 1);
        QVERIFY_THROWS_EXCEPTION(CError, m_db->AddFileTag(9999, 1));
    }

    void filesOfExtension() {
        for (const char* p : {"/v/report.doc.lnk", "/v/Scan.PDF.lnk", "/v/notes.txt", "/v/pdf.lnk",
                              "/v/dir.pdf/plain.lnk", "/v/memo.docx.LNK", "/v/archive.doc.bak.lnk"})
            Register(*m_db, p);
        const auto ofExt = [this](const QString& fileExt) {
            return Column(m_db->RunSQL(FillPlaceholders(m_db->GetQuery("getFileNameOfExt"),
                                                        {{"%fileExt", fileExt}})),
                          1);
        };
        QCOMPARE(ofExt(".doc .docx .odt"), (QVariantList{"/v/report.doc.lnk", "/v/memo.docx.LNK"}));
        QCOMPARE(ofExt(".pdf"), (QVariantList{"/v/Scan.PDF.lnk"}));
        QCOMPARE(ofExt(".TXT"), (QVariantList{"/v/notes.txt"}));
        QVERIFY(ofExt("RecentFiles").isEmpty());
        QVERIFY(ofExt("\"quoted\" .x").isEmpty());
    }

    // A write that meets another program's lock waits in short steps and
    // gives the window its turns; the engine is not reentered from a turn.
    void lockWaitGivesTurns() {
        sqlite3* other = nullptr;
        sqlite3_open(qPrintable(m_home->RepositoryFile()), &other);
        QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        int turns = 0;
        int reentered = 0;
        CDatabase::setBusyWait([&] {
            if (++turns == 1)
                reentered = Raised([&] { m_db->RunQuery("getTagName"); }).Code() & 0xff;
            if (turns == 3)
                sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
        });
        const CError failed = Raised([&] { Register(*m_db, "/w/waited.doc.lnk"); });
        CDatabase::setBusyWait({});
        sqlite3_close(other);
        QVERIFY2(failed.Code() == -1, qPrintable(failed.Text()));
        QCOMPARE(turns, 3);
        QCOMPARE(reentered, SQLITE_BUSY);
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
        QCOMPARE(Column(other.RunQuery("getFileNameAll"), 1),
                 (QVariantList{"/t/1.doc.lnk", "/t/2.doc.lnk", "/t/3.doc.lnk", "/t/4.doc.lnk"}));
    }

    void categoryNamesUniqueCaseIgnored_data() {
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("refused");
        QTest::newRow("beyond ascii, blanks around") << " äRGER " << true;
        QTest::newRow("different") << "Works" << false;
        QTest::newRow("slash and comma") << "Work/2025, A & B" << false;
    }
    void categoryNamesUniqueCaseIgnored() {
        QFETCH(QString, second);
        QFETCH(bool, refused);
        CCategoryStore store(*m_db);
        store.Add("Work");
        store.Add("Ärger");
        QCOMPARE(Raised([&] { store.Add(second); }).Code() != -1, refused);
        QCOMPARE(m_db->GetTagName().RecordCount(), refused ? 5 : 6);
        // A category may change the case of its own name, never take another's.
        QVERIFY(store.Refusal("仕事", 1).isEmpty() && !store.Refusal("仕事", 2).isEmpty());
    }

    // A repository made before the category commands gets their statements
    // from the template when it opens, and keeps the statements it has.
    void olderRepositoryGetsCategoryStatements() {
        m_db->RunSQL("DELETE FROM query WHERE key IN ('setTagName', 'getFileCountOfTag')");
        m_db->RunSQL("UPDATE query SET sql = 'SELECT 7' WHERE key = 'delTagID'");
        m_db = std::make_unique<CVolloDB>();
        m_db->Create();
        CCategoryStore store(*m_db);
        store.Rename(1, "Arbeit");
        QCOMPARE(Column(m_db->GetTagName(), 1).value(0), QVariant("Arbeit"));
        QCOMPARE(store.FileCount(1), 0);
        QCOMPARE(m_db->GetQuery("delTagID"), "SELECT 7");
    }

    // Numbers of deleted categories are handed out again, so a long-used
    // repository always holds the full count; past it, adding is refused.
    void categoryNumbersReused() {
        CCategoryStore store(*m_db);
        m_db->RunSQL("UPDATE sqlite_sequence SET seq = 500 WHERE name = 'tags'");
        for (int i = 4; i <= CCategoryStore::LastCategoryID; ++i)
            store.Add(QString::number(i));
        QVERIFY_THROWS_EXCEPTION(CError, store.Add("one more"));
        store.SetParent(7, 9);
        store.Delete(7);
        store.Delete(2);
        QCOMPARE(store.Add("again"), 2);
        QCOMPARE(store.Add("again 2"), 7);
        QCOMPARE(store.Parent(7), 0);
        QCOMPARE(m_db->GetTagName().RecordCount(), CCategoryStore::LastCategoryID);
    }

    // Children sit under their parent; a move that would close a loop is
    // refused; deleting a parent lifts its children to the grandparent and
    // keeps every document registered.
    void nestedCategories() {
        CCategoryStore store(*m_db);
        const qint32 a = store.Add("A");
        const qint32 b = store.Add("B", a);
        const qint32 c = store.Add("C", b);
        store.SetParent(3, a);
        QCOMPARE(store.Descendants(a), (QList<qint32>{3, b, c}));
        QCOMPARE(store.Parent(c), b);
        for (const qint32 parent : {a, b, c})
            QVERIFY_THROWS_EXCEPTION(CError, store.SetParent(a, parent));
        QVERIFY(!store.NestRefusal(b, c).isEmpty() && store.NestRefusal(c, a).isEmpty());
        const qint32 f = Register(*m_db, "/n/f.doc.lnk");
        const qint32 g = Register(*m_db, "/n/g.doc.lnk");
        for (const auto& [file, category] : {std::pair{f, c}, {g, b}, {f, a}})
            m_db->AddFileTag(file, category);
        QCOMPARE(store.FileCountWithDescendants(a), 2);
        QCOMPARE(store.FileCountWithDescendants(c), 1);
        store.Delete(b);
        QCOMPARE(store.Parent(c), a);
        QCOMPARE(store.Descendants(a), (QList<qint32>{3, c}));
        QCOMPARE(m_db->RunQuery("getFileNameAll").RecordCount(), 2);
        store.SetParent(c, 0);
        QCOMPARE(store.Descendants(a), QList<qint32>{3});
        // Left out per parent, forgotten with the category.
        store.setIncludesDescendants(a, false);
        store.setIncludesDescendants(c, false);
        store.setIncludesDescendants(c, true);
        QVERIFY(!store.IncludesDescendants(a) && store.IncludesDescendants(c));
        store.Delete(a);
        QVERIFY(store.IncludesDescendants(a));
    }

    // A colour from the palette only; it goes with its category, so a number
    // handed out again comes without one.
    void categoryColours() {
        CCategoryStore store(*m_db);
        CCategoryColours colours(*m_db);
        const qint32 a = store.Add("A");
        colours.setColour(a, "teal");
        colours.setColour(2, "red");
        colours.setColour(2, "blue");
        colours.setColour(1, "red");
        colours.setColour(1, QString());
        QVERIFY_THROWS_EXCEPTION(CError, colours.setColour(3, "#123456"));
        QCOMPARE(colours.Colours(), (CCategoryColours::ColourMap{{a, "teal"}, {2, "blue"}}));
        QCOMPARE(CCategoryColours::RgbOf("teal"), "#0c8599");
        store.Delete(a);
        QCOMPARE(store.Add("B"), a);
        QCOMPARE(colours.Colour(a), QString());
    }

    // A repository from before nesting reads every category as top-level and
    // is not written by reading.
    void olderRepositoryCategoriesTopLevel() {
        CCategoryStore store(*m_db);
        const qint32 a = store.Add("A");
        m_db.reset();
        const QByteArray before = Digest(m_home->RepositoryFile());
        m_db = std::make_unique<CVolloDB>();
        m_db->Create();
        CCategoryStore again(*m_db);
        QVERIFY(again.Parents().isEmpty() && again.Descendants(a).isEmpty());
        QCOMPARE(again.FileCountWithDescendants(a), 0);
        QVERIFY(CCategoryColours(*m_db).Colours().isEmpty());
        CCategoryColours(*m_db).setColour(a, QString());
        m_db.reset();
        QCOMPARE(Digest(m_home->RepositoryFile()), before);
    }

    // Size, the first and the last 64 KiB make the fingerprint.
    // Saved searches: names unique with case and blanks ignored, kept as
    // typed ("&" too); the history keeps the newest queries once each. A
    // repository from before reads none and is not written by reading.
    void savedSearches() {
        m_db.reset();
        const QByteArray before = Digest(m_home->RepositoryFile());
        m_db = std::make_unique<CVolloDB>();
        m_db->Create();
        CSavedSearches saved(*m_db);
        QVERIFY(saved.All().isEmpty() && saved.History().isEmpty());
        m_db.reset();
        QCOMPARE(Digest(m_home->RepositoryFile()), before);
        m_db = std::make_unique<CVolloDB>();
        m_db->Create();
        CSavedSearches store(*m_db);
        const qint32 a = store.Add(" A & B ", "a b");
        const qint32 b = store.Add("Ärger", "-a");
        QVERIFY_THROWS_EXCEPTION(CError, store.Add("a & b", "x"));
        QVERIFY_THROWS_EXCEPTION(CError, store.Rename(b, " A & b "));
        QVERIFY_THROWS_EXCEPTION(CError, store.Add("  ", "x"));
        store.Rename(a, "a & b");
        store.Delete(b);
        QCOMPARE(store.All().size(), 1);
        QCOMPARE(store.All().value(0).name, "a & b");
        QCOMPARE(store.Find("A & B"), a);
        for (int i = 0; i < 25; ++i)
            store.Remember(QString::number(i % 22));
        QCOMPARE(store.History().size(), CSavedSearches::HistorySize);
        QCOMPARE(store.History().mid(0, 3), (QStringList{"2", "1", "0"}));
    }

    void fingerprintCoversSizeHeadAndTail_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("changeAt");
        const QByteArray large(400000, 'x');
        QTest::newRow("small file, any byte") << QByteArray("hello") << qint64(3);
        QTest::newRow("large file, head") << large << qint64(10);
        QTest::newRow("large file, tail") << large << qint64(399990);
    }
    void fingerprintCoversSizeHeadAndTail() {
        QFETCH(QByteArray, content);
        QFETCH(qint64, changeAt);
        const QString path = m_home->DataHome() + "/f";
        WriteFile(path, content);
        const CFileFacts before = CFileFacts::Read(path);
        content[changeAt] = '!';
        WriteFile(path, content);
        QVERIFY(!before.missing);
        QCOMPARE(before.size, qint64(content.size()));
        QVERIFY(before.fingerprint != CFileFacts::Read(path).fingerprint);
        QVERIFY(CFileFacts::Read(path + "none").missing);
    }

    void upgradeFillsFactsOnce() {
        const QString a = MakeDocument(*m_home, "a.txt", "alpha");
        m_db->AddFileName(a);
        m_db->AddFileName(MakeDocument(*m_home, "b.txt", QByteArray(300000, 'b')));
        m_db.reset();
        Downgrade(m_home->RepositoryFile());
        qint64 told = 0;
        m_db = std::make_unique<CVolloDB>();
        m_db->setUpgradeProgress([&told](qint64 done, qint64 total) {
            QCOMPARE(total, qint64(2));
            told = done;
        });
        m_db->Create();
        QCOMPARE(told, qint64(2));
        const QHash<qint32, CFileFacts> facts = m_db->FactsOf();
        QCOMPARE(facts.size(), 2);
        // The contents are read later, by the fingerprint worker.
        for (const CFileFacts& f : facts)
            QVERIFY(!f.missing && f.size > 0 && f.fingerprint == 0);
        // The facts leave with their file.
        m_db->DelFileName(a);
        QCOMPARE(m_db->FactsOf().size(), 1);
        m_db.reset();
        QCOMPARE(Outside(m_home->RepositoryFile(), "PRAGMA user_version").toInt(),
                 CFactStore::kSchemaVersion);
        // Not redone: facts taken away from outside stay away.
        Outside(m_home->RepositoryFile(), "DELETE FROM filefacts");
        told = 0;
        m_db = std::make_unique<CVolloDB>();
        m_db->setUpgradeProgress([&told](qint64 done, qint64) { told = done; });
        m_db->Create();
        QCOMPARE(told, qint64(0));
        QVERIFY(m_db->FactsOf().isEmpty());
    }

private:
    std::unique_ptr<CFreshDataHome> m_home;
    std::unique_ptr<CVolloDB> m_db;
};

// Queries against five documents, A to E, whose facts are stored as they are
// written here (no file is read).
class TestQuery : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_home = std::make_unique<CFreshDataHome>();
        m_db = std::make_unique<CVolloDB>();
        m_db->Create();
        const qint32 plan = m_db->AddTag("Work Plan");
        const QString home = QDir::homePath();
        struct Document {
            QString path;
            qint64 size;
            QDate day;
            quint64 fingerprint;
            bool missing;
            QList<qint32> tags;
        };
        const QList<Document> documents{
            {home + "/Projects/報告書 2024.pdf", 2 << 20, {2024, 3, 15}, 111, false, {1, 3}},
            {home + "/Projects/Budget.xlsx", 20 << 10, {2024, 7, 1}, 222, false, {1, plan}},
            {home + "/Private/diary.txt", 1 << 10, {2023, 12, 31}, 111, false, {2}},
            {home + "/Private/かな メモ.md", 500, {2025, 1, 10}, 333, false, {}},
            {home + "/Gone/old report.doc", 0, {2022, 5, 5}, 444, true, {3}}};
        for (const Document& document : documents) {
            const qint32 id = Register(*m_db, document.path + ".lnk");
            CFileFacts facts;
            facts.path = document.path;
            facts.size = document.size;
            facts.modified = QDateTime(document.day, QTime(12, 0)).toMSecsSinceEpoch() * 1000000;
            facts.fingerprint = document.fingerprint;
            facts.missing = document.missing;
            m_db->StoreFacts(id, facts);
            for (const qint32 tag : document.tags)
                m_db->AddFileTag(id, tag);
        }
    }

    void cleanupTestCase() {
        m_db.reset();
        m_home.reset();
    }

    void results_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("found");
        const QList<std::pair<const char*, const char*>> rows{
            {"report", "E"},
            {"ＢＵＤＧＥＴ", "B"},
            {"カナ", "D"},
            {"仕事", "AB"},
            {"仕事 重要", "A"},
            {"仕事 AND 重要", "A"},
            {"仕事 かつ 重要", "A"},
            {"個人 OR 重要", "ACE"},
            {"個人 または 重要", "ACE"},
            {"個人 OR 仕事 重要", "AC"},
            {"仕事 OR is:missing OR 個人", "ABCE"},
            {"NOT (個人 OR size:>1MB)", "BDE"},
            {"(個人 OR 仕事) 重要", "A"},
            {"（個人 OR 仕事）重要", "A"},
            {"仕事 -重要", "B"},
            {"仕事 NOT 重要", "B"},
            {"NOT 仕事", "CDE"},
            {"でない 仕事", "CDE"},
            {"-(仕事 OR 個人)", "DE"},
            {"NOT NOT 個人", "C"},
            {"\"Work Plan\"", "B"},
            {"\"work plan\"", "B"},
            {"「old report」", "E"},
            {"Work Plan", ""},
            {"type:pdf", "A"},
            {"種類:表計算", "B"},
            {"TYPE:.MD", "D"},
            {"type:PDF OR type:txt", "AC"},
            {"modified:2024", "AB"},
            {"modified:>2024-03", "BD"},
            {"更新:2024-01..2024-06", "A"},
            {"modified:<=2023", "C"},
            {"modified:>=2024-07-01", "BD"},
            {"modified:>4048", ""},
            {"modified:2024..9999", "ABD"},
            {"size:>1MB", "A"},
            {"サイズ:<1KB", "D"},
            {"size:1KB", "C"},
            {"size:1.5kb..30KB", "B"},
            {"in:~/Projects", "AB"},
            {"場所:~/Private", "CD"},
            {"in:~/Proj", ""},
            {"in:\"~/Private\" メモ", "D"},
            {"is:uncategorised", "D"},
            {"状態:見つかりません", "E"},
            {"is:duplicate", "AC"},
            {"is:missing OR is:Uncategorized", "DE"},
            {"NOT is:missing", "ABCD"},
            {"NOT modified:2024", "CDE"},
            {"\"'); DROP TABLE files; --\"", ""},
            {"", ""},
            {"a:b", ""}};
        for (const auto& [query, found] : rows)
            QTest::newRow(query) << QString::fromUtf8(query) << QString::fromUtf8(found);
    }

    void results() {
        QFETCH(QString, query);
        QFETCH(QString, found);
        CQueryCompiler compiler(m_db->Connection());
        QString letters;
        for (const auto& [id, path] : compiler.Run(query))
            letters += QChar(u'A' + id - 1);
        QCOMPARE(letters, found);
        QCOMPARE(m_db->RunSQL("SELECT count(*) FROM files").Field(0).toInt(), 5);
    }

    void errors_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("reason");
        QTest::newRow("open quote") << "仕事 \"old" << 3 << "引用符";
        QTest::newRow("open bracket") << "仕事 (重要" << 3 << "閉じられていません";
        QTest::newRow("lone close") << "仕事 )" << 3 << "のない";
        QTest::newRow("empty brackets") << "仕事 ()" << 3 << "括弧の中";
        QTest::newRow("leading OR") << "OR 仕事" << 0 << "前に";
        QTest::newRow("trailing OR") << "仕事 OR" << 3 << "後に";
        QTest::newRow("NOT alone") << "NOT" << 0 << "後に";
        QTest::newRow("bad month") << "modified:2024-13" << 9 << "日付";
        QTest::newRow("bad range end") << "更新:2024..x" << 9 << "日付";
        QTest::newRow("bad size") << "size:>big" << 6 << "大きさ";
        QTest::newRow("bad state") << "仕事 is:nothing" << 6 << "状態";
        QTest::newRow("no type") << "type:" << 5 << "値";
        QTest::newRow("too deep") << QString(100, u'(') << 64 << "深すぎ";
    }

    void errors() {
        QFETCH(QString, query);
        QFETCH(int, position);
        QFETCH(QString, reason);
        try {
            CQueryParser::Parse(query);
            QFAIL("the query was read");
        } catch (const CQueryError& e) {
            QCOMPARE(e.Position(), position);
            QVERIFY2(e.Reason().contains(reason), qPrintable(e.Reason()));
        }
    }

    void quotedNamesReadBack_data() {
        QTest::addColumn<QString>("name");
        for (const char* name :
             {"仕事", "Work Plan", "say \"hi\"", "OR", "-x", "a:b", "(1)", "「x」"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }

    void quotedNamesReadBack() {
        QFETCH(QString, name);
        const auto node = CQueryParser::Parse(CQueryParser::Quote(name));
        QVERIFY(node != nullptr);
        QCOMPARE(int(node->kind), int(CQueryNode::Kind::Text));
        QCOMPARE(node->text, name);
    }

private:
    std::unique_ptr<CFreshDataHome> m_home;
    std::unique_ptr<CVolloDB> m_db;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return RunAll<TestDatabase, TestRepository, TestQuery>(argc, argv);
}
#include "tst_repository.moc"

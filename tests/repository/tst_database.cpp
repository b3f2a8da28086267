#include "CDatabase.h"
#include "CError.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

// The connection on its own, on scratch database files.
class TestDatabase : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = new QTemporaryDir;
        m_db = new CDatabase;
        m_db->Open(m_dir->filePath(QStringLiteral("scratch.db")), true);
        m_db->Execute(QStringLiteral("CREATE TABLE t (ID INTEGER PRIMARY KEY, name TEXT UNIQUE, "
                                     "flag BOOLEAN, amount REAL, data BLOB, day DATE)"));
    }

    void cleanup() {
        delete m_db;
        delete m_dir;
    }

    void openCreatesOnlyWhenAsked() {
        const QString missing = m_dir->filePath(QStringLiteral("missing.db"));
        CDatabase db;
        QVERIFY_THROWS_EXCEPTION(CError, db.Open(missing, false));
        QVERIFY(!QFile::exists(missing));
        db.Open(missing, true);
        QVERIFY(db.IsOpen());
        // Write-ahead logging keeps a crash from corrupting the repository.
        QCOMPARE(db.Execute(QStringLiteral("PRAGMA journal_mode")).Field(0).toString(),
                 QStringLiteral("wal"));
    }

    void valuesKeepTheirTypes() {
        m_db->Execute(
            QStringLiteral("INSERT INTO t (ID, name, flag, amount, data, day) VALUES "
                           "(5000000000, \"Zoë \"\"x\"\"\", True, 2.5, x'00ff', #2026/1/2#)"));
        QCOMPARE(m_db->LastInsertRowId(), Q_INT64_C(5000000000));
        m_db->Execute(QStringLiteral("INSERT INTO t (ID, name) VALUES (7, NULL)"));
        CRecordset rs = m_db->Execute(QStringLiteral("SELECT * FROM t ORDER BY ID"));
        QCOMPARE(rs.RecordCount(), 2);
        QCOMPARE(rs.Field(0).typeId(), QMetaType::Int);
        QVERIFY(rs.Field(QStringLiteral("NAME")).isNull());
        QVERIFY(rs.Field(QStringLiteral("flag")).isNull());
        rs.MoveNext();
        QCOMPARE(rs.Field(0), QVariant(Q_INT64_C(5000000000)));
        QCOMPARE(rs.Field(1).toString(), QStringLiteral("Zoë \"x\""));
        QCOMPARE(rs.Field(2), QVariant(true));
        QCOMPARE(rs.Field(3).toDouble(), 2.5);
        QCOMPARE(rs.Field(4).toByteArray(), QByteArray("\x00\xff", 2));
        QCOMPARE(rs.Field(5).toString(), QStringLiteral("2026-01-02"));
        rs.MoveNext();
        QVERIFY(rs.IsEOF());
        QCOMPARE(m_db->Execute(QStringLiteral("SELECT @@IDENTITY")).Field(0).toLongLong(), 7);
    }

    void errorsCarryCodeAndStatement() {
        try {
            m_db->Execute(QStringLiteral("SELEC oops"));
            QFAIL("no error");
        } catch (const CError& e) {
            QCOMPARE(e.Code(), SQLITE_ERROR);
            QVERIFY2(e.Text().contains(QStringLiteral("SELEC oops")), qPrintable(e.Text()));
            QVERIFY2(e.Text().contains(QStringLiteral("syntax error")), qPrintable(e.Text()));
        }
        m_db->Execute(QStringLiteral("INSERT INTO t (name) VALUES (\"a\")"));
        try {
            m_db->Execute(QStringLiteral("INSERT INTO t (name) VALUES (\"a\")"));
            QFAIL("no error");
        } catch (const CError& e) {
            QCOMPARE(e.Code(), SQLITE_CONSTRAINT_UNIQUE);
            QVERIFY(e.Text().contains(QStringLiteral("UNIQUE")));
        }
        // The failed statement stays usable once the conflict is gone.
        m_db->Execute(QStringLiteral("DELETE * FROM t"));
        m_db->Execute(QStringLiteral("INSERT INTO t (name) VALUES (\"a\")"));
        QCOMPARE(Count(QStringLiteral("t")), 1);
    }

    void oneStatementPerText() {
        // What a value breaking out of its quotes would produce.
        QVERIFY_THROWS_EXCEPTION(CError, m_db->Execute(QStringLiteral(
                                             "INSERT INTO t (name) VALUES ('x'); DROP TABLE t")));
        QCOMPARE(Count(QStringLiteral("t")), 0);
        m_db->Execute(QStringLiteral("INSERT INTO t (name) VALUES ('y');  \n"));
        QCOMPARE(Count(QStringLiteral("t")), 1);
        QCOMPARE(m_db->Execute(QStringLiteral("  ")).RecordCount(), 0);
    }

    void reusedStatementsStayCorrect() {
        // More distinct texts than the statement cache keeps, then the first
        // ones again: evicted statements are prepared anew, kept ones reused.
        for (int i = 0; i < 700; ++i)
            m_db->Execute(QStringLiteral("INSERT INTO t (name) VALUES (\"n%1\")").arg(i));
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < 700; i += 7)
                QCOMPARE(
                    m_db->Execute(QStringLiteral("SELECT ID FROM t WHERE name = \"n%1\"").arg(i))
                        .Field(0)
                        .toInt(),
                    i + 1);
        }
    }

    void literalsWhereParametersCannotGo_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("column");
        QTest::newRow("alias in quotes") << "SELECT 1 AS 'one'" << QVariant(1) << "one";
        QTest::newRow("quote and mark inside")
            << "SELECT 'it''s ?' AS v" << QVariant("it's ?") << "v";
        QTest::newRow("blob beside text")
            << "SELECT x'41' = CAST('A' AS BLOB) AS b" << QVariant(1) << "b";
        QTest::newRow("pattern") << "SELECT 'abc' LIKE 'A%' AS m" << QVariant(1) << "m";
        QTest::newRow("own parameter left alone")
            << "SELECT 'x' AS a, ? AS b" << QVariant("x") << "a";
        QTest::newRow("double-quoted text") << "SELECT \"d\"\"q\" AS v" << QVariant("d\"q") << "v";
        QTest::newRow("number compared with text")
            << "SELECT 5 = '5' AS e, CAST('5' AS INTEGER) = 5" << QVariant(0) << "e";
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
            m_db->Execute(QStringLiteral("SELECT 'other' AS v, 'texts' AS w"));
        }
    }

    void nestedTransactions() {
        m_db->BeginTransaction();
        m_db->Execute(QStringLiteral("INSERT INTO t (name) VALUES ('outer')"));
        // A refused statement leaves the transaction and what it holds alone.
        QVERIFY_THROWS_EXCEPTION(
            CError, m_db->Execute(QStringLiteral("INSERT INTO t (name) VALUES ('outer')")));
        m_db->BeginTransaction();
        m_db->Execute(QStringLiteral("INSERT INTO t (name) VALUES ('inner dropped')"));
        m_db->RollbackTransaction();
        m_db->BeginTransaction();
        m_db->Execute(QStringLiteral("INSERT INTO t (name) VALUES ('inner kept')"));
        m_db->CommitTransaction();
        QVERIFY(m_db->InTransaction());
        m_db->CommitTransaction();
        QVERIFY(!m_db->InTransaction());
        QVERIFY_THROWS_EXCEPTION(CError, m_db->CommitTransaction());
        CRecordset rs = m_db->Execute(QStringLiteral("SELECT name FROM t ORDER BY ID"));
        QStringList names;
        for (; !rs.IsEOF(); rs.MoveNext())
            names << rs.Field(0).toString();
        QCOMPARE(names, (QStringList{"outer", "inner kept"}));
    }

private:
    int Count(const QString& table);

    QTemporaryDir* m_dir = nullptr;
    CDatabase* m_db = nullptr;
};

int TestDatabase::Count(const QString& table) {
    CRecordset rs = m_db->Execute(QStringLiteral("SELECT count(*) FROM ") + table);
    return rs.Field(0).toInt();
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"

#include "CDatabase.h"
#include "CError.h"
#include "Placeholders.h"

#include <QLocale>
#include <QtTest>

// The statement text on its way to SQLite: the program's dialect and the
// filling of placeholders.
class TestDialect : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    void translate_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");

        QTest::newRow("flag update")
            << "C"
            << "UPDATE resource set resource.Value='TRUE' where Key='IsUpdatedDB'"
            << "UPDATE resource set Value='TRUE' where Key='IsUpdatedDB'";
        QTest::newRow("other table's qualifier stays")
            << "C"
            << "UPDATE files SET files.x = (SELECT t.y FROM t WHERE t.id = files.ID)"
            << "UPDATE files SET x = (SELECT t.y FROM t WHERE t.id = files.ID)";
        QTest::newRow("double-quoted lookup") << "C"
                                              << "SELECT * FROM query where key=\"getFileName\""
                                              << "SELECT * FROM query where key='getFileName'";
        QTest::newRow("doubled and single quotes inside") << "C"
                                                          << "VALUES (\"say \"\"hi\"\", it's\")"
                                                          << "VALUES ('say \"hi\", it''s')";
        QTest::newRow("single-quoted text untouched")
            << "C"
            << "SELECT 'a \"b\" #1/2/2026# True @@IDENTITY'"
            << "SELECT 'a \"b\" #1/2/2026# True @@IDENTITY'";
        QTest::newRow("hash and words inside double quotes") << "C"
                                                             << "SELECT \"#5# True\""
                                                             << "SELECT '#5# True'";
        QTest::newRow("delete star") << "C"
                                     << "DELETE * FROM tableRecent"
                                     << "DELETE FROM tableRecent";
        QTest::newRow("identity") << "C"
                                  << "SELECT @@IDENTITY"
                                  << "SELECT last_insert_rowid()";
        QTest::newRow("booleans as bare words")
            << "C"
            << "UPDATE setting set setting.firstStart = True WHERE IsTrue = false OR t.False = 1"
            << "UPDATE setting set firstStart = 1 WHERE IsTrue = 0 OR t.False = 1";
        QTest::newRow("brackets untouched") << "C"
                                            << "SELECT [it's \"True\"] FROM [t]"
                                            << "SELECT [it's \"True\"] FROM [t]";
        QTest::newRow("recent files insert")
            << "C"
            << "INSERT INTO tableRecent(fileName,ageLow,ageHigh)VALUES(\"a b.lnk\",-5,7)"
            << "INSERT INTO tableRecent(fileName,ageLow,ageHigh)VALUES('a b.lnk',-5,7)";
        QTest::newRow("comment keeps its quote") << "C"
                                                 << "SELECT 1 -- it's\n, \"x\""
                                                 << "SELECT 1 -- it's\n, 'x'";

        // Dates: the locale's short date, and the year-first registration form.
        QTest::newRow("ja_JP short") << "ja_JP"
                                     << "VALUES (#2026/12/06#)"
                                     << "VALUES ('2026-12-06')";
        QTest::newRow("en_US short") << "en_US"
                                     << "VALUES (#12/6/2026#)"
                                     << "VALUES ('2026-12-06')";
        QTest::newRow("de_DE short") << "de_DE"
                                     << "VALUES (#06.12.2026#)"
                                     << "VALUES ('2026-12-06')";
        QTest::newRow("de_DE year first") << "de_DE"
                                          << "VALUES (#2026.12.06#)"
                                          << "VALUES ('2026-12-06')";
        QTest::newRow("en_US impossible month reads day first") << "en_US"
                                                                << "VALUES (#25/12/2026#)"
                                                                << "VALUES ('2026-12-25')";
        QTest::newRow("with time") << "ja_JP"
                                   << "VALUES (#2026/12/06 10:20:30#)"
                                   << "VALUES ('2026-12-06 10:20:30')";
        QTest::newRow("zero file time") << "en_US"
                                        << "VALUES (#1/1/1601#)"
                                        << "VALUES ('1601-01-01')";
    }

    void translate() {
        QFETCH(QString, locale);
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(CDatabase::TranslateDialect(sql), expected);
    }

    void unreadableDateIsRefused() {
        try {
            CDatabase::TranslateDialect(QStringLiteral("VALUES (#not a date#)"));
            QFAIL("no error");
        } catch (const CError& e) {
            QVERIFY(e.Text().contains(QStringLiteral("#not a date#"))); // the user must see which
        }
    }

    void fill_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QString>("expected");

        QTest::newRow("double-quote context") << "\"%fileName\"" << QStringList{"%fileName"}
                                              << QVariantList{"a\"b'c"} << "\"a\"\"b'c\"";
        QTest::newRow("single-quote context")
            << "'%fileName'" << QStringList{"%fileName"} << QVariantList{"a\"b'c"} << "'a\"b''c'";
        QTest::newRow("outside quotes verbatim")
            << "VALUES (\"%fileName\", %fileAge)" << QStringList{"%fileName", "%fileAge"}
            << QVariantList{"x", "#2026/12/06#"} << "VALUES (\"x\", #2026/12/06#)";
        QTest::newRow("numbers and boolean")
            << "%a %b %c %d %e" << QStringList{"%a", "%b", "%c", "%d", "%e"}
            << QVariantList{Q_INT64_C(5000000000), -5, 1440.0, 12.5, true}
            << "5000000000 -5 1440 12.5 True";
        QTest::newRow("%fid is not %fileID")
            << "%fileID,%fid" << QStringList{"%fid", "%fileID"} << QVariantList{1, 2} << "2,1";
        QTest::newRow("value naming a later placeholder")
            << "\"%fileName\", %fileAge" << QStringList{"%fileName", "%fileAge"}
            << QVariantList{"%fileAge.txt", "#1#"} << "\"%fileAge.txt\", #1#";
        QTest::newRow("value naming itself")
            << "'%x'" << QStringList{"%x"} << QVariantList{"%x%x"} << "'%x%x'";
        QTest::newRow("context after a doubled quote")
            << "'it''s %x' %y" << QStringList{"%x", "%y"} << QVariantList{"a'b", "c'd"}
            << "'it''s a''b' c'd";
        QTest::newRow("quote inside the other quotes")
            << "\"it's %x\"" << QStringList{"%x"} << QVariantList{"a'b\""} << "\"it's a'b\"\"\"";
        QTest::newRow("brackets") << "[%x] '%x'" << QStringList{"%x"} << QVariantList{"a'b"}
                                  << "[a'b] 'a''b'";
        QTest::newRow("case-sensitive, unknown names stay")
            << "%FILENAME %other %fileName" << QStringList{"%fileName"} << QVariantList{"v"}
            << "%FILENAME %other v";
        QTest::newRow("every occurrence")
            << "%t-%t-%t" << QStringList{"%t"} << QVariantList{7} << "7-7-7";
    }

    void fill() {
        QFETCH(QString, sql);
        QFETCH(QStringList, names);
        QFETCH(QVariantList, values);
        QFETCH(QString, expected);
        QList<QPair<QString, QVariant>> pairs;
        for (int i = 0; i < names.size(); ++i)
            pairs.append({names.at(i), values.at(i)});
        QCOMPARE(FillPlaceholders(sql, pairs), expected);
    }
};

QTEST_GUILESS_MAIN(TestDialect)
#include "tst_dialect.moc"

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
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");

        QTest::newRow("flag update")
            << "UPDATE resource set resource.Value='TRUE' where Key='IsUpdatedDB'"
            << "UPDATE resource set Value='TRUE' where Key='IsUpdatedDB'";
        QTest::newRow("other table's qualifier stays")
            << "UPDATE files SET files.x = (SELECT t.y FROM t WHERE t.id = files.ID)"
            << "UPDATE files SET x = (SELECT t.y FROM t WHERE t.id = files.ID)";
        QTest::newRow("double-quoted lookup") << "SELECT * FROM query where key=\"getFileName\""
                                              << "SELECT * FROM query where key='getFileName'";
        QTest::newRow("doubled and single quotes inside") << "VALUES (\"say \"\"hi\"\", it's\")"
                                                          << "VALUES ('say \"hi\", it''s')";
        QTest::newRow("single-quoted text untouched")
            << "SELECT 'a \"b\" #1/2/2026# True @@IDENTITY'"
            << "SELECT 'a \"b\" #1/2/2026# True @@IDENTITY'";
        QTest::newRow("hash and words inside double quotes") << "SELECT \"#5# True\""
                                                             << "SELECT '#5# True'";
        QTest::newRow("delete star") << "DELETE * FROM tableRecent"
                                     << "DELETE FROM tableRecent";
        QTest::newRow("identity") << "SELECT @@IDENTITY"
                                  << "SELECT last_insert_rowid()";
        QTest::newRow("booleans as bare words")
            << "UPDATE setting set setting.firstStart = True WHERE IsTrue = false OR t.False = 1"
            << "UPDATE setting set firstStart = 1 WHERE IsTrue = 0 OR t.False = 1";
        QTest::newRow("brackets untouched") << "SELECT [it's \"True\"] FROM [t]"
                                            << "SELECT [it's \"True\"] FROM [t]";
        QTest::newRow("recent files insert")
            << "INSERT INTO tableRecent(fileName,ageLow,ageHigh)VALUES(\"a b.lnk\",-5,7)"
            << "INSERT INTO tableRecent(fileName,ageLow,ageHigh)VALUES('a b.lnk',-5,7)";
        QTest::newRow("comment keeps its quote") << "SELECT 1 -- it's\n, \"x\""
                                                 << "SELECT 1 -- it's\n, 'x'";
    }

    void translate() {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(CDatabase::TranslateDialect(sql), expected);
    }

    // The locale's short date, or the year-first registration form with its separator.
    void dates_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("literal");
        QTest::newRow("ja_JP") << "ja_JP" << QDate(2026, 12, 6) << "2026/12/06";
        QTest::newRow("en_US") << "en_US" << QDate(2026, 12, 6) << "12/6/2026";
        QTest::newRow("de_DE") << "de_DE" << QDate(2026, 12, 6) << "06.12.2026";
        QTest::newRow("de_DE year first") << "de_DE" << QDate(2026, 12, 6) << "2026.12.06";
        QTest::newRow("en_US impossible month reads day first")
            << "en_US" << QDate(2026, 12, 25) << "25/12/2026";
        QTest::newRow("zero file time") << "en_US" << QDate(1601, 1, 1) << "1/1/1601";
    }

    void dates() {
        QFETCH(QString, locale);
        QFETCH(QDate, day);
        QFETCH(QString, literal);
        QLocale::setDefault(QLocale(locale));
        const QString iso = day.toString(Qt::ISODate);
        QCOMPARE(CDatabase::TranslateDialect("VALUES (#" + literal + "#)"),
                 "VALUES ('" + iso + "')");
        QCOMPARE(CDatabase::TranslateDialect("VALUES (#" + literal + " 10:20:30#)"),
                 "VALUES ('" + iso + " 10:20:30')");
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

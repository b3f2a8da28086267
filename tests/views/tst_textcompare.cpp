#include "TC_TextCompare.h"

#include <QTest>

// Rows the file list's own search table does not already cover.
class TestTextCompare : public QObject {
    Q_OBJECT

private slots:
    void contains_data() {
        QTest::addColumn<QString>("haystack");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<bool>("found");
        QTest::newRow("full-width haystack") << "ＡＢＣ.txt" << QString("bc.") << true;
        QTest::newRow("full-width digits") << "report２０２４.doc" << QString("2024") << true;
        QTest::newRow("small kana") << "ファイル" << QString("ふぁ") << true;
        QTest::newRow("accented capital") << "ÉTÉ.doc" << QString("été") << true;
        QTest::newRow("different letters") << "abc" << QString("abd") << false;
        QTest::newRow("voiced differs") << "かな" << QString("がな") << false;
        QTest::newRow("longer needle") << "ab" << QString("abc") << false;
        QTest::newRow("empty needle") << "x" << QString() << true;
        QTest::newRow("empty haystack, empty needle") << "" << QString() << false;
        QTest::newRow("empty haystack") << "" << QString("a") << false;
    }
    void contains() {
        QFETCH(QString, haystack);
        QFETCH(QString, needle);
        QTEST(TC_TextCompare::Contains(haystack, needle), "found");
    }
};

QTEST_GUILESS_MAIN(TestTextCompare)
#include "tst_textcompare.moc"

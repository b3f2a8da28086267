#include "TC_TextCompare.h"

#include <QTest>

class TestTextCompare : public QObject {
    Q_OBJECT

private slots:
    void contains_data();
    void contains();
};

void TestTextCompare::contains_data() {
    QTest::addColumn<QString>("haystack");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<bool>("found");
    QTest::newRow("inside, other case") << "XABCY.doc"
                                        << "abc" << true;
    QTest::newRow("full-width needle") << "abc"
                                       << "ＡＢＣ" << true;
    QTest::newRow("full-width haystack") << "ＡＢＣ.txt"
                                         << "bc." << true;
    QTest::newRow("full-width digits") << "report２０２４.doc"
                                       << "2024" << true;
    QTest::newRow("hiragana needle") << "カナ"
                                     << "かな" << true;
    QTest::newRow("katakana needle") << "かな"
                                     << "カナ" << true;
    QTest::newRow("half-width katakana") << "ｶﾅ"
                                         << "かな" << true;
    QTest::newRow("half-width voiced mark") << "ﾊﾟｽ"
                                            << "ぱす" << true;
    QTest::newRow("small kana") << "ファイル"
                                << "ふぁ" << true;
    QTest::newRow("accented capital") << "ÉTÉ.doc"
                                      << "été" << true;
    QTest::newRow("different letters") << "abc"
                                       << "abd" << false;
    QTest::newRow("voiced differs") << "かな"
                                    << "がな" << false;
    QTest::newRow("longer needle") << "ab"
                                   << "abc" << false;
    QTest::newRow("empty needle") << "x"
                                  << "" << true;
    QTest::newRow("empty haystack, empty needle") << ""
                                                  << "" << false;
    QTest::newRow("empty haystack") << ""
                                    << "a" << false;
}

void TestTextCompare::contains() {
    QFETCH(QString, haystack);
    QFETCH(QString, needle);
    QFETCH(bool, found);
    QCOMPARE(TC_TextCompare::Contains(haystack, needle), found);
}

QTEST_GUILESS_MAIN(TestTextCompare)
#include "tst_textcompare.moc"

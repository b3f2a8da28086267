#include "FormAbout.h"

#include <QtTest>
#include <QtWidgets>

class TestFormAbout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QGuiApplication::setApplicationName("Vollo");
        FormAbout::setVersionOverride(1, 2, 3);
    }
    // The window passes only the language: Japanese, or English.
    void texts_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("shown"); // caption, title, version, description heading
        QTest::newRow("Japanese") << 2
                                  << QStringList{"Vollo のバージョン情報", "Vollo",
                                                 "バージョン 1.2.3", "説明："};
        QTest::newRow("English") << 1
                                 << QStringList{"About Vollo", "Vollo", "Version 1.2.3",
                                                "Description:"};
    }

    void texts() {
        QFETCH(int, language);
        FormAbout form;
        // Shown once with the defaults first: the texts must be rebuilt at the next showing.
        form.open();
        form.close();
        form.setLanguage(language);
        form.open();
        QVERIFY(form.isModal());
        auto* description = form.findChild<QPlainTextEdit*>("txtDescription");
        QTEST(QStringList({form.windowTitle(), form.findChild<QLabel*>("lblTitle")->text(),
                           form.findChild<QLabel*>("lblVersion")->text(),
                           description->toPlainText().section(u'\n', 0, 0)}),
              "shown");
        QVERIFY(!description->accessibleName().isEmpty());
        // A missing resource would leave the banner blank.
        QVERIFY(!form.findChild<QLabel*>("Image1")->pixmap().isNull());
        // The tagline is text over the banner, whole within its place.
        auto* tagline = form.findChild<QLabel*>("lblTagline");
        QVERIFY(!tagline->text().isEmpty());
        QVERIFY(tagline->fontMetrics().horizontalAdvance(tagline->text()) <= tagline->width());
        QTest::mouseClick(form.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestFormAbout)
#include "tst_formabout.moc"

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
    void texts_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("shown"); // caption, title, version, description
        QTest::newRow("defaults: Japanese, application title")
            << 2 << QString()
            << QStringList{"Vollo のバージョン情報", "Vollo", "バージョン 1.2.3", "説明：\nD"};
        QTest::newRow("English with a title")
            << 1 << "X" << QStringList{"About X", "X", "Version 1.2.3", "Description :\nD"};
        QTest::newRow("any other language is English")
            << 0 << QString()
            << QStringList{"About Vollo", "Vollo", "Version 1.2.3", "Description :\nD"};
    }

    void texts() {
        QFETCH(int, language);
        QFETCH(QString, title);
        FormAbout form;
        // Shown once with the defaults first: the texts must be rebuilt at the next showing.
        form.open();
        form.close();
        form.setLanguage(language);
        form.setTitle(title);
        form.setDescription("D");
        form.setCopyright("<b>C</b> & others"); // shown literally, never as markup
        form.open();
        QVERIFY(form.isModal());
        QTEST(QStringList({form.windowTitle(), form.findChild<QLabel*>("lblTitle")->text(),
                           form.findChild<QLabel*>("lblVersion")->text(),
                           form.findChild<QPlainTextEdit*>("txtDescription")->toPlainText()}),
              "shown");
        QVERIFY(!form.findChild<QPlainTextEdit*>()->accessibleName().isEmpty());
        auto* copyright = form.findChild<QLabel*>("lblCopyright");
        QCOMPARE(copyright->text(), QStringLiteral("<b>C</b> & others"));
        QCOMPARE(copyright->textFormat(), Qt::PlainText);
        // A missing resource would leave the banner blank.
        QVERIFY(!form.findChild<QLabel*>("Image1")->pixmap().isNull());
        QTest::mouseClick(form.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestFormAbout)
#include "tst_formabout.moc"

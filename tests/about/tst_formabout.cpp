#include "FormAbout.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

class TestFormAbout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void texts_data();
    void texts();
    void textsRebuiltAtEveryShowing();
    void okClosesAndKeepsProperties();
    void layoutAndBanner();
};

void TestFormAbout::initTestCase() {
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Vollo"));
    FormAbout::setVersionOverride(1, 2, 3);
}

void TestFormAbout::cleanupTestCase() {
    FormAbout::setVersionOverride(-1, 0, 0);
}

void TestFormAbout::texts_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("versionLine");
    QTest::addColumn<QString>("shownTitle");
    QTest::addColumn<QString>("heading");

    QTest::newRow("defaults: Japanese, application title")
        << 2 << QString() << QStringLiteral("Vollo のバージョン情報")
        << QStringLiteral("バージョン 1.2.3") << QStringLiteral("Vollo")
        << QStringLiteral("説明：");
    QTest::newRow("Japanese with a title")
        << 2 << QStringLiteral("X") << QStringLiteral("X のバージョン情報")
        << QStringLiteral("バージョン 1.2.3") << QStringLiteral("X") << QStringLiteral("説明：");
    QTest::newRow("English with a title")
        << 1 << QStringLiteral("X") << QStringLiteral("About X") << QStringLiteral("Version 1.2.3")
        << QStringLiteral("X") << QStringLiteral("Description :");
    QTest::newRow("any other language is English")
        << 0 << QString() << QStringLiteral("About Vollo") << QStringLiteral("Version 1.2.3")
        << QStringLiteral("Vollo") << QStringLiteral("Description :");
}

void TestFormAbout::texts() {
    QFETCH(int, language);
    QFETCH(QString, title);
    QFETCH(QString, caption);
    QFETCH(QString, versionLine);
    QFETCH(QString, shownTitle);
    QFETCH(QString, heading);

    FormAbout form;
    QCOMPARE(form.Language(), 2);
    QVERIFY(form.Copyright().startsWith(QStringLiteral("Copyright (C) ")));
    QVERIFY(!form.Description().isEmpty());
    form.setLanguage(language);
    form.setTitle(title);
    form.open();
    QVERIFY(form.isVisible());
    QVERIFY(form.isModal());

    QCOMPARE(form.windowTitle(), caption);
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(), versionLine);
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("lblTitle"))->text(), shownTitle);
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("lblCopyright"))->text(), form.Copyright());
    QCOMPARE(form.findChild<QPlainTextEdit*>(QStringLiteral("txtDescription"))->toPlainText(),
             heading + QLatin1Char('\n') + form.Description());
    form.close();
}

void TestFormAbout::textsRebuiltAtEveryShowing() {
    FormAbout form;
    form.open();
    QCOMPARE(form.windowTitle(), QStringLiteral("Vollo のバージョン情報"));
    form.close();

    form.setLanguage(1);
    form.setCopyright(QStringLiteral("<b>Copyright</b> & others"));
    form.setDescription(QStringLiteral("Line one\nLine two"));
    form.open();
    QCOMPARE(form.windowTitle(), QStringLiteral("About Vollo"));
    auto* copyright = form.findChild<QLabel*>(QStringLiteral("lblCopyright"));
    QCOMPARE(copyright->text(), QStringLiteral("<b>Copyright</b> & others"));
    QCOMPARE(copyright->textFormat(), Qt::PlainText);
    QCOMPARE(form.findChild<QPlainTextEdit*>(QStringLiteral("txtDescription"))->toPlainText(),
             QStringLiteral("Description :\nLine one\nLine two"));
    form.close();
}

void TestFormAbout::okClosesAndKeepsProperties() {
    FormAbout form;
    form.setLanguage(1);
    form.setTitle(QStringLiteral("X"));
    form.open();
    QVERIFY(form.isVisible());
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(form.Language(), 1);
    QCOMPARE(form.Title(), QStringLiteral("X"));
}

void TestFormAbout::layoutAndBanner() {
    FormAbout form;
    form.open();
    // 15 twips to a pixel: a 4395 x 4890 twip client area.
    QCOMPARE(form.size(), QSize(293, 326));
    auto* banner = form.findChild<QLabel*>(QStringLiteral("Image1"));
    QVERIFY(banner);
    QVERIFY(!banner->pixmap().isNull());
    QCOMPARE(banner->pixmap().size(), QSize(293, 73));
    QCOMPARE(form.findChild<QWidget*>(QStringLiteral("Picture1"))->geometry(),
             QRect(0, 0, 293, 73));
    QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("cmdOK"))->geometry(),
             QRect(184, 292, 92, 23));
    form.close();
}

QTEST_MAIN(TestFormAbout)
#include "tst_formabout.moc"

#include "CFileDB.h"
#include "CSingleInstance.h"
#include "CVolloDB.h"
#include "CWindowPlacement.h"

#include <QtTest>

namespace {

QString Program() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/vollo");
}

} // namespace

// The program as the desktop starts it: its command line in the desktop's
// language, a second start, and where its first window opens.
class TestDesktop : public QObject {
    Q_OBJECT
private slots:
    // LANGUAGE picks the language, from the catalogue beside the program.
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        // No display and no platform: neither must reach the platform plugin.
        QTest::newRow("help") << QStringList{"--help"} << "" << 0 << "--version";
        QTest::newRow("version") << QStringList{"--version"} << "" << 0 << "Vollo 1.0.0";
        QTest::newRow("unknown option") << QStringList{"--bogus"} << "" << 1 << "bogus";
        QTest::newRow("no display") << QStringList() << "" << 1 << "DISPLAY";
        QTest::newRow("en") << QStringList{"--help"} << "en" << 0 << "Organises your documents";
        QTest::newRow("fr:de") << QStringList{"--help"} << "fr:de" << 0
                               << "Organises your documents";
        QTest::newRow("ja") << QStringList{"--help"} << "ja" << 0 << "カテゴリで整理";
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, language);
        QFETCH(int, status);
        QFETCH(QString, output);
        QProcess process;
        QProcessEnvironment empty;
        empty.insert("HOME", qEnvironmentVariable("HOME"));
        empty.insert("LANG", "C.UTF-8");
        if (!language.isEmpty())
            empty.insert("LANGUAGE", language);
        process.setProcessEnvironment(empty);
        process.start(Program(), arguments);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, status);
        const QString printed =
            QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
        QVERIFY2(printed.contains(output), qPrintable(printed));
    }

    void secondStartHandsOver() {
        // This process stands in for the running Vollo on the same repository.
        CSingleInstance running(CFileDB().INIFileName());
        QVERIFY(running.Listen());
        QSignalSpy activated(&running, &CSingleInstance::OnActivate);
        QProcess second;
        second.start(Program(), QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 10000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(activated.count(), 1);
        // No window was made and no error shown: nothing was printed.
        QCOMPARE(second.readAllStandardError(), QByteArray());
    }

    void othersReadWhileOpen() {
        CVolloDB running;
        running.Create();
        running.RunSQL("UPDATE setting SET nLeft = 7 WHERE ID = 1");
        QProcess reader;
        reader.start("sqlite3", {"-readonly", running.INIFileName(),
                                 "SELECT nLeft FROM setting WHERE ID = 1"});
        QVERIFY(reader.waitForFinished(10000));
        QCOMPARE(reader.readAllStandardError(), QByteArray());
        QCOMPARE(reader.readAllStandardOutput().trimmed(), QByteArray("7"));
    }

    void firstGeometry_data() {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("1920x1080, capped") << QRect(0, 0, 1920, 1050) << QRect(320, 125, 1280, 800);
        QTest::newRow("1366x768, two thirds")
            << QRect(0, 32, 1366, 736) << QRect(125, 100, 1115, 600);
        QTest::newRow("700x480, design size") << QRect(0, 0, 700, 480) << QRect(44, 34, 611, 411);
        QTest::newRow("640x400, whole screen") << QRect(0, 0, 640, 400) << QRect(14, 0, 611, 400);
        QTest::newRow("second screen") << QRect(1920, 0, 1920, 1080) << QRect(2240, 140, 1280, 800);
    }
    void firstGeometry() {
        QFETCH(QRect, available);
        QTEST(CWindowPlacement::FirstGeometry(available, QSize(611, 411)), "expected");
    }
};

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_Desktop.moc"

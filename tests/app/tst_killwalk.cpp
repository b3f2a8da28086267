// Kills the real program (SIGKILL) at random points of a first-start walk
// over a few thousand documents, several times. After every kill the
// repository is opened the way the program's start opens it; it must then be
// sound, its rows and shortcuts must match one to one, and nothing it held
// after an earlier start may be gone. A last start asks again and walks to
// the end: every document once, no duplicates.
#include "AM_Vollo.h"
#include "support_app.h"

#include <QtTest>

namespace {

constexpr int kDocuments = 3000;
constexpr int kKills = 5;

// Opens the repository the way a start does and checks that it is sound.
AppTest::Holdings Look() {
    AM_Vollo::OpenRepository();
    AppTest::Holdings held = AppTest::CheckSound(*AM_Vollo::gRepository, {});
    AM_Vollo::ReleaseRepository();
    return held;
}

} // namespace

class TestKillWalk : public QObject {
    Q_OBJECT

    QString m_driver;

    // Starts the program; kills it after ms milliseconds, or lets it end if ms < 0.
    void Run(int ms) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(m_driver, {"ok"});
        QVERIFY(p.waitForStarted());
        if (ms >= 0) {
            QThread::msleep(ms);
            p.kill();
        } else {
            QVERIFY(p.waitForFinished(120000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 0);
        }
        p.kill();
        p.waitForFinished();
    }

private slots:
    void initTestCase() {
        m_driver = QCoreApplication::applicationDirPath() + "/vollo_walkdriver";
        QVERIFY(QFileInfo(m_driver).isExecutable());
        AppTest::ResetAll();
        for (int i = 0; i < kDocuments; ++i)
            WriteFile(AppTest::DocumentsFolder() +
                      QStringLiteral("/f%1/doc %2.txt").arg(i % 30).arg(i));
    }

    void killsAtRandomPoints() {
        AppTest::Holdings before;
        for (int k = 0; k <= kKills; ++k) {
            // The last start walks to the end.
            Run(k < kKills ? QRandomGenerator::global()->bounded(300, 2500) : -1);
            const AppTest::Holdings seen = Look();
            if (QTest::currentTestFailed())
                return;
            QVERIFY2(seen.rows.contains(before.rows),
                     qPrintable(QStringLiteral("start %1 lost rows").arg(k + 1)));
            before = seen;
        }
        QCOMPARE(before.targets.size(), kDocuments);
    }
};

QTEST_MAIN(TestKillWalk)
#include "tst_killwalk.moc"

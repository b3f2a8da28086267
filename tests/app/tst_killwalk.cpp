// Kills the real program (SIGKILL) at random points of a first-start walk
// over a few thousand documents, several times. After every kill the
// repository is opened the way the program's start opens it; it must then be
// sound, its rows and shortcuts must match one to one, and nothing it held
// after an earlier start may be gone. A last start asks again and walks to
// the end: every document once, no duplicates.
#include "AM_Vollo.h"
#include "CShortcutReader.h"
#include "CVolloDB.h"
#include "support_app.h"

#include <QtTest>

namespace {

constexpr int kDocuments = 3000;
constexpr int kKills = 5;

struct Seen {
    QSet<QString> rows;    // shortcut paths with a row
    QSet<QString> targets; // the documents they point to
    QSet<QString> shortcuts;
};

// Opens the repository the way a start does; it must be sound, and its rows
// and shortcuts must match one to one.
Seen Look() {
    Seen seen;
    AM_Vollo::OpenRepository();
    CVolloDB& db = *AM_Vollo::gRepository;
    const QString integrity = db.RunSQL("PRAGMA integrity_check").Field(0).toString();
    const CShortcutReader reader;
    for (CRecordset rs = db.RunQuery("getFileNameAll"); !rs.IsEOF(); rs.MoveNext()) {
        seen.rows.insert(rs.Field(1).toString());
        seen.targets.insert(reader.Target(rs.Field(1).toString()));
    }
    for (const QString& name : AppTest::Shortcuts())
        seen.shortcuts.insert(db.ShortcutFolder() + name);
    AM_Vollo::ReleaseRepository();
    [&] {
        QCOMPARE(integrity, QString("ok"));
        QCOMPARE(seen.rows, seen.shortcuts);
        QCOMPARE(seen.targets.size(), seen.rows.size());
    }();
    return seen;
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
            AppTest::WriteFile(AppTest::DocumentsFolder() +
                               QStringLiteral("/f%1/doc %2.txt").arg(i % 30).arg(i));
    }

    void killsAtRandomPoints() {
        Seen before;
        for (int k = 0; k <= kKills; ++k) {
            // The last start walks to the end.
            Run(k < kKills ? QRandomGenerator::global()->bounded(300, 2500) : -1);
            const Seen seen = Look();
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

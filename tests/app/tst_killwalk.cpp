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

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

namespace {

constexpr int kDocuments = 3000;
constexpr int kKills = 5;

struct Seen {
    QSet<QString> rows;    // shortcut paths with a row
    QSet<QString> targets; // the documents they point to
    QString integrity;
    QSet<QString> shortcuts;
};

Seen Look() {
    Seen seen;
    AM_Vollo::OpenRepository();
    CVolloDB& db = *AM_Vollo::gRepository;
    seen.integrity = db.RunSQL("PRAGMA integrity_check").Field(0).toString();
    const CShortcutReader reader;
    for (CRecordset rs = db.RunQuery("getFileNameAll"); !rs.IsEOF(); rs.MoveNext()) {
        seen.rows.insert(rs.Field(1).toString());
        seen.targets.insert(reader.Target(rs.Field(1).toString()));
    }
    for (const QString& name : AppTest::Shortcuts())
        seen.shortcuts.insert(db.ShortcutFolder() + name);
    AM_Vollo::ReleaseRepository();
    return seen;
}

} // namespace

class TestKillWalk : public QObject {
    Q_OBJECT

    QString m_driver;

    // Runs the program to its end; returns its exit status.
    int Start(const char* answer) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(m_driver, {answer});
        if (!p.waitForFinished(120000))
            p.kill();
        p.waitForFinished();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
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
        int survived = 0;
        for (int k = 0; k < kKills; ++k) {
            QProcess p;
            p.start(m_driver, {"ok"});
            QVERIFY(p.waitForStarted());
            QThread::msleep(QRandomGenerator::global()->bounded(300, 2500));
            p.kill();
            p.waitForFinished();
            const Seen seen = Look();
            QCOMPARE(seen.integrity, QString("ok"));
            QCOMPARE(seen.rows, seen.shortcuts);
            QCOMPARE(seen.targets.size(), seen.rows.size());
            QVERIFY2(seen.rows.contains(before.rows),
                     qPrintable(QStringLiteral("kill %1 lost rows").arg(k + 1)));
            before = seen;
            ++survived;
        }
        QCOMPARE(Start("ok"), 0);
        const Seen last = Look();
        QCOMPARE(last.integrity, QString("ok"));
        QCOMPARE(last.rows, last.shortcuts);
        QCOMPARE(last.targets.size(), kDocuments);
        QVERIFY(last.rows.contains(before.rows));
        qInfo("kills survived: %d, %lld rows before the last start", survived,
              static_cast<long long>(before.rows.size()));
    }
};

QTEST_MAIN(TestKillWalk)
#include "tst_killwalk.moc"

// Fails the Nth write or sync of a whole collection, for every N, with a full
// disk and with an I/O error, then starts again the way the program does
// (open, reconcile) and checks that the repository is sound, that rows and
// shortcuts match one to one, and that every committed document is there.
#include "CBatchTransaction.h"
#include "CError.h"
#include "CFileCollector.h"
#include "CShortcutReconciler.h"
#include "CVolloDB.h"
#include "FaultVfs.h"
#include "SM_Shortcut.h"
#include "support_app.h"

#include <QtTest>

#include <sqlite3.h>

namespace {

constexpr int kDocuments = 100;
constexpr int kBatch = 20;
// Write points tried per failure kind; spread evenly over all of them.
constexpr long kPoints = 120;

struct Outcome {
    bool failed = false, fired = false; // fired: before the repository closed
    QString error;
    QStringList committed;
};

} // namespace

class TestFaultSweep : public QObject {
    Q_OBJECT

    QTemporaryDir m_docs;
    QStringList m_documents;

    // One collection of every document in batches, with the nth write failing.
    Outcome Collect(long n, int code) {
        Outcome out;
        CVolloDB db;
        db.Create();
        CFileCollector collector(db);
        // As a walk collects: the shortcuts are made ahead of their rows.
        collector.BeginBatch();
        collector.BeginAhead();
        FaultVfs::Arm(n, code);
        try {
            CBatchTransaction batch(db, kBatch, 1000000);
            for (const QString& document : std::as_const(m_documents)) {
                collector.CollectFound(document);
                if (batch.Step())
                    out.committed = m_documents.mid(0, collector.Collected());
            }
            collector.SettleAhead();
            batch.Commit();
            out.committed = m_documents;
        } catch (const CError& e) {
            out.failed = true;
            out.error = e.Text();
        }
        out.fired = FaultVfs::Fired();
        return out;
    }

    // The start after the failure: open, reconcile, and check.
    void Verify(const Outcome& out, const QString& row) {
        FaultVfs::Disarm();
        SM_Shortcut::ForgetFolders();
        CVolloDB db;
        db.Create();
        CShortcutReconciler(db).Reconcile();
        const AppTest::Holdings held = AppTest::CheckSound(db, row);
        for (const QString& doc : out.committed)
            QVERIFY2(held.targets.contains(doc), qPrintable(row + ": lost " + doc));
    }

private slots:
    void initTestCase() {
        FaultVfs::Install();
        for (int i = 0; i < kDocuments; ++i)
            m_documents << WriteFile(m_docs.path() + QStringLiteral("/doc %1.txt").arg(i));
    }

    void everyWritePoint_data() {
        QTest::addColumn<int>("code");
        QTest::newRow("full disk") << SQLITE_FULL;
        QTest::newRow("I/O error") << SQLITE_IOERR;
    }

    void everyWritePoint() {
        QFETCH(int, code);
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", (home.path() + "/clean").toLocal8Bit());
        const Outcome clean = Collect(0, code);
        QVERIFY2(!clean.failed, qPrintable(clean.error));
        const long writes = FaultVfs::Count();
        QVERIFY(writes > 0);
        const long step = std::max(1L, writes / kPoints);
        qInfo("%ld writes and syncs in a clean collection, every %ld tried", writes, step);
        for (long n = 1; n <= writes; n += step) {
            qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/%1").arg(n)).toLocal8Bit());
            const Outcome out = Collect(n, code);
            QVERIFY2(out.failed || !out.fired, "a failed write went unnoticed");
            Verify(out, QStringLiteral("write %1 of %2").arg(n).arg(writes));
        }
    }
};

QTEST_GUILESS_MAIN(TestFaultSweep)
#include "tst_faultsweep.moc"

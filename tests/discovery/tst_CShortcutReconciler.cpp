#include "CShortcutReconciler.h"
#include "CVolloDB.h"
#include "Placeholders.h"
#include "support_discovery.h"

#include <QTemporaryDir>
#include <QtTest>

// After an interruption the shortcut folder and the file rows disagree; the
// start brings them in line without losing a document that still exists.
class tst_CShortcutReconciler : public QObject {
    Q_OBJECT

private slots:
    void shortcutsAndRowsAgreeAfterwards() {
        QTemporaryDir data, docs;
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
        CVolloDB db;
        db.Create();
        const QString folder = db.ShortcutFolder();
        const auto doc = [&](const QString& name) { return docs.path() + "/" + name; };
        QVERIFY(Touch(doc("orphan.txt")) && Touch(doc("kept.txt")));
        // A shortcut whose row was lost, one whose document is gone too, a
        // row whose shortcut is gone, and one in order.
        QVERIFY(Link(doc("orphan.txt"), folder + "orphan.txt.lnk"));
        QVERIFY(Link(doc("gone.txt"), folder + "gone.txt.lnk"));
        QVERIFY(Link(doc("kept.txt"), folder + "kept.txt.lnk"));
        for (const QString& path : {folder + "kept.txt.lnk", folder + "vanished.txt.lnk"})
            db.RunSQL(FillPlaceholders(db.GetQuery("addFileName"),
                                       {{"%fileName", path}, {"%fileAge", "#2026/12/06#"}}));
        const CShortcutReconciler::Result r = CShortcutReconciler(db).Reconcile();
        QCOMPARE(r.registered, 1);
        QCOMPARE(r.removedShortcuts, 1);
        QCOMPARE(r.removedRows, 1);
        QStringList rows;
        for (CRecordset rs = db.RunQuery("getFileNameAll"); !rs.IsEOF(); rs.MoveNext())
            rows << rs.Field(1).toString().mid(folder.size());
        rows.sort();
        QCOMPARE(rows, QStringList({"kept.txt.lnk", "orphan.txt.lnk"}));
        QCOMPARE(Entries(folder).filter(".lnk"), rows);
        // A second start finds nothing to do.
        const CShortcutReconciler::Result again = CShortcutReconciler(db).Reconcile();
        QCOMPARE(again.registered + again.removedShortcuts + again.removedRows, 0);
    }
};

QTEST_GUILESS_MAIN(tst_CShortcutReconciler)
#include "tst_CShortcutReconciler.moc"

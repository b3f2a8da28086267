#include "BM_Library.h"
#include "CFactChecker.h"
#include "CFileCollector.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CListFiller.h"
#include "CListViewControl.h"
#include "CMsghook.h"
#include "CShortcutReconciler.h"
#include "CVolloDB.h"
#include "SM_Shortcut.h"
#include "support_app.h"

#include <QtTest>

#include <unistd.h>

using namespace BM_Library;

namespace {

// The texts of every row by file ID: name, size, date.
QHash<qint32, QStringList> Rows(CListViewControl* list) {
    QHash<qint32, QStringList> rows;
    CFileListModel* model = list->Model();
    for (int i = 0; i < model->RowCount(); ++i) {
        const quint64 param = model->ParamAt(i);
        rows.insert(KeyToID(model->KeyOf(param)),
                    {model->TextOf(param, 0), model->TextOf(param, 1), model->TextOf(param, 2)});
    }
    return rows;
}

// The root's list as the window shows it, filled by a filler of its own.
struct ShownList {
    explicit ShownList(CVolloDB& db)
        : filler(db), finished(&filler.Checker(), &CFactChecker::OnFinished) {
        for (const char* header : {"名前", "サイズ", "更新日時"})
            list->AddColumnHeader(QString::fromUtf8(header), 1000);
        view.Create(list, new CMsghook(&window));
        filler.ShowTagFiles(&view, 1);
    }
    QWidget window;
    CListViewControl* list = new CListViewControl(&window);
    CFileListView view;
    CListFiller filler;
    QSignalSpy finished;
};

} // namespace

class TestFactList : public QObject {
    Q_OBJECT

private slots:
    void init() {
        AppTest::ResetAll();
        m_db = std::make_unique<CVolloDB>();
        m_db->Create();
        m_collector = std::make_unique<CFileCollector>(*m_db);
    }

    void cleanup() {
        m_collector.reset();
        m_db.reset();
    }

    void everyWayInFillsFacts_data() {
        QTest::addColumn<QString>("way");
        for (const char* way : {"walk", "drop", "folder", "recent", "reconcile"})
            QTest::newRow(way) << QString::fromLatin1(way);
    }

    void everyWayInFillsFacts() {
        QFETCH(QString, way);
        const QString doc = AppTest::WriteFile(AppTest::DocumentsFolder() + "/in/report.txt",
                                               QByteArray(5000, 'r'));
        if (way == "walk") {
            QVERIFY(m_collector->CollectFound(doc));
        } else if (way == "drop") {
            m_collector->AddDroppedFiles({doc}, 2);
        } else if (way == "folder") {
            QVERIFY(m_collector->CollectFound(doc, 2));
        } else if (way == "recent") {
            const QString recent = QDir::homePath() + "/recent/report.txt.lnk";
            AppTest::MakeLink(doc, recent);
            m_collector->CollectRecent(recent);
        } else {
            SM_Shortcut::MakeShortcutFile(m_db->ShortcutFolder(), doc);
            QCOMPARE(CShortcutReconciler(*m_db).Reconcile().registered, 1);
        }
        const QHash<qint32, CFileFacts> facts = m_db->FactsOf();
        QCOMPARE(facts.size(), 1);
        QCOMPARE(facts.cbegin()->path, doc);
        QCOMPARE(facts.cbegin()->size, qint64(5000));
        QVERIFY(facts.cbegin()->fingerprint != 0);
    }

    void listShowsFactsThenFollowsTheDisk() {
        const QString docs = AppTest::DocumentsFolder() + "/set";
        const QString gone = AppTest::WriteFile(docs + "/gone.txt", QByteArray(3000, 'g'));
        const QString grown = AppTest::WriteFile(docs + "/grown.txt", QByteArray(3000, 'x'));
        const QString orphan = AppTest::WriteFile(docs + "/orphan.txt", "o");
        m_collector->AddDroppedFiles({gone, grown, orphan}, 1);
        const QHash<qint32, CFileFacts> facts = m_db->FactsOf();
        qint32 goneID = 0, grownID = 0, orphanID = 0;
        for (auto it = facts.cbegin(); it != facts.cend(); ++it)
            (it->path == gone ? goneID : it->path == grown ? grownID : orphanID) = it.key();
        QVERIFY(goneID && grownID && orphanID);
        m_db->AddFileTag(goneID, 2);

        // The documents' folder moves away: the list still shows every row
        // from what is stored, and the check finds them all missing.
        QVERIFY(QDir().rename(docs, docs + ".away"));
        ShownList root(*m_db);
        const QHash<qint32, QStringList> shown = Rows(root.list);
        QCOMPARE(shown.value(goneID), (QStringList{"gone.txt", SizeText(3000), shown[goneID][2]}));
        QCOMPARE(shown.size(), 3);
        QTRY_COMPARE(root.finished.count(), 1);
        for (const QStringList& row : Rows(root.list))
            QCOMPARE(row.at(1), QStringLiteral("見つかりません"));

        // Back in place, with one document deleted, one grown and one
        // shortcut gone; the selected row stays selected.
        QVERIFY(QDir().rename(docs + ".away", docs));
        QVERIFY(QFile::remove(gone));
        AppTest::WriteFile(grown, QByteArray(9000, 'y'));
        QVERIFY(QFile::remove(
            m_db->RunSQL(QStringLiteral("SELECT path FROM files WHERE ID = %1").arg(orphanID))
                .Field(0)
                .toString()));
        root.filler.ShowTagFiles(&root.view, 1);
        for (int i = 1; i <= root.list->ListItemCount(); ++i)
            if (KeyToID(root.list->ListItem(i).Key()) == grownID)
                root.list->setSelectedItem(root.list->ListItem(i));
        QTRY_COMPARE(root.finished.count(), 2);
        const QHash<qint32, QStringList> after = Rows(root.list);
        QCOMPARE(after.size(), 2);
        QCOMPARE(after.value(goneID).at(1), QStringLiteral("見つかりません"));
        QCOMPARE(after.value(grownID).at(1), SizeText(9000));
        QCOMPARE(KeyToID(root.list->SelectedItem().Key()), grownID);
        // The repository: the missing document keeps its categories, the
        // grown one has fresh facts, the orphan is gone with its links.
        QCOMPARE(m_db->GetTagOfFile(goneID).RecordCount(), 2);
        QVERIFY(m_db->FactsOf({goneID}).value(goneID).missing);
        QCOMPARE(m_db->FactsOf({grownID}).value(grownID).size, qint64(9000));
        QCOMPARE(m_db->GetTagOfFile(orphanID).RecordCount(), 0);
        QCOMPARE(m_db->RunQuery("getFileNameAll").RecordCount(), 2);
    }

    void rowsWithoutFactsStillShow() {
        const QString doc =
            AppTest::WriteFile(AppTest::DocumentsFolder() + "/old.txt", QByteArray(2048, 'o'));
        m_collector->AddDroppedFiles({doc}, 1);
        m_db->RunSQL("DELETE FROM filefacts"); // as before the upgrade
        ShownList root(*m_db);
        const QStringList row = Rows(root.list).values().value(0);
        QCOMPARE(row.mid(0, 2), (QStringList{"old.txt", SizeText(2048)}));
        QVERIFY(!row.at(2).isEmpty());
        QTRY_COMPARE(root.finished.count(), 1);
        QCOMPARE(m_db->FactsOf().size(), 1); // filled for next time
    }

private:
    std::unique_ptr<CVolloDB> m_db;
    std::unique_ptr<CFileCollector> m_collector;
};

QTEST_MAIN(TestFactList)
#include "tst_factlist.moc"

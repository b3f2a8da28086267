// Collecting a folder at any time, and what the window does when what it
// stands on goes away: the data folder, the desktop's recent list, a write.
#include "support_app.h"

#include "AM_Vollo.h"
#include "BM_Library.h"
#include "CCategory.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CLanguage.h"
#include "CListViewControl.h"
#include "CPathFinder.h"
#include "CVolloDB.h"
#include "CWalkProgress.h"
#include "FaultVfs.h"
#include "FormMain.h"
#include "SM_Shortcut.h"

#include <QtTest>
#include <QtWidgets>

#include <sqlite3.h>

using AM_Vollo::gRepository;
using namespace AppTest;

namespace {

int Count(const QString& sql) {
    return gRepository->RunSQL(sql).Field(0).toInt();
}
int FileCount() {
    return Count(QStringLiteral("SELECT COUNT(*) FROM files"));
}

} // namespace

class TestCollect : public QObject {
    Q_OBJECT

    FormMain* m_form = nullptr;

    void Start() {
        AM_Vollo::OpenRepository();
        gRepository->RunQuery(QStringLiteral("setFirstStart"));
        m_form = AM_Vollo::ShowMainForm();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
    }
    CFileListView* List(const QString& key) { return m_form->FileListViews()->Item(key); }
    void ClickNode(const QString& key) {
        auto* tree = m_form->findChild<QTreeWidget*>(QStringLiteral("TreeViewTag"));
        QTreeWidgetItem* node = m_form->Category()->Node(key);
        QVERIFY(node != nullptr);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(node).center());
    }
    // Every row names a registered file by its ID and shortcut.
    void CheckRowsMatchRepository() {
        for (int i = 1; i <= m_form->FileListViews()->Count(); ++i) {
            CFileListView* list = m_form->FileListViews()->Item(i);
            for (int r = 1; r <= list->Count(); ++r) {
                CRecordset rs =
                    gRepository->RunSQL(QStringLiteral("SELECT path FROM files WHERE ID = %1")
                                            .arg(BM_Library::KeyToID(list->Key(r))));
                QVERIFY2(!rs.IsEOF(), qPrintable("no file " + list->Key(r)));
                // A recent row stands for the desktop's shortcut; the
                // repository has its copy, of the same name.
                QCOMPARE(QFileInfo(rs.Field(0).toString()).fileName(),
                         QFileInfo(list->Tag(r)).fileName());
            }
        }
    }

private slots:
    void initTestCase() {
        FaultVfs::Install();
        AM_Vollo::SetupApplication();
        // The program's own texts, whatever the test machine's language.
        CLanguage::Load(QLocale(QLocale::Japanese, QLocale::Japan));
    }
    void init() {
        ResetAll();
        SM_Shortcut::ForgetFolders();
    }
    void cleanup() {
        FaultVfs::Disarm();
        if (m_form != nullptr)
            m_form->close();
        delete m_form;
        m_form = AM_Vollo::gMainForm = nullptr;
        AM_Vollo::ReleaseRepository();
    }

    // Ctrl+O, the desktop's folder dialog answered, then the same folder again.
    void collectFolder_data() {
        QTest::addColumn<QString>("node");
        QTest::addColumn<int>("links");
        QTest::newRow("category") << "H2" << 4;
        QTest::newRow("root") << "H0" << 0;
        QTest::newRow("extension category") << "H1006" << 0;
    }
    void collectFolder() {
        QFETCH(QString, node);
        QFETCH(int, links);
        const QString tree = DocumentsFolder() + "/pick";
        for (const char* name : {"a.txt", "sub/b.doc", "it's \"q\" 名前.txt", "space dir/#e.pdf",
                                 "x.exe", ".hidden/c.txt", "sub/.git/d.txt"})
            WriteFile(tree + '/' + QString::fromUtf8(name));
        Start();
        ClickNode(node);
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                d->setDirectory(tree);
                static_cast<QDialog*>(d)->accept();
            }
        });
        answer.start(20);
        QTest::keyClick(m_form, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(FileCount(), 4);
        QCOMPARE(Count("SELECT COUNT(*) FROM filetags"), links);
        if (links > 0)
            QCOMPARE(List(node)->Count(), links);
        QCOMPARE(List("H0")->Count(), node == "H1006" ? 2 : 4); // .txt and .md only
        QVERIFY(!Shortcuts().contains("c.txt.lnk") && !Shortcuts().contains("d.txt.lnk"));
        m_form->CollectFolderFrom(tree);
        QCOMPARE(FileCount(), 4);
        QCOMPARE(Shortcuts().size(), 4);
        QCOMPARE(Count("SELECT COUNT(*) FROM filetags"), links);
    }

    void cancelKeepsWhatWasTaken() {
        for (int i = 0; i < 30; ++i)
            WriteFile(DocumentsFolder() + QStringLiteral("/f%1/doc%1.txt").arg(i));
        Start();
        ClickNode("H1");
        connect(m_form->PathFinder(), &CPathFinder::OnFound, this, [this] {
            if (CWalkProgress* p = m_form->WalkProgress())
                p->findChild<QPushButton*>(QStringLiteral("ButtonCancel"))->click();
        });
        ModalAnswerer answerer;
        m_form->CollectFolderFrom(DocumentsFolder());
        const int kept = FileCount();
        QVERIFY(kept >= 1 && kept < 30);
        QCOMPARE(List("H1")->Count(), kept);
        QCOMPARE(List("H0")->Count(), kept);
        QCOMPARE(answerer.Count(), 0);
    }

    // Deleted under the running window: told once, found at the next refill
    // or at once by the watch on the folder; the rows stay and nothing makes
    // the folder again.
    void dataFolderGone_data() {
        QTest::addColumn<bool>("click");
        QTest::newRow("next refill") << true;
        QTest::newRow("watched") << false;
    }
    void dataFolderGone() {
        QFETCH(bool, click);
        Start();
        m_form->CollectFolderFrom(QFileInfo(WriteFile(DocumentsFolder() + "/a.txt")).path());
        QCOMPARE(List("H0")->Count(), 1);
        ModalAnswerer answerer;
        QVERIFY(QDir(RepositoryFolder()).removeRecursively());
        if (click)
            ClickNode("H0");
        QTRY_COMPARE(answerer.Count(), 1);
        QVERIFY(answerer.Texts().first().contains(QStringLiteral("起動し直")));
        ClickNode("H0");
        QCOMPARE(List("H0")->Count(), 1);
        QCOMPARE(m_form->StatusBar(), FormMain::CountText(1));
        QVERIFY(DropFiles(List("H0")->ListView()->viewport(),
                          {WriteFile(DocumentsFolder() + "/b.txt")}, QPoint(20, 20)));
        m_form->CollectFolderFrom(DocumentsFolder());
        QTest::qWait(100);
        QCOMPARE(answerer.Count(), 1);
        QVERIFY(m_form->IsDataFolderGone());
        QVERIFY(!QFileInfo::exists(RepositoryFolder()));
    }

    void malformedRecentListToldOnce() {
        AddRecentEntry(WriteFile(DocumentsFolder() + "/r.txt"), QDateTime::currentDateTimeUtc());
        Start();
        ModalAnswerer answerer;
        ClickNode("H1001");
        QCOMPARE(List("H0")->Count(), 1);
        WriteFile(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                      "/recently-used.xbel",
                  "<?xml version=\"1.0\"?><xbel version=\"1.0\"><bookmark");
        for (int pass = 0; pass < 2; ++pass) {
            ClickNode("H1001");
            QCOMPARE(List("H0")->Count(), 1); // the list read last
        }
        QCOMPARE(answerer.Count(), 1);
        QVERIFY(answerer.Texts().first().contains("recently-used.xbel"));
    }

    // A write fails under the recent listing, whose rows carry the IDs of
    // inserts that are then rolled back; no row may keep such an ID.
    void rolledBackWrite_data() {
        QTest::addColumn<int>("code");
        QTest::newRow("full disk") << SQLITE_FULL;
        QTest::newRow("I/O error") << SQLITE_IOERR;
    }
    void rolledBackWrite() {
        QFETCH(int, code);
        long writes = 0;
        for (long n = 0; n == 0 || n <= writes; ++n) {
            init();
            for (const char* name : {"r1.txt", "r2.txt", "r3.txt"})
                AddRecentEntry(WriteFile(DocumentsFolder() + "/" + name),
                               QDateTime::currentDateTimeUtc());
            Start();
            m_form->CollectFolderFrom(QFileInfo(WriteFile(DocumentsFolder() + "/k/a.txt")).path());
            ModalAnswerer answerer;
            FaultVfs::Arm(n, code);
            ClickNode("H1001");
            if (n == 0)
                writes = FaultVfs::Count();
            FaultVfs::Disarm();
            CheckRowsMatchRepository();
            cleanup();
        }
        QVERIFY(writes > 0);
    }
};

QTEST_MAIN(TestCollect)
#include "tst_collect.moc"

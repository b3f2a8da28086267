// Collecting folders, documents that move, and what the window does when what
// it stands on goes away: the data folder, the desktop's recent list, a write.
#include "support_app.h"

#include "AM_Vollo.h"
#include "BM_Library.h"
#include "CCategoryLinks.h"
#include "CCategoryStore.h"
#include "CCheckListView.h"
#include "CCollectWalk.h"
#include "CContextMenu.h"
#include "CDatabase.h"
#include "CFactChecker.h"
#include "CFactStore.h"
#include "CFileCollector.h"
#include "CFileFacts.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CFingerprintWorker.h"
#include "CListFiller.h"
#include "CListViewControl.h"
#include "CMoveFollower.h"
#include "CMsghook.h"
#include "CPathFinder.h"
#include "CShortcutReconciler.h"
#include "CTagImport.h"
#include "CTagMirror.h"
#include "CVolloDB.h"
#include "CWalkProgress.h"
#include "CXdgTags.h"
#include "FaultVfs.h"
#include "FormCategory.h"
#include "FormChooseMove.h"
#include "FormMain.h"
#include "SM_Shell.h"
#include "SM_Shortcut.h"

#include <QtTest>
#include <QtWidgets>

#include <fcntl.h>
#include <limits>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

using AM_Vollo::gRepository;
using namespace AppTest;

namespace {

QString Target(const QString& shortcutName) {
    return QFile::symLinkTarget(RepositoryFolder() + "/" + shortcutName);
}
int Links(const QString& shortcutName) {
    return Count("SELECT COUNT(*) FROM filetags JOIN files ON files.ID = filetags.fileID"
                 " WHERE files.path LIKE '%" +
                 shortcutName + "'");
}
bool SecondDevice(const QString& shm) {
    struct stat a {
    }, b{};
    return !shm.isEmpty() && stat(qPrintable(shm), &a) == 0 &&
           stat(qPrintable(DocumentsFolder()), &b) == 0 && a.st_dev != b.st_dev;
}
// The texts of every row by file ID: name, size, date.
QHash<qint32, QStringList> Rows(CListViewControl* list) {
    QHash<qint32, QStringList> rows;
    CFileListModel* model = list->Model();
    for (int i = 0; i < model->RowCount(); ++i) {
        const quint64 param = model->ParamAt(i);
        rows.insert(BM_Library::KeyToID(model->KeyOf(param)),
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

// Three documents with their desktop tags as others left them, registered.
struct TaggedDocs {
    explicit TaggedDocs(const QList<QByteArray>& tags) {
        db.Create();
        for (qsizetype i = 0; i < tags.size(); ++i) {
            paths << WriteFile(DocumentsFolder() + QStringLiteral("/t%1.txt").arg(i), "body");
            if (!tags[i].isEmpty())
                setxattr(qPrintable(paths[i]), "user.xdg.tags", tags[i].data(), tags[i].size(), 0);
        }
        collector.setTagImport(&import);
        collector.AddDroppedFiles(paths, 0);
        for (const auto& [id, path] : db.RunFileList("SELECT ID, path FROM files ORDER BY ID"))
            ids << id;
        for (const QString& path : paths)
            times << Modified(path);
    }
    static qint64 Modified(const QString& path) {
        struct stat st {};
        return stat(qPrintable(path), &st) == 0
                   ? st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec
                   : -1;
    }
    QList<qint32> FilesOf(qint32 tag) {
        QList<qint32> files;
        for (CRecordset rs = db.GetFileOfTag(tag); !rs.IsEOF(); rs.MoveNext())
            files << rs.Field(0).toInt();
        return files;
    }
    // The attribute of every document, contents and times checked unchanged.
    QList<QByteArray> Tags() const {
        QList<QByteArray> values;
        for (qsizetype i = 0; i < paths.size(); ++i) {
            values << QByteArray();
            CXdgTags::Read(paths[i], &values.last());
            if (Modified(paths[i]) != times[i] || ReadAll(paths[i]) != "body")
                values.last() = "changed";
        }
        return values;
    }
    static QByteArray ReadAll(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    CVolloDB db;
    CFileCollector collector{db};
    CTagImport import{db};
    QStringList paths;
    QList<qint32> ids;
    QList<qint64> times;
};

} // namespace

class TestCollect : public QObject, Window {
    Q_OBJECT

    void StartActive() {
        Start();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
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
        SetupJapanese();
    }
    void init() {
        ResetAll();
        SM_Shortcut::ForgetFolders();
    }
    void cleanup() {
        FaultVfs::Disarm();
        Stop();
    }

    // A tree collected at the first start, dropped on a node or a list, or
    // chosen with Ctrl+O in the desktop's folder dialog: hidden folders and
    // programs are left out, names that are not text are told once with
    // where they are, and collecting the same tree again adds nothing.
    void collectTree_data() {
        QTest::addColumn<QString>("how"); // "first start", "node", "list" or "open"
        QTest::addColumn<QString>("node");
        QTest::newRow("first start") << "first start" << QString("H0");
        QTest::newRow("dropped on a node") << "node" << QString("H2");
        QTest::newRow("dropped on a list") << "list" << QString("H2");
        QTest::newRow("Ctrl+O, category") << "open" << QString("H2");
        QTest::newRow("Ctrl+O, root") << "open" << QString("H0");
        QTest::newRow("Ctrl+O, extension category") << "open" << QString("H1006");
    }
    void collectTree() {
        QFETCH(QString, how);
        QFETCH(QString, node);
        const bool first = how == "first start";
        const QString tree = DocumentsFolder() + (first ? "" : "/tree");
        const QString longName = QString(248, u'n') + ".txt"; // one byte too many for ".lnk"
        for (const QString& n :
             {QString("a.txt"), QString("sub/b.doc"), QString("it's \"q\" 名前.txt"),
              QString("space dir/#e.pdf"), QString("x.exe"), QString(".git/objects/c.txt"),
              QString(".cache/d.txt"), QString(".local/share/Trash/files/e.txt"),
              QString("sub/.git/d.txt"), longName})
            WriteFile(tree + "/" + n);
        WriteRaw(QFile::encodeName(tree) + "/\x82\xa0.txt");  // Shift-JIS
        WriteRaw(QFile::encodeName(tree) + "/caf\xe9/f.txt"); // Latin-1 folder
        ModalAnswerer answerer(QMessageBox::Ok);
        QTimer chooser;
        connect(&chooser, &QTimer::timeout, this, [&] {
            if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                d->setDirectory(tree);
                static_cast<QDialog*>(d)->accept();
            }
        });
        chooser.start(20);
        Start(!first);
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        bool progress = first;
        connect(m_form->PathFinder(), &CPathFinder::OnFound, this,
                [&] { progress = progress || m_form->WalkProgress() != nullptr; });
        ClickNode(node);
        if (how == "open")
            QTest::keyClick(m_form, Qt::Key_O, Qt::ControlModifier);
        else if (!first)
            QVERIFY(how == "node" ? DropOnNode(node, {tree})
                                  : DropFiles(Control(2)->viewport(), {tree}, QPoint(20, 20)));
        QVERIFY(progress);
        // One box after the walk: the two names that are not text, and where
        // (the first start asks about desktop tags afterwards).
        QCOMPARE(answerer.Count(), first ? 3 : 1);
        const QString told = answerer.Texts().value(first ? 1 : 0);
        QVERIFY2(told.contains("2 件") && told.contains(tree), qPrintable(told));
        QStringList names{"#e.pdf", "a.txt", "b.doc", "it's \"q\" 名前.txt", longName};
        names = node == "H1006" ? names.filter(".txt") : names; // .txt and .md only
        CFileListView* shown = List(node == "H2" ? "H2" : "H0");
        QCOMPARE(ListTexts(shown->ListView()), names);
        QCOMPARE(FileCount(), 5);
        const int links = node == "H2" ? 5 : 0;
        QCOMPARE(Count("SELECT COUNT(*) FROM filetags"), links);
        // No row points to a missing document.
        for (int i = 1; i <= shown->Count(); ++i)
            QVERIFY(QFileInfo::exists(BM_Library::ShortcutTarget(shown->Tag(i))));
        QTRY_COMPARE(m_form->StatusBar(), FormMain::CountText(shown->Count()));
        const QStringList shortcuts = Shortcuts();
        m_form->CollectFolderFrom(tree);
        QCOMPARE(Shortcuts(), shortcuts);
        QCOMPARE(FileCount(), 5);
        QCOMPARE(Count("SELECT COUNT(*) FROM filetags"), links);
    }

    // What is no document, or cannot be reached, is left out with its
    // reason, by a walk (nothing may block on a FIFO) and by a drop.
    void notDocumentsAreLeftOut_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("FIFO") << "fifo"
                              << "通常のファイルではありません";
        QTest::newRow("socket") << "socket"
                                << "通常のファイルではありません";
        QTest::newRow("link to /dev/zero") << "/dev/zero"
                                           << "通常のファイルではありません";
        QTest::newRow("link to /dev/urandom") << "/dev/urandom"
                                              << "通常のファイルではありません";
        QTest::newRow("link to itself") << "loop"
                                        << "輪になって";
        QTest::newRow("link to nothing") << "dangling"
                                         << "リンク先が見つかりません";
        QTest::newRow("path past PATH_MAX") << "deep"
                                            << "長すぎます";
    }
    void notDocumentsAreLeftOut() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString tree = DocumentsFolder() + "/tree";
        WriteFile(tree + "/a.txt");
        QString entry = tree + "/odd.txt";
        const QByteArray raw = QFile::encodeName(entry);
        if (kind == "fifo") {
            QCOMPARE(mkfifo(raw.constData(), 0600), 0);
        } else if (kind == "socket") {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            qstrncpy(address.sun_path, raw.constData(), sizeof address.sun_path);
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            QCOMPARE(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
            close(fd);
        } else if (kind == "deep") {
            // Made folder by folder: no single path may be that long.
            int fd = open(QFile::encodeName(tree).constData(), O_PATH | O_DIRECTORY);
            const QByteArray level(250, 'd');
            for (int depth = 0; depth < 17; ++depth) {
                QCOMPARE(mkdirat(fd, level.constData(), 0700), 0);
                const int next = openat(fd, level.constData(), O_PATH | O_DIRECTORY);
                close(fd);
                fd = next;
            }
            const int doc = openat(fd, "deep.txt", O_CREAT | O_WRONLY, 0600);
            QVERIFY(doc >= 0);
            close(doc);
            close(fd);
            entry = tree + "/" + level;
        } else {
            MakeLink(kind == "loop"       ? entry
                     : kind == "dangling" ? tree + "/gone.txt"
                                          : kind,
                     entry);
        }
        const auto cleanup = qScopeGuard([&] { QProcess::execute("rm", {"-rf", tree}); });
        ModalAnswerer answerer;
        StartActive();
        m_form->CollectFolderFrom(tree);
        QTRY_COMPARE(answerer.Count(), 1);
        QCOMPARE(FileCount(), 1);
        const QString told = answerer.Texts().first();
        QVERIFY2(told.contains("1 件") && told.contains(entry) && told.contains(reason),
                 qPrintable(told));
        if (kind == "deep")
            return; // no drop can name it
        QVERIFY(DropOnNode("H2", {entry}));
        QTRY_COMPARE(answerer.Count(), 2);
        QCOMPARE(FileCount(), 1);
        QVERIFY2(answerer.Texts().last().contains(reason), qPrintable(answerer.Texts().last()));
    }

    void cancelKeepsWhatWasTaken() {
        for (int i = 0; i < 30; ++i)
            Doc(QStringLiteral("f%1/doc%1.txt").arg(i));
        StartActive();
        ClickNode("H1");
        connect(m_form->PathFinder(), &CPathFinder::OnFound, this, [this] {
            if (CWalkProgress* p = m_form->WalkProgress())
                p->findChild<QPushButton*>(QStringLiteral("ButtonCancel"))->click();
        });
        ModalAnswerer answerer;
        m_form->CollectFolderFrom(DocumentsFolder());
        const int kept = FileCount();
        QVERIFY(kept >= 1 && kept < 30);
        QCOMPARE((QList<int>{List("H1")->Count(), List("H0")->Count(), answerer.Count()}),
                 (QList<int>{kept, kept, 0}));
    }

    // A repository open for reading refuses a tick: the box shows what is
    // stored again, not what was clicked.
    void refusedTickShowsTheStoredState() {
        Start();
        QVERIFY(DropOnNode("H0", {Doc("t.txt")}));
        Stop();
        ModalAnswerer answerer;
        FaultVfs::Arm(1, SQLITE_READONLY);
        Start(false); // the question was answered at the first start
        FaultVfs::Disarm();
        QVERIFY(gRepository->IsReadOnly());
        ClickNode("H0");
        Control(0)->setSelectedItem(Control(0)->ListItem(1));
        Press("Category");
        QTreeWidgetItem* box = m_form->CategoryForm()->ListViewCategory()->topLevelItem(1);
        m_form->CategoryForm()->CheckListView()->SetState(box, CCheckListView::Checked);
        const int told = answerer.Count();
        m_form->FCategoryForm_OnItemClick(1, box);
        QTRY_COMPARE(answerer.Count(), told + 1);
        QCOMPARE(CCheckListView::SmallIcon(box), QString("unchecked"));
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
        StartActive();
        m_form->CollectFolderFrom(QFileInfo(Doc("a.txt")).path());
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
        QVERIFY(DropFiles(List("H0")->ListView()->viewport(), {Doc("b.txt")}, QPoint(20, 20)));
        m_form->CollectFolderFrom(DocumentsFolder());
        QTest::qWait(100);
        QCOMPARE(answerer.Count(), 1);
        QVERIFY(m_form->IsDataFolderGone());
        QVERIFY(!QFileInfo::exists(RepositoryFolder()));
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
                AddRecentEntry(Doc(name), QDateTime::currentDateTimeUtc());
            StartActive();
            m_form->CollectFolderFrom(QFileInfo(Doc("k/a.txt")).path());
            ModalAnswerer answerer;
            FaultVfs::Arm(n, code);
            ClickNode("H1001");
            // The failure is told, and the pointer is no longer busy.
            QTRY_COMPARE(answerer.Count(), FaultVfs::Fired() ? 1 : 0);
            QVERIFY(QApplication::overrideCursor() == nullptr);
            if (n == 0)
                writes = FaultVfs::Count();
            FaultVfs::Disarm();
            CheckRowsMatchRepository();
            Stop();
        }
        QVERIFY(writes > 0);
    }
    // Documents renamed or moved, while the program runs and while it is
    // closed: each shortcut follows its own document, keeps its name and
    // categories, and is never pointed at a file that might be another document.
    void whileRunning_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("node"); // where the documents were dropped
        QTest::newRow("rename in place") << "a/report.odt" << QString("a/report-final.odt") << "H2";
        QTest::newRow("move across folders") << "a/report.odt" << QString("b/report.odt") << "H2";
        // Dropped on all files, the list's refill and the follower share one
        // reading of the repository.
        QTest::newRow("dropped on all files") << "a/report.odt" << QString("b/report.odt") << "H0";
        QTest::newRow("folder renamed") << "a/report.odt" << QString("a2/report.odt") << "H2";
        // The list shows the new name and type; a folder made meanwhile is
        // watched as soon as it is made.
        QTest::newRow("new type") << "a/report.odt" << QString("a/report.txt") << "H2";
        QTest::newRow("into a new folder")
            << "a/report.odt" << QString("a/new/deep/report.odt") << "H2";
    }
    void whileRunning() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, node);
        const QString docs = DocumentsFolder() + "/";
        WriteFile(docs + "b/other.txt");
        Start();
        QVERIFY(DropOnNode(node, {WriteFile(docs + from, "the report"), docs + "b/other.txt"}));
        const QStringList before = Shortcuts();
        ClickNode(node);
        QVERIFY(!to.contains("/new/") || QDir(docs).mkpath(QFileInfo(to).path()));
        QVERIFY(
            QDir(docs).rename(to.startsWith("a2") ? "a" : from, to.startsWith("a2") ? "a2" : to));
        QTRY_COMPARE(Target("report.odt.lnk"), docs + to);
        QTRY_VERIFY(ListTexts(List(node)->ListView()).contains(QFileInfo(to).fileName()));
        const CListItem row = List(node)->Item(
            ListTexts(List(node)->ListView()).indexOf(QFileInfo(to).fileName()) + 1);
        QCOMPARE(List(node)->ListView()->Model()->IconOf(row.Param()),
                 SM_Shell::DocumentIconIndex(docs + to));
        QCOMPARE(Shortcuts(), before);
        QCOMPARE(Links("report.odt.lnk"), node == "H0" ? 0 : 1);
        const CFileFacts stored = gRepository->FactsOf().value(
            gRepository->RunSQL("SELECT ID FROM files WHERE path LIKE '%report.odt.lnk'")
                .Field(0)
                .toInt());
        QCOMPARE(stored.path, docs + to);
        QVERIFY(!stored.missing);
    }

    // A document gone from its folder: once one list is checked, every list
    // showing it says so, and each list's menu offers to look for it.
    void missingInEveryList() {
        const QString doc = Doc("gone.txt", QByteArray(3000, 'g'));
        Start();
        QVERIFY(DropOnNode("H2", {doc}));
        for (const char* node : {"H0", "H2", "H0"}) {
            ClickNode(node);
            QTRY_COMPARE(List(node)->Count(), 1);
            if (node == QLatin1String("H2"))
                QVERIFY(QFile::remove(doc));
        }
        QTRY_COMPARE(List("H0")->Item(1).SubItems(1), QString("見つかりません"));
        QTRY_COMPARE(List("H2")->Item(1).SubItems(1), QString("見つかりません"));
        QVERIFY(List("H2")->ListView()->Model()->IsMissing(List("H2")->Item(1).Param()));
        QMenu* menu = List("H2")->ContextMenu()->ShowMenuAt(List("H2")->Tag(1), QPoint(10, 10));
        const QList<QAction*> actions = menu->actions();
        QVERIFY(std::any_of(actions.cbegin(), actions.cend(), [](const QAction* a) {
            return a->objectName() == "FindMissing" && a->text() == "見つからない文書を探す";
        }));
        menu->close();
    }

    // A document deleted or put in the trash while the program runs shows as
    // missing at once in every list; an editor's safe save (renamed to a
    // backup, written anew, the backup deleted) keeps the shortcut on it.
    void goneWhileRunning_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"deleted", "to the trash", "safe save"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }
    void goneWhileRunning() {
        QFETCH(QString, how);
        const QString doc = Doc("a/report.txt", "first");
        Start();
        QVERIFY(DropOnNode("H2", {doc}));
        for (const char* node : {"H2", "H0"}) {
            ClickNode(node);
            QTRY_COMPARE(List(node)->Count(), 1);
        }
        auto* follower = m_form->findChild<CMoveFollower*>();
        QSignalSpy gone(follower, &CMoveFollower::OnGone);
        QSignalSpy relinked(follower, &CMoveFollower::OnRelinked);
        const QString trash = QDir::homePath() + "/.local/share/Trash/files/";
        if (how == "deleted") {
            QVERIFY(QFile::remove(doc));
        } else if (how == "to the trash") {
            QVERIFY(QDir().mkpath(trash) && QFile::rename(doc, trash + "report.txt"));
        } else {
            QVERIFY(QFile::rename(doc, doc + "~"));
            WriteFile(doc, "second");
            QVERIFY(QFile::remove(doc + "~"));
        }
        // Told at once, not at the next fill: every list shows it.
        QTRY_COMPARE(how == "safe save" ? relinked.count() : gone.count(),
                     how == "safe save" ? 2 : 1);
        for (const char* node : {"H0", "H2"})
            QCOMPARE(List(node)->ListView()->Model()->IsMissing(List(node)->Item(1).Param()),
                     how != "safe save");
        QCOMPARE(Target("report.txt.lnk"), doc);
    }

    // Changes made while the program was closed are found at the next start.
    void closedProgram() {
        QTemporaryDir shmDir("/dev/shm/vollo-moves-XXXXXX");
        if (!SecondDevice(shmDir.path()))
            QSKIP("No second file system (/dev/shm) for a move that changes the inode");
        const QString docs = DocumentsFolder() + "/", shm = shmDir.path() + "/";
        QStringList files;
        for (const char* name : {"a/renamed.txt", "a/moved.txt", "a/copied.txt", "a/lookalike.txt",
                                 "a/reused.txt", "a/deleted.txt", "b/keep.txt"})
            files << WriteFile(docs + name, QByteArray("content of ") + name);
        files << WriteFile(shm + "far.txt", "lives on another file system");
        Start();
        QVERIFY(DropOnNode("H2", files));
        // The document that goes to another file system is found by its
        // fingerprint, made in the background after the drop: the program
        // closes once it has one, as it would after a while of use. The
        // worker runs at low priority: a busy machine may hold it back.
        QTRY_VERIFY_WITH_TIMEOUT(
            std::ranges::all_of(gRepository->FactsOf(),
                                [](const CFileFacts& f) { return f.fingerprint != 0; }),
            30000);
        Stop();
        QVERIFY(QFile::rename(docs + "a/renamed.txt", docs + "a/renamed-2.txt"));
        QVERIFY(QDir().mkpath(docs + "b/sub"));
        QVERIFY(QFile::rename(docs + "a/moved.txt", docs + "b/sub/moved.txt"));
        QVERIFY(QFile::rename(shm + "far.txt", docs + "far.txt"));
        QVERIFY(QFile::copy(docs + "a/copied.txt", docs + "b/copied.txt"));
        QVERIFY(QFile::copy(docs + "a/copied.txt", docs + "copied.txt"));
        // Copied as a file manager copies, the time kept: the copies are then
        // candidates whether or not the contents were read before the close.
        struct stat original {};
        QVERIFY(stat(QFile::encodeName(docs + "a/copied.txt").constData(), &original) == 0);
        const timespec times[2] = {original.st_atim, original.st_mtim};
        for (const char* copy : {"b/copied.txt", "copied.txt"})
            QVERIFY(utimensat(AT_FDCWD, QFile::encodeName(docs + copy).constData(), times, 0) == 0);
        QVERIFY(QFile::remove(docs + "a/copied.txt"));
        QVERIFY(QFile::remove(docs + "a/lookalike.txt"));
        WriteFile(docs + "b/lookalike.txt", "content of a/lookalikeXXX");
        QVERIFY(QFile::remove(docs + "a/reused.txt"));
        QVERIFY(QFile::remove(docs + "a/deleted.txt"));
        // An unrelated file now holds the inode the stored facts name.
        const QString stranger = WriteFile(docs + "b/stranger.bin", "unrelated");
        AM_Vollo::OpenRepository();
        const qint32 reusedID =
            gRepository->RunSQL("SELECT ID FROM files WHERE path LIKE '%reused.txt.lnk'")
                .Field(0)
                .toInt();
        CFileFacts reused = gRepository->FactsOf().value(reusedID);
        const CFileFacts strangerFacts = CFileFacts::Read(stranger);
        reused.device = strangerFacts.device;
        reused.inode = strangerFacts.inode;
        gRepository->StoreFacts(reusedID, reused);
        AM_Vollo::ReleaseRepository();

        // The two copies are offered to the user, who skips.
        qsizetype offered = 0;
        QTimer skipper;
        connect(&skipper, &QTimer::timeout, [&] {
            if (auto* d = qobject_cast<FormChooseMove*>(QApplication::activeModalWidget())) {
                offered = d->findChild<QListWidget*>("ListCandidates")->count();
                d->findChild<QPushButton*>("ButtonSkip")->click();
            }
        });
        skipper.start(20);
        ModalAnswerer answerer;
        Start();
        QTRY_COMPARE(answerer.Count(), 1);
        QCOMPARE(offered, 2);
        QVERIFY2(answerer.Texts()[0].startsWith("3 件の文書をつなぎ直しました。"),
                 qPrintable(answerer.Texts()[0]));
        QVERIFY2(answerer.Texts()[0].endsWith("4 件の文書は見つかりませんでした。"),
                 qPrintable(answerer.Texts()[0]));
        QCOMPARE(Target("renamed.txt.lnk"), docs + "a/renamed-2.txt");
        QCOMPARE(Target("moved.txt.lnk"), docs + "b/sub/moved.txt");
        QCOMPARE(Target("far.txt.lnk"), docs + "far.txt");
        for (const char* kept : {"copied", "lookalike", "reused", "deleted"})
            QCOMPARE(Target(QString(kept) + ".txt.lnk"), docs + "a/" + kept + ".txt");
        QCOMPARE(Links("deleted.txt.lnk"), 1);
        const auto stillMissing = [] {
            int n = 0;
            for (const CFileFacts& f : gRepository->FactsOf())
                n += f.missing;
            return n;
        };
        QCOMPARE(stillMissing(), 4); // known now: the next start does not walk for them

        // On command, once one of the copies is gone.
        QVERIFY(QFile::remove(docs + "copied.txt"));
        Press("FindMissing");
        QTRY_COMPARE(answerer.Count(), 2);
        QCOMPARE(Target("copied.txt.lnk"), docs + "b/copied.txt");
        QVERIFY(answerer.Texts()[1].startsWith("1 件の文書をつなぎ直しました。"));
    }
    // Two documents that traded names while the program was closed keep
    // their shortcuts; one replaced in place, with a backup beside it, keeps
    // its path. The same when the lists are read after the window is drawn.
    void swapWhileClosed_data() {
        QTest::addColumn<qint64>("drawnFirstFrom");
        QTest::newRow("lists read first") << std::numeric_limits<qint64>::max();
        QTest::newRow("window drawn first") << qint64(1);
    }
    void swapWhileClosed() {
        QFETCH(qint64, drawnFirstFrom);
        const qint64 was = FormMain::FillAfterDrawFrom();
        const auto reset = qScopeGuard([was] { FormMain::setFillAfterDrawFrom(was); });
        const QString docs = DocumentsFolder() + "/";
        const QString a = WriteFile(docs + "a.txt", "first"), b = WriteFile(docs + "b.txt", "2nd");
        const QString c = WriteFile(docs + "c.txt", "third");
        Start();
        QVERIFY(DropOnNode("H2", {a, c}) && DropOnNode("H3", {b}));
        Stop();
        QVERIFY(QFile::rename(a, docs + "t") && QFile::rename(b, a) &&
                QFile::rename(docs + "t", b));
        QVERIFY(QFile::rename(c, c + "~"));
        WriteFile(c, "third, edited");
        ModalAnswerer answerer;
        FormMain::setFillAfterDrawFrom(drawnFirstFrom);
        Start();
        QTRY_COMPARE(answerer.Count(), 1);
        QVERIFY(answerer.Texts()[0].startsWith("2 件の文書をつなぎ直しました。"));
        QCOMPARE((QStringList{Target("a.txt.lnk"), Target("b.txt.lnk"), Target("c.txt.lnk")}),
                 (QStringList{b, a, c}));
        QCOMPARE(List("H0")->Count(), 3);
    }

    // Moves lost to an overflow of the system's event queue are searched for.
    void lostMovesAreSearchedFor() {
        QFile queue("/proc/sys/fs/inotify/max_queued_events");
        const int limit = queue.open(QIODevice::ReadOnly) ? queue.readAll().trimmed().toInt() : 0;
        if (limit <= 0 || limit > 1000000)
            QSKIP("No inotify queue limit to overflow");
        const QString docs = DocumentsFolder() + "/a/";
        const QString doc = WriteFile(docs + "report.txt", "the report");
        const QByteArray churn = QFile::encodeName(WriteFile(docs + "churn"));
        Start();
        QVERIFY(DropOnNode("H2", {doc}));
        ModalAnswerer answerer;
        // Two events a rename, none read meanwhile: the queue overflows, and
        // the move after it is lost.
        for (int i = 0; i <= limit / 2; ++i)
            QCOMPARE(::rename(churn + (i % 2 ? "~" : ""), churn + (i % 2 ? "" : "~")), 0);
        QVERIFY(QFile::rename(doc, docs + "report-2.txt"));
        QTRY_COMPARE(Target("report.txt.lnk"), docs + "report-2.txt");
    }

    // The facts kept of each document (size, date, fingerprint) fill the
    // lists before the disk is read, and the check that follows corrects them.
    void everyWayInFillsFacts_data() {
        QTest::addColumn<QString>("way");
        for (const char* way : {"walk", "recent", "reconcile"})
            QTest::newRow(way) << QString::fromLatin1(way);
    }

    void everyWayInFillsFacts() {
        CVolloDB db;
        db.Create();
        CFileCollector collector(db);
        QFETCH(QString, way);
        const QString doc = WriteFile(DocumentsFolder() + "/in/report.txt", QByteArray(5000, 'r'));
        if (way == "walk") {
            QVERIFY(collector.CollectFound(doc));
        } else if (way == "recent") {
            const QString recent = QDir::homePath() + "/recent/report.txt.lnk";
            MakeLink(doc, recent);
            collector.CollectRecent(recent);
        } else {
            SM_Shortcut::MakeShortcutFile(db.ShortcutFolder(), doc);
            QCOMPARE(CShortcutReconciler(db).Reconcile().registered, 1);
        }
        const QHash<qint32, CFileFacts> facts = db.FactsOf();
        QCOMPARE(facts.size(), 1);
        QCOMPARE(facts.cbegin()->path, doc);
        QCOMPARE(facts.cbegin()->size, qint64(5000));
        // The contents wait for the worker, which takes them through a
        // connection of its own, and only once.
        QCOMPARE(facts.cbegin()->fingerprint, quint64(0));
        CDatabase own;
        own.Open(db.INIFileName());
        CFactStore store(own);
        qint32 after = 0;
        QCOMPARE(CFingerprintWorker::RunBatch(store, &after, 8), 1);
        QCOMPARE(CFingerprintWorker::RunBatch(store, &after, 8), 0);
        QCOMPARE(db.FactsOf().cbegin()->fingerprint, CFileFacts::Read(doc).fingerprint);
        QCOMPARE(store.UnprintedCount(), 0);
    }

    // A walk and a drop make their shortcuts on a second thread. What they
    // register, in which order, under which numbered name, with which facts
    // and desktop tags, and what they leave out in between, is what
    // collecting one document at a time gives.
    void aheadMatchesOneAtATime_data() {
        QTest::addColumn<bool>("drop");
        QTest::newRow("walk") << false;
        QTest::newRow("drop") << true;
    }
    void aheadMatchesOneAtATime() {
        QFETCH(bool, drop);
        const QString tree = DocumentsFolder() + "/same";
        for (int i = 0; i < 300; ++i) {
            const QString folder = tree + QStringLiteral("/f%1/").arg(i / 4);
            const QString doc = WriteFile(folder + QStringLiteral("report%1.txt").arg(i % 4),
                                          QByteArray(i + 1, 'x'));
            if (i % 37 == 0)
                MakeLink(folder + "gone.txt", folder + "link.txt");
            if (i % 41 == 0)
                WriteRaw(QFile::encodeName(folder) + "\x82\xa0.txt");
            if (i % 29 == 0)
                setxattr(QFile::encodeName(doc).constData(), "user.xdg.tags", "a,b", 3, 0);
        }
        QStringList dropped; // the same entries, named in a drop
        CPathFinder lister;
        connect(&lister, &CPathFinder::OnFound, this,
                [&](const QString& name) { dropped << name; });
        connect(&lister, &CPathFinder::OnLeftOut, this,
                [&](const QString& path) { dropped << path; });
        lister.FindFile(tree);
        const auto collect = [&](bool ahead) {
            QDir(RepositoryFolder()).removeRecursively();
            SM_Shortcut::ForgetFolders();
            CVolloDB db;
            db.Create();
            CFileCollector collector(db);
            CTagImport import(db);
            collector.setTagImport(&import);
            CPathFinder finder;
            CCollectWalk walk(db, finder, collector);
            connect(&finder, &CPathFinder::OnFound, this, [&](const QString& name) {
                if (ahead)
                    walk.Found(name);
                else
                    collector.CollectFound(name, 0, finder.FoundStat());
            });
            if (drop && ahead) {
                collector.AddDroppedFiles(dropped, 0);
            } else if (drop) {
                collector.BeginBatch();
                for (const QString& file : std::as_const(dropped))
                    collector.CollectFile(file);
                collector.EndBatch();
            } else if (ahead) {
                walk.Run(tree);
            } else {
                connect(&finder, &CPathFinder::OnLeftOut, this,
                        [&](const QString& path, const QString& reason) {
                            collector.LeftOutFound(path, reason);
                        });
                collector.BeginBatch();
                finder.FindFile(tree);
                collector.EndBatch();
            }
            QStringList seen{drop ? QString() : QString::number(collector.Collected())};
            const QHash<qint32, CFileFacts> facts = db.FactsOf();
            QMap<qint32, QString> rows;
            for (CRecordset rs = db.RunQuery("getFileNameAll"); !rs.IsEOF(); rs.MoveNext()) {
                const qint32 id = rs.Field(0).toInt();
                const QString shortcut = rs.Field(1).toString();
                rows.insert(id, QFileInfo(shortcut).fileName() + " > " +
                                    QFile::symLinkTarget(shortcut) + " = " + facts[id].path + " " +
                                    QString::number(facts[id].size));
            }
            seen << rows.values();
            for (const CLeftOut::Item& item : collector.LeftOut().Items())
                seen << item.Path + ": " + item.Reason;
            for (const CTagImport::Offer& offer : import.Offers())
                for (const qint32 id : offer.files)
                    seen << offer.name + " " + rows.value(id);
            return seen;
        };
        const QStringList ahead = collect(true);
        QCOMPARE(ahead.size(), 1 + 300 + 9 + 8 + 2 * 11);
        QCOMPARE(ahead, collect(false));
    }

    // A list longer than the runs it is filled in: the check of each row
    // updates that row, not a neighbour (every document grew since it was
    // registered, neighbours to different sizes).
    void longListChecksEachRow() {
        CVolloDB db;
        db.Create();
        CFileCollector collector(db);
        const QString docs = DocumentsFolder() + "/long";
        QStringList paths;
        for (int i = 0; i < 4200; ++i)
            paths << WriteFile(docs + QStringLiteral("/d%1.txt").arg(i), "x");
        collector.AddDroppedFiles(paths, 1);
        for (int i = 0; i < paths.size(); ++i)
            WriteFile(paths[i], QByteArray(qsizetype(i % 2 + 1) * 2048, 'y'));
        ShownList root(db);
        QTRY_COMPARE_WITH_TIMEOUT(root.finished.count(), 1, 60000);
        root.list->Model()->Flush();
        const QHash<qint32, QStringList> shown = Rows(root.list);
        QCOMPARE(shown.size(), paths.size());
        for (const QStringList& row : shown) {
            const int i = row.at(0).mid(1).chopped(4).toInt();
            QCOMPARE(row.at(1), BM_Library::SizeText(qint64(i % 2 + 1) * 2048));
        }
    }

    void listShowsFactsThenFollowsTheDisk() {
        CVolloDB db;
        db.Create();
        CFileCollector collector(db);
        const QString docs = DocumentsFolder() + "/set";
        const QString gone = WriteFile(docs + "/gone.txt", QByteArray(3000, 'g'));
        const QString grown = WriteFile(docs + "/grown.txt", QByteArray(3000, 'x'));
        collector.AddDroppedFiles({gone, grown}, 1);
        const QHash<qint32, CFileFacts> facts = db.FactsOf();
        qint32 goneID = 0, grownID = 0;
        for (auto it = facts.cbegin(); it != facts.cend(); ++it)
            (it->path == gone ? goneID : grownID) = it.key();
        QVERIFY(goneID && grownID);
        db.AddFileTag(goneID, 2);

        // The documents' folder moves away: the list still shows every row
        // from what is stored, and the check finds them all missing.
        QVERIFY(QDir().rename(docs, docs + ".away"));
        ShownList root(db);
        const QHash<qint32, QStringList> shown = Rows(root.list);
        QCOMPARE(shown.value(goneID),
                 (QStringList{"gone.txt", BM_Library::SizeText(3000), shown[goneID][2]}));
        QCOMPARE(shown.size(), 2);
        QTRY_COMPARE(root.finished.count(), 1);
        for (const QStringList& row : Rows(root.list))
            QCOMPARE(row.at(1), QStringLiteral("見つかりません"));

        // Back in place, with one document deleted and one grown; the
        // selected row stays selected.
        QVERIFY(QDir().rename(docs + ".away", docs));
        QVERIFY(QFile::remove(gone));
        WriteFile(grown, QByteArray(9000, 'y'));
        root.filler.ShowTagFiles(&root.view, 1);
        for (int i = 1; i <= root.list->ListItemCount(); ++i)
            if (BM_Library::KeyToID(root.list->ListItem(i).Key()) == grownID)
                root.list->setSelectedItem(root.list->ListItem(i));
        QTRY_COMPARE(root.finished.count(), 2);
        const QHash<qint32, QStringList> after = Rows(root.list);
        QCOMPARE(after.size(), 2);
        QCOMPARE(after.value(goneID).at(1), QStringLiteral("見つかりません"));
        QCOMPARE(after.value(grownID).at(1), BM_Library::SizeText(9000));
        QCOMPARE(BM_Library::KeyToID(root.list->SelectedItem().Key()), grownID);
        // The repository: the missing document keeps its categories, the
        // grown one has fresh facts.
        QCOMPARE(db.GetTagOfFile(goneID).RecordCount(), 2);
        QVERIFY(db.FactsOf({goneID}).value(goneID).missing);
        QCOMPARE(db.FactsOf({grownID}).value(grownID).size, qint64(9000));
    }

    // Categories mirrored into the desktop's tags: after every change each
    // document's attribute holds its categories after the tags others wrote,
    // which stay byte for byte; contents and times never change. A document
    // that cannot carry tags is skipped and listed. Steps: link/unlink TAG
    // DOCS, rename TAG NAME, delete TAG, off, fault DOCS.
    void desktopTags_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QList<QByteArray>>("tags");
        QTest::addColumn<int>("skipped");
        const QByteArray own = QByteArray("仕事"), personal = QByteArray("個人");
        QTest::newRow("link") << "link 1 012;link 3 0"
                              << QList<QByteArray>{"Dolphin/Nest, x,仕事,重要", own, own} << 0;
        QTest::newRow("unlink") << "link 1 012;unlink 1 02"
                                << QList<QByteArray>{"Dolphin/Nest, x", own, own} << 0;
        QTest::newRow("rename") << "link 1 012;rename 1 Work"
                                << QList<QByteArray>{"Dolphin/Nest, x,Work", "Work", own + ",Work"}
                                << 0;
        QTest::newRow("delete") << "link 1 01;link 2 1;delete 1"
                                << QList<QByteArray>{"Dolphin/Nest, x", personal, own} << 0;
        QTest::newRow("off") << "link 1 012;off" << QList<QByteArray>{"Dolphin/Nest, x", "", own}
                             << 0;
        // Nested categories are written after their ancestors, and moving
        // or renaming a parent rewrites its children's documents.
        QTest::newRow("nest") << "link 1 01;link 2 0;nest 2 1"
                              << QList<QByteArray>{"Dolphin/Nest, x,仕事,仕事/個人", own, own} << 0;
        QTest::newRow("un-nest") << "link 1 01;link 2 0;nest 2 1;nest 2 0"
                                 << QList<QByteArray>{"Dolphin/Nest, x,仕事,個人", own, own} << 0;
        QTest::newRow("rename parent")
            << "link 2 0;nest 2 1;rename 1 Work"
            << QList<QByteArray>{"Dolphin/Nest, x,Work/個人", "", own} << 0;
        QTest::newRow("delete parent") << "link 1 0;link 2 0;nest 2 1;delete 1"
                                       << QList<QByteArray>{"Dolphin/Nest, x,個人", "", own} << 0;
        QTest::newRow("skipped") << "fault 1;link 1 012"
                                 << QList<QByteArray>{"Dolphin/Nest, x,仕事", "", own} << 1;
    }
    void desktopTags() {
        QFETCH(QString, steps);
        QFETCH(QList<QByteArray>, tags);
        TaggedDocs docs({"Dolphin/Nest, x", {}, "仕事"});
        CTagMirror mirror(docs.db);
        mirror.setSetting(CTagMirror::State::On);
        mirror.WriteAll();
        CCategoryLinks links(docs.db);
        links.setTagMirror(&mirror);
        const auto restore = qScopeGuard([] { CXdgTags::setFaultHook({}); });
        for (const QString& step : steps.split(';')) {
            const QStringList w = step.split(' ');
            QList<qint32> files;
            QList<int> at;
            // A rename's third word is the new name, not documents.
            const QString docsWord =
                w[0] == "rename" || w[0] == "nest" ? QString() : w.value(w[0] == "fault" ? 1 : 2);
            for (QChar c : docsWord) {
                at << c.digitValue();
                files << docs.ids[at.last()];
            }
            const qint32 tag = w.value(1).toInt();
            const QList<qint32> under = mirror.FilesUnder(tag);
            if (w[0] == "link")
                links.LinkFiles(files, tag);
            else if (w[0] == "unlink")
                links.UnlinkFiles(files, tag);
            else if (w[0] == "rename")
                CCategoryStore(docs.db).Rename(tag, w[2]);
            else if (w[0] == "delete")
                CCategoryStore(docs.db).Delete(tag);
            else if (w[0] == "nest")
                CCategoryStore(docs.db).SetParent(tag, w[2].toInt());
            else if (w[0] == "off")
                mirror.RemoveAll();
            else if (w[0] == "fault")
                CXdgTags::setFaultHook([path = docs.paths[at[0]]](const QString& p, bool write) {
                    return write && p == path ? ENOTSUP : 0;
                });
            // As the window and the command line do after such a change.
            if (w[0] == "delete")
                mirror.Update(under);
            else if (w[0] == "rename" || w[0] == "nest")
                mirror.UpdateCategory(tag);
        }
        QCOMPARE(docs.Tags(), tags);
        QFETCH(int, skipped);
        QCOMPARE(mirror.Skipped().Count(), skipped);
        QCOMPARE(mirror.SkippedNotice().contains(docs.paths[1]), skipped > 0);
    }

    // Tags written the way file managers write them become categories once
    // accepted: nested names kept as typed, blanks and empty parts dropped,
    // names that are no UTF-8 kept out and told, a tag the document already
    // carries as a category not offered again.
    void importTags_data() {
        QTest::addColumn<QList<QByteArray>>("tags");
        QTest::addColumn<QStringList>("offers"); // name=count
        QTest::addColumn<int>("refused");
        QTest::addColumn<int>("made"); // categories, nested parents included
        QTest::newRow("KDE") << QList<QByteArray>{"Projekt/Alpha,Urlaub", "Urlaub", {}}
                             << QStringList{"Projekt/Alpha=1", "Urlaub=2"} << 0 << 3;
        QTest::newRow("spacing") << QList<QByteArray>{" Urlaub ,, Projekt/Alpha ,", ",", " Urlaub"}
                                 << QStringList{"Urlaub=2", "Projekt/Alpha=1"} << 0 << 3;
        QTest::newRow("not UTF-8")
            << QList<QByteArray>{"\xff\xfe,ok", {}, "ok,ok"} << QStringList{"ok=2"} << 1 << 1;
        QTest::newRow("already a category") << QList<QByteArray>{"仕事,neu", "仕事", {}}
                                            << QStringList{"仕事=1", "neu=1"} << 0 << 1;
        QTest::newRow("nested") << QList<QByteArray>{"Projekt/Alpha, Projekt / Beta /",
                                                     "仕事/x",
                                                     {}}
                                << QStringList{"Projekt/Alpha=1", "Projekt / Beta /=1", "仕事/x=1"}
                                << 0 << 4;
    }
    void importTags() {
        QFETCH(QList<QByteArray>, tags);
        TaggedDocs docs(tags);
        docs.db.AddFileTag(docs.ids[0], 1); // the first document is filed under 仕事
        QStringList offered;
        const QList<CTagImport::Offer> offers = docs.import.Offers();
        for (const CTagImport::Offer& offer : offers)
            offered << QStringLiteral("%1=%2").arg(offer.name).arg(offer.files.size());
        QTEST(offered, "offers");
        QTEST(int(docs.import.Refused().Count()), "refused");
        const auto made = docs.import.Accept(offers);
        const auto idOf = [&docs](const QString& name) {
            return docs.db.RunSQL("SELECT ID FROM tags WHERE tagName = '" + name + "'")
                .Field(0)
                .toInt();
        };
        const CCategoryStore::ParentMap parents = CCategoryStore(docs.db).Parents();
        for (const CTagImport::Offer& offer : offers) {
            // Each part of the name is a category below the one before.
            qint32 parent = 0;
            for (const QString& part : CTagImport::PathOf(offer.name)) {
                const qint32 id = idOf(part);
                QVERIFY2(id > 0 && parents.value(id) == parent, qPrintable(offer.name));
                parent = id;
            }
            QVERIFY(docs.FilesOf(parent).size() >= offer.files.size());
        }
        QTEST(int(made.size()), "made");
        QVERIFY(docs.import.Offers().isEmpty()); // linked now: nothing new
    }

    void rowsWithoutFactsStillShow() {
        CVolloDB db;
        db.Create();
        CFileCollector collector(db);
        const QString doc = WriteFile(DocumentsFolder() + "/old.txt", QByteArray(2048, 'o'));
        collector.AddDroppedFiles({doc}, 1);
        db.RunSQL("DELETE FROM filefacts"); // as before the upgrade
        ShownList root(db);
        const QStringList row = Rows(root.list).values().value(0);
        QCOMPARE(row.mid(0, 2), (QStringList{"old.txt", BM_Library::SizeText(2048)}));
        QVERIFY(!row.at(2).isEmpty());
        QTRY_COMPARE(root.finished.count(), 1);
        QCOMPARE(db.FactsOf().size(), 1); // filled for next time
    }
};

QTEST_MAIN(TestCollect)
#include "tst_collect.moc"

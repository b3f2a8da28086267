#include "support_app.h"

#include "AM_Vollo.h"
#include "CCategory.h"
#include "CFileFacts.h"
#include "CLanguage.h"
#include "CMoveFollower.h"
#include "CMoveWatcher.h"
#include "CVolloDB.h"
#include "FormChooseMove.h"
#include "FormMain.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>
#include <unistd.h>

using AM_Vollo::gRepository;
using namespace AppTest;

namespace {

QString Target(const QString& shortcutName) {
    char buffer[4096];
    const ssize_t n =
        readlink(QFile::encodeName(RepositoryFolder() + "/" + shortcutName).constData(), buffer,
                 sizeof buffer);
    return n < 0 ? QString() : QFile::decodeName(QByteArray(buffer, int(n)));
}
int Links(const QString& shortcutName) {
    return gRepository
        ->RunSQL(QString("SELECT COUNT(*) FROM filetags JOIN files ON files.ID = filetags.fileID"
                         " WHERE files.path LIKE '%%1'")
                     .arg(shortcutName))
        .Field(0)
        .toInt();
}
bool SecondDevice(const QString& shm) {
    struct stat a {
    }, b{};
    return !shm.isEmpty() && stat(qPrintable(shm), &a) == 0 &&
           stat(qPrintable(DocumentsFolder()), &b) == 0 && a.st_dev != b.st_dev;
}

} // namespace

// Documents renamed or moved, while the program runs and while it is closed:
// each shortcut follows its own document, keeps its name and categories, and
// is never pointed at a file that might be another document.
class TestMoves : public QObject {
    Q_OBJECT

private:
    FormMain* m_form = nullptr;

    FormMain* Start() {
        AM_Vollo::OpenRepository();
        gRepository->RunQuery("setFirstStart");
        return m_form = AM_Vollo::ShowMainForm();
    }
    void Stop() {
        if (m_form != nullptr)
            m_form->close();
        delete m_form;
        m_form = AM_Vollo::gMainForm = nullptr;
        AM_Vollo::ReleaseRepository();
    }
    void Register(const QStringList& files) {
        QTreeWidget* tree = m_form->findChild<QTreeWidget*>("TreeViewTag");
        QTreeWidgetItem* node = m_form->Category()->Node("H2");
        QVERIFY(DropFiles(tree->viewport(), files, tree->visualItemRect(node).center()));
    }

private slots:
    void initTestCase() {
        AM_Vollo::SetupApplication();
        // The program's own texts, whatever the test machine's language.
        CLanguage::Load(QLocale(QLocale::Japanese, QLocale::Japan));
    }
    void init() { ResetAll(); }
    void cleanup() { Stop(); }

    void whileRunning_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("rename in place") << "a/report.odt"
                                         << "a/report-final.odt";
        QTest::newRow("move across folders") << "a/report.odt"
                                             << "b/report.odt";
        QTest::newRow("folder renamed") << "a/report.odt"
                                        << "a2/report.odt";
    }
    void whileRunning() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        const QString docs = DocumentsFolder() + "/";
        WriteFile(docs + "b/other.txt");
        Start();
        Register({WriteFile(docs + from, "the report"), docs + "b/other.txt"});
        const QStringList before = Shortcuts();
        QVERIFY(
            QDir(docs).rename(to.startsWith("a2") ? "a" : from, to.startsWith("a2") ? "a2" : to));
        QTRY_COMPARE(Target("report.odt.lnk"), docs + to);
        QCOMPARE(Shortcuts(), before);
        QCOMPARE(Links("report.odt.lnk"), 1);
        const CFileFacts stored = gRepository->FactsOf().value(
            gRepository->RunSQL("SELECT ID FROM files WHERE path LIKE '%report.odt.lnk'")
                .Field(0)
                .toInt());
        QCOMPARE(stored.path, docs + to);
        QVERIFY(!stored.missing);
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
        Register(files);
        Stop();
        QVERIFY(QFile::rename(docs + "a/renamed.txt", docs + "a/renamed-2.txt"));
        QVERIFY(QDir().mkpath(docs + "b/sub"));
        QVERIFY(QFile::rename(docs + "a/moved.txt", docs + "b/sub/moved.txt"));
        QVERIFY(QFile::rename(shm + "far.txt", docs + "far.txt"));
        QVERIFY(QFile::copy(docs + "a/copied.txt", docs + "b/copied.txt"));
        QVERIFY(QFile::copy(docs + "a/copied.txt", docs + "copied.txt"));
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
        QVERIFY(answerer.Texts()[0].startsWith("3 件の文書をつなぎ直しました。"));
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
        m_form->findChild<QAction*>("FindMissing")->trigger();
        QTRY_COMPARE(answerer.Count(), 2);
        QCOMPARE(Target("copied.txt.lnk"), docs + "b/copied.txt");
        QVERIFY(answerer.Texts()[1].startsWith("1 件の文書をつなぎ直しました。"));
    }
};

QTEST_MAIN(TestMoves)
#include "tst_moves.moc"

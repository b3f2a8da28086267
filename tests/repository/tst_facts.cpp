#include "CFactStore.h"
#include "CFileFacts.h"
#include "CVolloDB.h"
#include "FaultVfs.h"
#include "support_repository.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <sqlite3.h>
#include <unistd.h>

namespace {

// A document with a shortcut to it in the repository folder.
QString MakeDocument(const CFreshDataHome& home, const QString& name, const QByteArray& content) {
    const QString docs = home.DataHome() + QStringLiteral("/docs/");
    QDir().mkpath(docs);
    QDir().mkpath(home.RepositoryFolder());
    QFile file(docs + name);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    file.close();
    QString link = home.RepositoryFolder() + name + QStringLiteral(".lnk");
    symlink(QFile::encodeName(docs + name).constData(), QFile::encodeName(link).constData());
    return link;
}

// Statements on the repository from outside the program, as an older
// version or another tool would leave it.
QVariant Outside(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    QVariant value;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        value = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return value;
}

// A repository of the version before stored facts, holding two documents.
void MakeOldRepository(const CFreshDataHome& home) {
    {
        CVolloDB db;
        db.Create();
        db.AddFileName(MakeDocument(home, QStringLiteral("a.txt"), "alpha"));
        db.AddFileName(MakeDocument(home, QStringLiteral("b.txt"), QByteArray(300000, 'b')));
    }
    Outside(home.RepositoryFile(), "DROP TABLE filefacts");
    Outside(home.RepositoryFile(), "PRAGMA user_version = 0");
}

QByteArray Digest(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestFacts : public QObject {
    Q_OBJECT

private slots:
    void fingerprintCoversSizeHeadAndTail_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("changeAt");
        QTest::addColumn<bool>("seen");
        const QByteArray large(400000, 'x');
        QTest::newRow("small file, any byte") << QByteArray("hello") << qint64(3) << true;
        QTest::newRow("large file, head") << large << qint64(10) << true;
        QTest::newRow("large file, tail") << large << qint64(399990) << true;
        QTest::newRow("large file, middle unread") << large << qint64(200000) << false;
    }

    void fingerprintCoversSizeHeadAndTail() {
        QFETCH(QByteArray, content);
        QFETCH(qint64, changeAt);
        QFETCH(bool, seen);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        const CFileFacts before = CFileFacts::Read(path);
        content[changeAt] = '!';
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        const CFileFacts after = CFileFacts::Read(path);
        QVERIFY(!before.missing);
        QCOMPARE(before.size, qint64(content.size()));
        QCOMPARE(before.fingerprint != after.fingerprint, seen);
        QVERIFY(CFileFacts::Read(dir.filePath(QStringLiteral("none"))).missing);
    }

    void registrationFillsFacts() {
        CFreshDataHome home;
        CVolloDB db;
        db.Create();
        const QString link = MakeDocument(home, QStringLiteral("doc.txt"), "content");
        const qint32 id = db.AddFileName(link);
        const CFileFacts facts = db.FactsOf({id}).value(id);
        QCOMPARE(facts.path, home.DataHome() + QStringLiteral("/docs/doc.txt"));
        QCOMPARE(facts.size, qint64(7));
        QVERIFY(!facts.missing && facts.inode != 0 && facts.fingerprint != 0);
        // The facts leave with their file.
        db.DelFileName(link);
        QVERIFY(db.FactsOf().isEmpty());
    }

    void upgradeFillsFactsOnce() {
        CFreshDataHome home;
        MakeOldRepository(home);
        qint64 told = 0;
        {
            CVolloDB db;
            db.setUpgradeProgress([&told](qint64 done, qint64 total) {
                QCOMPARE(total, qint64(2));
                told = done;
            });
            db.Create();
            QCOMPARE(told, qint64(2));
            const QHash<qint32, CFileFacts> facts = db.FactsOf();
            QCOMPARE(facts.size(), 2);
            for (const CFileFacts& f : facts)
                QVERIFY(!f.missing && f.fingerprint != 0);
        }
        QCOMPARE(Outside(home.RepositoryFile(), "PRAGMA user_version").toInt(),
                 CFactStore::kSchemaVersion);
        // Not redone: facts taken away from outside stay away.
        Outside(home.RepositoryFile(), "DELETE FROM filefacts");
        told = 0;
        CVolloDB again;
        again.setUpgradeProgress([&told](qint64 done, qint64) { told = done; });
        again.Create();
        QCOMPARE(told, qint64(0));
        QVERIFY(again.FactsOf().isEmpty());
    }

    void upgradeNeverWritesAnUnwritableRepository_data() {
        QTest::addColumn<int>("code");
        QTest::newRow("read-only file") << SQLITE_READONLY;
        QTest::newRow("full disk") << SQLITE_FULL;
    }

    void upgradeNeverWritesAnUnwritableRepository() {
        QFETCH(int, code);
        CFreshDataHome home;
        MakeOldRepository(home);
        const QByteArray before = Digest(home.RepositoryFile());
        FaultVfs::Install();
        FaultVfs::Arm(1, code);
        CVolloDB db;
        db.Create();
        const bool readOnly = db.IsReadOnly();
        const bool hasFacts = db.HasFacts();
        const qsizetype rows = db.RunQuery(QStringLiteral("getFileNameAll")).RecordCount();
        FaultVfs::Disarm();
        QVERIFY(readOnly);
        QVERIFY(!hasFacts);
        QCOMPARE(rows, qsizetype(2)); // the lists still read
        QCOMPARE(Digest(home.RepositoryFile()), before);
    }
};

QTEST_GUILESS_MAIN(TestFacts)
#include "tst_facts.moc"

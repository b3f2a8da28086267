// Runs the real `vollo` with subcommands on the test's throw-away home.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <memory>

#include <algorithm>
#include <array>
#include <cstdio>
#include <sqlite3.h>
#include <sys/xattr.h>
#include <unistd.h>

class TestCli : public QObject {
    Q_OBJECT

    struct Run {
        int status = -1;
        QByteArray out;
        QByteArray err;
    };

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_window;

    static Run Vollo(const QList<QByteArray>& arguments, const QByteArray& input = {},
                     const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
        QProcess process;
        process.setProcessEnvironment(env);
        // QProcess passes text; bytes that are no UTF-8 go through printf.
        QByteArray script = "exec \"$0\"";
        for (const QByteArray& a : arguments) {
            script += " \"$(printf '%b' '";
            for (char c : a)
                script += QByteArray::number(uchar(c), 8).prepend("\\0");
            script += "')\"";
        }
        process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromUtf8(script),
                                                  QStringLiteral(VOLLO_BINARY)});
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    QByteArray Doc(const char* name) const {
        return QFile::encodeName(m_dir.filePath(QString::fromUtf8(name)));
    }

    void Write(const char* name) {
        QFile f(m_dir.filePath(QString::fromUtf8(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(name);
    }

    // The number of documents in a backup, or -1 when it is not whole.
    static qint64 SoundCount(const QByteArray& file) {
        sqlite3* db = nullptr;
        sqlite3_stmt* st = nullptr;
        qint64 count = -1;
        if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
            sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW &&
            QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) == "ok") {
            sqlite3_finalize(st);
            sqlite3_prepare_v2(db, "SELECT count(*) FROM files", -1, &st, nullptr);
            if (sqlite3_step(st) == SQLITE_ROW)
                count = sqlite3_column_int64(st, 0);
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
        return count;
    }

    // Whether another connection holds the repository's write lock.
    static bool Writing(const QByteArray& file) {
        sqlite3* db = nullptr;
        const bool busy =
            sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
            sqlite3_exec(db, "BEGIN IMMEDIATE; ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_BUSY;
        sqlite3_close(db);
        return busy;
    }

    QStringList Lines(const QByteArray& out, char separator = '\n') {
        QStringList lines;
        for (const QByteArray& line : out.split(separator))
            if (!line.isEmpty())
                lines << QString::fromUtf8(line);
        return lines;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("tree/sub")));
        for (const char* name : {"a.txt", "b \"q\".pdf", "new\nline.txt", "tree/c.txt",
                                 "tree/sub/d.md", "tree/skip.bin"})
            Write(name);
    }

    void cleanupTestCase() {
        if (m_window) {
            m_window->kill();
            m_window->waitForFinished();
        }
    }

    // Each subcommand in turn on one repository: its status, what it said.
    void commands_data() {
        QTest::addColumn<QList<QByteArray>>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("expected"); // in stdout
        const QByteArray a = Doc("a.txt"), b = Doc("b \"q\".pdf"), n = Doc("new\nline.txt");
        QTest::newRow("new") << QList<QByteArray>{"new-category", "計画"} << 0 << QByteArray();
        QTest::newRow("new twice")
            << QList<QByteArray>{"new-category", "計画"} << 1 << QByteArray();
        QTest::newRow("tag collects")
            << QList<QByteArray>{"tag", "計画", a, b, n} << 0 << QByteArray();
        QTest::newRow("tag missing file")
            << QList<QByteArray>{"tag", "計画", Doc("none.txt")} << 1 << QByteArray();
        QTest::newRow("tag unknown category")
            << QList<QByteArray>{"tag", "無い", a} << 1 << QByteArray();
        QTest::newRow("list") << QList<QByteArray>{"list", "計画"} << 0 << a + '\n' + b + '\n';
        QTest::newRow("untag") << QList<QByteArray>{"untag", "計画", b} << 0 << QByteArray();
        QTest::newRow("untag unknown")
            << QList<QByteArray>{"untag", "計画", Doc("tree/c.txt")} << 1 << QByteArray();
        QTest::newRow("add") << QList<QByteArray>{"add", Doc("tree"), "-c", "重要"} << 0
                             << QByteArray();
        QTest::newRow("categories")
            << QList<QByteArray>{"categories"} << 0 << QByteArray("重要\t2\n計画\t2\n");
        QTest::newRow("rename") << QList<QByteArray>{"rename-category", "計画", "予定"} << 0
                                << QByteArray();
        QTest::newRow("delete unasked")
            << QList<QByteArray>{"delete-category", "予定"} << 2 << QByteArray();
        QTest::newRow("delete") << QList<QByteArray>{"delete-category", "--yes", "予定"} << 0
                                << QByteArray();
        QTest::newRow("check") << QList<QByteArray>{"check"} << 0 << QByteArray();
        QTest::newRow("bad option") << QList<QByteArray>{"list", "--nope"} << 2 << QByteArray();
        QTest::newRow("help") << QList<QByteArray>{"tag", "--help"} << 0 << QByteArray("CATEGORY");
        QTest::newRow("not utf-8")
            << QList<QByteArray>{"tag", "重要", Doc("x\xff.txt")} << 1 << QByteArray();
    }
    void commands() {
        QFETCH(QList<QByteArray>, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, expected);
        const Run run = Vollo(arguments);
        QVERIFY2(run.status == status, run.err.constData());
        if (status != 0)
            QVERIFY(!run.err.isEmpty());
        QVERIFY2(run.out.contains(expected), run.out.constData());
        if (arguments.constFirst() == "tag" && status == 1 && arguments.last().contains('\xff'))
            QVERIFY(run.err.contains(arguments.last())); // named as typed, not mangled
    }

    // -0 and --json carry names with quotes and newlines whole.
    void listFormats() {
        const Run zero = Vollo({"list", "-0"});
        QCOMPARE(zero.status, 0);
        QVERIFY(Lines(zero.out, '\0').contains(QFile::decodeName(Doc("new\nline.txt"))));
        const Run json = Vollo({"list", "--json", "重要"});
        QCOMPARE(json.status, 0);
        const QJsonArray rows = QJsonDocument::fromJson(json.out).array();
        QCOMPARE(rows.size(), 2);
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QJsonValue row = rows.at(i);
            QCOMPARE(row[QStringLiteral("categories")].toArray().first().toString(),
                     QStringLiteral("重要"));
            QVERIFY(row[QStringLiteral("size")].toInt() > 0);
            QVERIFY(!row[QStringLiteral("modified")].toString().isEmpty());
        }
    }

    // A damaged repository: commands open it without reading it through,
    // yet fail on the damaged pages they read or write, naming the file.
    void damagedRepository() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString home = m_dir.filePath("damaged");
        env.insert("HOME", home);
        env.insert("XDG_DATA_HOME", home + "/data");
        env.insert("XDG_CONFIG_HOME", home + "/config");
        QCOMPARE(Vollo({"add", Doc("tree")}, {}, env).status, 0);
        const QByteArray file = QFile::encodeName(home + "/data/Vollo/reposit.db");
        sqlite3* db = nullptr;
        sqlite3_stmt* st = nullptr;
        sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_master WHERE name = 'files'", -1, &st,
                           nullptr);
        QCOMPARE(sqlite3_step(st), SQLITE_ROW);
        const qint64 page = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(db);
        QFile f(QFile::decodeName(file));
        QVERIFY(f.open(QIODevice::ReadWrite) && f.seek((page - 1) * 4096));
        QVERIFY(f.write(QByteArray(4096, '\xff')) == 4096);
        f.close();
        for (const QList<QByteArray>& arguments :
             {QList<QByteArray>{"list"}, QList<QByteArray>{"tag", "重要", Doc("a.txt")}}) {
            const Run run = Vollo(arguments, {}, env);
            QCOMPARE(run.status, 1);
            QVERIFY2(run.out.isEmpty() && run.err.contains("reposit.db"), run.err.constData());
        }
    }

    // An export taken in, on an empty repository, gives the same export.
    void exportImportRoundTrip_data() {
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("json") << QByteArray("json");
        QTest::newRow("csv") << QByteArray("csv");
    }
    void exportImportRoundTrip() {
        QFETCH(QByteArray, format);
        if (format == "json") {
            // A saved search as the window stores it goes out and comes back once.
            const QByteArray repository = QFile::encodeName(
                QDir::homePath() + QStringLiteral("/.local/share/Vollo/reposit.db"));
            sqlite3* db = nullptr;
            QCOMPARE(sqlite3_open_v2(repository.constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
                     SQLITE_OK);
            QCOMPARE(
                sqlite3_exec(db,
                             "CREATE TABLE IF NOT EXISTS savedsearch (ID INTEGER PRIMARY KEY, "
                             "name TEXT NOT NULL, query TEXT NOT NULL); INSERT INTO "
                             "savedsearch (name, query) VALUES ('A & \"B\"', '重要 -type:pdf')",
                             nullptr, nullptr, nullptr),
                SQLITE_OK);
            sqlite3_close(db);
        }
        const QByteArray file = QFile::encodeName(m_dir.filePath(QStringLiteral("export.")) +
                                                  QString::fromLatin1(format));
        QCOMPARE(Vollo({"export", "--format", format, file}).status, 0);
        const Run before = Vollo({"export", "--format", format});
        if (format == "json")
            QVERIFY(before.out.contains("\"name\": \"A & \\\"B\\\"\""));
        QVERIFY(QDir(QDir::homePath() + QStringLiteral("/.local/share/Vollo")).removeRecursively());
        QCOMPARE(Vollo({"import", file}).status, 0);
        QCOMPARE(Vollo({"export", "--format", format}).out, before.out);
        // Again: nothing is registered twice.
        QCOMPARE(Vollo({"import", file}).status, 0);
        QCOMPARE(Vollo({"export", "--format", format}).out, before.out);
        QCOMPARE(Vollo({"import", Doc("a.txt")}).status, 1);
    }

    // The window's start, on the real program: no display is said plainly,
    // and two starts at once on a new home leave one window.
    void windowStarts() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":87"));
        QProcess dead;
        dead.setProcessEnvironment(env);
        dead.start(QStringLiteral(VOLLO_BINARY), {});
        QVERIFY(dead.waitForFinished(30000));
        QCOMPARE(dead.exitStatus(), QProcess::NormalExit);
        QCOMPARE(dead.exitCode(), 1);
        QVERIFY(dead.readAllStandardError().contains(":87"));
        // A file manager's "Vollo categories…" where no window can be shown.
        QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            bare.remove(name);
        QProcess none;
        none.setProcessEnvironment(bare);
        none.start(QStringLiteral(VOLLO_BINARY), {"--categories", Doc("a.txt")});
        QVERIFY(none.waitForFinished(30000));
        QCOMPARE(none.exitCode(), 1);
        QVERIFY(none.readAllStandardError().contains("DISPLAY"));

        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("newhome")));
        // Held back until the go file appears, the starts run at the same
        // instant: started one by one, the first is listening before the
        // next asks, and a race between them is never seen.
        const QString go = m_dir.filePath(QStringLiteral("go"));
        std::array<QProcess, 3> starts;
        for (QProcess& p : starts) {
            p.setProcessEnvironment(env);
            p.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"),
                     QStringLiteral("while [ ! -e \"$1\" ]; do sleep 0.01; done; exec \"$0\""),
                     QStringLiteral(VOLLO_BINARY), go});
        }
        QTest::qWait(300);
        QVERIFY(QFile(go).open(QIODevice::WriteOnly));
        const auto running = [&starts] {
            return std::count_if(starts.begin(), starts.end(), [](const QProcess& p) {
                return p.state() != QProcess::NotRunning;
            });
        };
        QTRY_COMPARE_WITH_TIMEOUT(running(), 1, 30000);
        // The one left stays, waiting on its first-start question, its
        // window whole: a polite end answers the question and closes the
        // window, and the new repository is sound.
        QTest::qWait(1000);
        QCOMPARE(running(), 1);
        for (QProcess& p : starts) {
            if (p.state() == QProcess::NotRunning) {
                QCOMPARE(p.exitCode(), 0);
                continue;
            }
            p.terminate();
            QVERIFY(p.waitForFinished(30000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        }
        QProcess check;
        check.setProcessEnvironment(env);
        check.start(QStringLiteral(VOLLO_BINARY), {QStringLiteral("check")});
        QVERIFY(check.waitForFinished(30000));
        QCOMPARE(check.exitCode(), 0);
    }

    void backup() {
        const QByteArray file = Doc("backup.db");
        QCOMPARE(Vollo({"backup", file}).status, 0);
        QVERIFY(SoundCount(file) >= 5);
    }

    // Beside a window that registers 20,000 shortcuts as it starts (one long
    // write): a tag waits for it, or says plainly it could not, and every
    // backup taken meanwhile is whole.
    void besideWindow() {
        constexpr int kCount = 20000;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString data = m_dir.filePath(QStringLiteral("beside"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), data);
        QCOMPARE(Vollo({"new-category", "計画"}, {}, env).status, 0);
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("many"))));
        for (int i = 0; i < kCount; ++i) {
            const QByteArray name = "many/d" + QByteArray::number(i) + ".txt";
            Write(name.constData());
            const QByteArray shortcut =
                QFile::encodeName(data) + "/Vollo/d" + QByteArray::number(i) + ".txt.lnk";
            QVERIFY(symlink(Doc(name.constData()).constData(), shortcut.constData()) == 0);
        }
        QProcess window;
        window.setProcessEnvironment(env);
        window.start(QStringLiteral(VOLLO_BINARY), {});
        // The tags begin once the window's write has (a fast machine may
        // have ended it before a poll sees it; that is no fault).
        const QByteArray repository = QFile::encodeName(data) + "/Vollo/reposit.db";
        for (int i = 0; i < 6000 && !Writing(repository) && SoundCount(repository) < kCount; ++i)
            QTest::qWait(10);
        qint64 registered = 0;
        for (int i = 0; registered < kCount && i < 300; ++i) {
            const QByteArray name = "tagged" + QByteArray::number(i);
            Write(name.constData());
            const Run tag = Vollo({"tag", "計画", Doc(name.constData())}, {}, env);
            QVERIFY2(tag.status == 0 || (tag.status == 1 && tag.err.contains("Vollo")),
                     tag.err.constData());
            QCOMPARE(Vollo({"backup", Doc("beside.db")}, {}, env).status, 0);
            registered = SoundCount(Doc("beside.db"));
            QVERIFY(registered >= 0);
        }
        QVERIFY(registered >= kCount);
        window.kill();
        window.waitForFinished();
    }

    // A moved document is relinked; one with two possible places is named,
    // not relinked; a dry run changes nothing.
    void findMissing() {
        const QByteArray c = Doc("tree/c.txt"), moved = Doc("tree/sub/c2.txt");
        const QByteArray d = Doc("tree/sub/d.md"), d1 = Doc("tree/d1.md"), d2 = Doc("tree/d2.md");
        QVERIFY(std::rename(c.constData(), moved.constData()) == 0);
        QVERIFY(std::rename(d.constData(), d1.constData()) == 0);
        QVERIFY(link(d1.constData(), d2.constData()) == 0);
        for (const QList<QByteArray>& command :
             {QList<QByteArray>{"find-missing", "--dry-run"}, QList<QByteArray>{"find-missing"}}) {
            const QByteArray listed = Vollo({"list", "-0"}).out;
            QVERIFY(listed.contains(c) && !listed.contains(moved));
            const Run run = Vollo(command);
            QCOMPARE(run.status, 0);
            QCOMPARE(run.out, c + " → " + moved + '\n');
            QVERIFY2(run.err.contains(d) && run.err.contains(d1) && run.err.contains(d2),
                     run.err.constData());
        }
        const QByteArray listed = Vollo({"list", "-0"}).out;
        QVERIFY(listed.contains(moved) && listed.contains(d) && !listed.contains(c));
        // Put back: a window started later would ask where it went.
        QVERIFY(std::rename(d1.constData(), d.constData()) == 0 && unlink(d2.constData()) == 0);
    }

    // `add` lists the desktop tags it finds and, without a terminal to ask,
    // files by them only with --import-tags; "a/b" is b below a.
    void addImportsTags() {
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("tagged")));
        for (const char* tags : {"Projekt/Alpha, Urlaub", "Urlaub"}) {
            const QByteArray name = "tagged/" + QByteArray(tags, 2) + ".txt";
            Write(name.constData());
            setxattr(Doc(name.constData()).constData(), "user.xdg.tags", tags, strlen(tags), 0);
        }
        const Run listed = Vollo({"add", Doc("tagged")});
        QVERIFY(listed.err.contains("Urlaub (2") && listed.err.contains("--import-tags"));
        QVERIFY(!Vollo({"categories"}).out.contains("Urlaub"));
        QCOMPARE(Vollo({"add", "--import-tags", Doc("tagged")}).status, 0);
        const QByteArray shown = Vollo({"categories"}).out;
        for (const char* row : {"Alpha\t1\n", "Projekt\t0\n", "Urlaub\t2\n"})
            QVERIFY2(shown.contains(row), shown.constData());
    }

    // Each file-manager action run as its file manager runs it, on names
    // with blanks, quotes and Japanese: Exec= split at blanks with %F/%U
    // expanded and "vollo" from PATH, or the script with the names as
    // arguments in their folder. The files end up collected; "Vollo
    // categories…" starts the window when none runs (it stays), then hands
    // the files to it and ends.
    void fileManagerActions_data() {
        QTest::addColumn<QString>("file");    // below data/
        QTest::addColumn<QString>("section"); // holding the Exec= line
        QTest::newRow("Dolphin add") << "org.vollo.Vollo.servicemenu.desktop"
                                     << "addToVollo]";
        QTest::newRow("Nemo add") << "org.vollo.Vollo.nemo_action"
                                  << "]";
        QTest::newRow("Nautilus add") << "file-manager-scripts/Add to Vollo"
                                      << "";
        QTest::newRow("Dolphin categories") << "org.vollo.Vollo.servicemenu.desktop"
                                            << "categories]";
        QTest::newRow("Nemo categories") << "org.vollo.Vollo.categories.nemo_action"
                                         << "]";
        QTest::newRow("Caja categories") << "file-manager-scripts/Vollo categories…"
                                         << "";
    }
    void fileManagerActions() {
        QFETCH(QString, file);
        QFETCH(QString, section);
        const QString folder = m_dir.filePath("fm/" + QString::fromUtf8(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder) && QDir().mkpath(m_dir.filePath("bin")));
        QFile::link(VOLLO_BINARY, m_dir.filePath("bin/vollo"));
        QStringList names{"a b.txt", "it's \"q\".txt", "日本語 メモ.txt"}, files, args;
        for (const QString& name : names) {
            QFile f(files.emplace_back(folder + '/' + name));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("x") == 1);
        }
        QFile text(QStringLiteral(VOLLO_DATA_DIR "/") + file);
        QVERIFY(text.open(QIODevice::ReadOnly));
        QString in;
        for (const QString& line : QString::fromUtf8(text.readAll()).split('\n')) {
            in = line.startsWith('[') ? line : in;
            for (const QString& w : line.mid(5).split(' ', Qt::SkipEmptyParts))
                if (line.startsWith("Exec=") && in.endsWith(section) && !section.isEmpty())
                    args << (w == "%F"   ? files
                             : w == "%U" ? QUrl::toStringList(QUrl::fromStringList(files))
                                         : QStringList{w});
        }
        auto run = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", m_dir.filePath("bin") + ':' + env.value("PATH"));
        run->setProcessEnvironment(env);
        run->setWorkingDirectory(folder);
        const bool starts = section == "categories]"; // no window runs yet
        if (starts) { // which would ask its first-start question and wait
            sqlite3* db = nullptr;
            sqlite3_open(qPrintable(QDir::homePath() + "/.local/share/Vollo/reposit.db"), &db);
            sqlite3_exec(db, "UPDATE setting SET firstStart = 1", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        }
        if (section.isEmpty())
            run->start("/bin/sh", QStringList{text.fileName()} + names);
        else
            run->start(QStandardPaths::findExecutable(args.takeFirst(), {m_dir.filePath("bin")}),
                       args);
        QTRY_VERIFY_WITH_TIMEOUT(
            std::all_of(files.cbegin(), files.cend(),
                        [](const QString& f) {
                            return Vollo({"list", "-0"}).out.split('\0').contains(f.toUtf8());
                        }),
            30000);
        // The action may have ended while the list was polled: its state
        // is read, not waited for.
        if (starts) {
            QTest::qWait(1000);
            QCOMPARE(run->state(), QProcess::Running);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(run->state(), QProcess::NotRunning, 30000);
            QCOMPARE(run->exitCode(), 0);
        }
        if (starts)
            m_window = std::move(run); // the next rows hand over to it
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"

// Speed and memory of the main window at the size of a large documents folder:
//   1. the first start over a synthetic documents tree (the question answered
//      OK, the walk, a shortcut and a file row per document, the lists filled)
//      beside a plain C++ loop that walks the same tree, makes one symbolic
//      link per document and inserts each path into SQLite in one
//      transaction (target: within 2x);
//   2. ShowTagFiles(0) over every registered file beside a loop that selects
//      the same rows and does lstat, readlink and stat for each (target: 3x);
//   3. peak memory with every document collected and listed (target: 300 MB).
// Usage: bench_mainwindow [files]   (or VOLLO_BENCH_FILES=files; default 100000)

#include "AM_Vollo.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CQueryView.h"
#include "CVolloDB.h"
#include "FormMain.h"
#include "support_tree.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <functional>
#include <limits.h>
#include <sqlite3.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "support_timing.h"

using namespace SupportTiming;

namespace {

// Resident and peak memory now, in MB, from the kernel's own figures.
void Memory(const char* stage) {
    QFile status(QStringLiteral("/proc/self/status"));
    double rss = 0, hwm = 0, anon = 0, file = 0, shared = 0;
    const auto mb = [](const QByteArray& line) {
        return line.mid(line.indexOf(':') + 1).trimmed().split(' ').first().toDouble() / 1024.0;
    };
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                rss = mb(line);
            else if (line.startsWith("VmHWM:"))
                hwm = mb(line);
            else if (line.startsWith("RssAnon:"))
                anon = mb(line);
            else if (line.startsWith("RssFile:"))
                file = mb(line);
            else if (line.startsWith("RssShmem:"))
                shared = mb(line);
        }
    }
    // Of the resident memory: the heap and stacks, mapped files (libraries),
    // shared memory (the journal's index).
    std::printf("  memory %-28s resident %.1f MB (anonymous %.1f, files %.1f, shared %.1f), "
                "peak %.1f MB\n",
                stage, rss, anon, file, shared, hwm);
}

void Verdict(const char* what, double ratio, double target) {
    std::printf("%-46s ratio %.2f (target <= %.1f) %s\n", what, ratio, target,
                ratio <= target ? "OK" : "OVER");
}

// The extensions the template collects, as the program matches them (the
// extension of the name occurs in the list, letter case ignored).
bool Collected(const std::string& name) {
    static const std::string list = ".doc .docx .xls .xlsx .ppt .pptx .odt .ods .odp .pdf .txt "
                                    ".md .rtf .csv .htm .html .jpg .jpeg .png .gif";
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 >= name.size())
        return false;
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return list.find(ext) != std::string::npos;
}

void Walk(const std::string& folder, const std::function<void(const std::string&)>& onFile) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        // The baseline stays as first measured.
        // NOLINTNEXTLINE(performance-inefficient-string-concatenation)
        const std::string path = folder + "/" + name;
        struct stat st;
        if (lstat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            Walk(path, onFile);
        else if (Collected(name))
            onFile(path);
    }
    closedir(dir);
}

void Check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(2);
    }
}

// Walk, one link per document, one row per link, in one transaction.
long long BaselineCollect(const std::string& root, const std::string& out) {
    QDir().mkpath(QString::fromStdString(out));
    sqlite3* db = nullptr;
    Check(sqlite3_open((out + "/baseline.db").c_str(), &db), db);
    Check(sqlite3_exec(
              db,
              "PRAGMA journal_mode=WAL; CREATE TABLE IF NOT EXISTS files (ID INTEGER PRIMARY KEY "
              "AUTOINCREMENT, path TEXT NOT NULL UNIQUE, fileAge DATE)",
              nullptr, nullptr, nullptr),
          db);
    Check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    sqlite3_stmt* insert = nullptr;
    Check(sqlite3_prepare_v2(db, "INSERT INTO files (path, fileAge) VALUES (?, date('now'))", -1,
                             &insert, nullptr),
          db);
    long long count = 0;
    Walk(root, [&](const std::string& path) {
        const std::string link = out + "/" + path.substr(path.rfind('/') + 1) + ".lnk";
        if (symlink(path.c_str(), link.c_str()) != 0)
            return;
        sqlite3_bind_text(insert, 1, link.c_str(), int(link.size()), SQLITE_STATIC);
        Check(sqlite3_step(insert), db);
        sqlite3_reset(insert);
        ++count;
    });
    sqlite3_finalize(insert);
    Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
    return count;
}

// The rows of the repository, and for each the facts a list row needs.
long long BaselineFill(const std::string& repository) {
    sqlite3* db = nullptr;
    Check(sqlite3_open_v2(repository.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), db);
    sqlite3_stmt* select = nullptr;
    Check(sqlite3_prepare_v2(db, "SELECT ID, path FROM files ORDER BY ID", -1, &select, nullptr),
          db);
    long long count = 0;
    char target[PATH_MAX];
    while (sqlite3_step(select) == SQLITE_ROW) {
        const char* path = reinterpret_cast<const char*>(sqlite3_column_text(select, 1));
        struct stat st;
        if (lstat(path, &st) != 0)
            continue;
        const ssize_t n = readlink(path, target, sizeof target - 1);
        if (n < 0)
            continue;
        target[n] = 0;
        if (stat(target, &st) == 0)
            ++count;
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    return count;
}

// Answers the first-start question with OK, then the desktop tags' with No:
// the benchmark measures collecting, not writing attributes.
void AnswerOk() {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
            ok->click();
        } else if (QAbstractButton* no = box->button(QMessageBox::No)) {
            no->click();
            timer->deleteLater();
        }
    });
    timer->start();
}

} // namespace

int main(int argc, char** argv) {
    // The program reads its folders from the environment: point them at a
    // throw-away tree before anything looks.
    QTemporaryDir sandbox;
    const QString home = sandbox.path() + "/home";
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home + "/.local/share").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home + "/.cache").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + "/.config").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (sandbox.path() + "/runtime").toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QDir().mkpath(home + "/.local/share");
    QDir().mkpath(home + "/.cache");
    QDir().mkpath(sandbox.path() + "/runtime");
    QFile::setPermissions(sandbox.path() + "/runtime",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    AM_Vollo::InstallBusyPointer();
    int files = 100000;
    if (argc > 1)
        files = std::atoi(argv[1]);
    else if (!qEnvironmentVariableIsEmpty("VOLLO_BENCH_FILES"))
        files = qEnvironmentVariableIntValue("VOLLO_BENCH_FILES");
    const int folders = std::max(1, files / 50);

    const QString documents = home + "/Documents";
    std::printf("making %d files in %d folders...\n", files, folders);
    // The list of paths made is the benchmark's, not the program's: it is
    // not kept, so the peak below is the program's own.
    SupportTree::MakeSyntheticTree(documents, files, folders);
    Memory("after making the tree");

    // 1. First start. The file system's cost of making links depends on what
    // it did just before, so the baseline runs once before and once after
    // the program, and the ratio is taken to their mean.
    long long baselineCount = 0;
    const double baselineBefore = Seconds([&] {
        baselineCount =
            BaselineCollect(documents.toStdString(), (sandbox.path() + "/baseline").toStdString());
    });
    FormMain* form = nullptr;
    AnswerOk();
    const double firstStart = Seconds([&] {
        AM_Vollo::OpenRepository(AM_Vollo::ReconcileAt::WindowLoad);
        form = AM_Vollo::ShowMainForm();
    });
    const qint64 collected = form->WalkCount();
    Memory("after the first start");
    const double baselineAfter = Seconds([&] {
        BaselineCollect(documents.toStdString(), (sandbox.path() + "/baseline2").toStdString());
    });
    const double baseline = (baselineBefore + baselineAfter) / 2;
    std::printf("first start: %lld documents of %d files: %.3f s; baseline (walk, symlink, "
                "insert) %lld: %.3f s before, %.3f s after\n",
                static_cast<long long>(collected), files, firstStart, baselineCount, baselineBefore,
                baselineAfter);
    Verdict("first start vs walk+symlink+insert", firstStart / baseline, 2.0);

    // Documents of other types stay out of the walk: a drop of plain text
    // documents brings the repository to one registered file per file made,
    // through the path of a large drop (one transaction, then the refill).
    const int topUp = std::max(0, files - int(collected));
    if (topUp > 0) {
        const QString more = home + "/More";
        QDir().mkpath(more);
        QList<QUrl> urls;
        for (int i = 0; i < topUp; ++i) {
            const QString path =
                more + QStringLiteral("/zz-topup-%1.txt").arg(i, 6, 10, QLatin1Char('0'));
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly)) {
                // tmpfs runs out of inodes first at a million documents.
                std::fprintf(stderr, "cannot make %s: %s\n", qPrintable(path),
                             qPrintable(f.errorString()));
                return 2;
            }
            urls << QUrl::fromLocalFile(path);
        }
        QMimeData data;
        data.setUrls(urls);
        long long extra = 0;
        const double dropBaseline = Seconds([&] {
            extra =
                BaselineCollect(more.toStdString(), (sandbox.path() + "/baseline").toStdString());
        });
        const double drop =
            Seconds([&] { form->FFileListViews_OnDrop(QStringLiteral("H0"), &data); });
        std::printf("drop of %d documents on the root list (with its refill): %.3f s; baseline "
                    "%lld: %.3f s (ratio %.2f, for information)\n",
                    topUp, drop, extra, dropBaseline, drop / dropBaseline);
        Memory("after the drop");
    }
    const qint32 registered = form->FileListViews()->Item(QStringLiteral("H0"))->Count();

    // 2. Filling the root list.
    // The repository stays locked by its one connection: the baseline reads
    // the same rows from its own database, whose links stand for the same
    // documents.
    const std::string repository = (sandbox.path() + "/baseline/baseline.db").toStdString();
    long long filled = 0;
    // Taken in turns, best of each, so a burst of other load on the machine
    // does not fall on one side only.
    double fillBaseline = 1e300;
    double fill = 1e300;
    const int runs = std::max(3, qEnvironmentVariableIntValue("VOLLO_BENCH_FILL_RUNS"));
    for (int run = 0; run < runs; ++run) {
        fillBaseline = std::min(fillBaseline, Seconds([&] { filled = BaselineFill(repository); }));
        fill = std::min(fill, Seconds([&] { form->ShowTagFiles(0); }));
    }
    std::printf("ShowTagFiles(0): %lld rows: %.3f s; baseline (select, lstat, readlink, stat) "
                "%lld: %.3f s\n",
                static_cast<long long>(registered), fill, filled, fillBaseline);
    Verdict("ShowTagFiles(0) vs select+lstat+readlink+stat", fill / fillBaseline, 3.0);

    Memory("after refilling the list");
    // 3. Memory with everything collected and listed.
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peakMB = double(usage.ru_maxrss) / 1024.0;
    std::printf("peak memory (ru_maxrss) with %lld documents listed: %.1f MB (target < 300 MB) "
                "%s\n",
                static_cast<long long>(registered), peakMB, peakMB < 300 ? "OK" : "OVER");

    // 4. A click on a category holding 100,000 documents (or every one, when
    // fewer were made): its list filled from the stored facts.
    const qint64 inCategory = std::min<qint64>(100000, registered);
    AM_Vollo::gRepository->Connection().ExecuteBound(
        QStringLiteral("INSERT OR IGNORE INTO filetags (fileID, tagID) SELECT ID, 1 FROM files "
                       "ORDER BY ID LIMIT ?"),
        {inCategory});
    double click = 1e300;
    for (int run = 0; run < 3; ++run)
        click = std::min(click, Seconds([&] {
                             form->ShowTagFiles(1);
                             QCoreApplication::processEvents();
                         }));
    std::printf("category click: %lld rows: %.3f s (target < 0.5 s)\n",
                static_cast<long long>(inCategory), click);

    // 4b. Typing in the query field: the longest the window's thread is kept
    // from its events, from the first key until the results are shown. Keys
    // come faster than the field's pause, then the last text is left to run.
    {
        CQueryView* query = form->QueryView();
        QLineEdit* edit = query->Field()->lineEdit();
        edit->setFocus();
        qint64 worst = 0;
        QElapsedTimer sinceTick;
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout,
                         [&] { worst = std::max(worst, sinceTick.restart() - 5); });
        bool shown = false;
        const QMetaObject::Connection onShown =
            QObject::connect(query, &CQueryView::OnShown, [&shown] { shown = true; });
        const auto wait = [](int ms) {
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < ms)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        };
        const auto type = [&](const QString& text) {
            for (const QChar c : text) {
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                QCoreApplication::sendEvent(edit, &press);
                wait(120);
            }
        };
        qint64 rows = 0;
        const auto untilShown = [&] {
            QElapsedTimer clock;
            clock.start();
            while (!shown && clock.elapsed() < 10000)
                wait(5);
            wait(300);
            rows = form->FileListViews()->Item(CQueryView::ResultsKey())->Count();
            shown = false;
        };
        sinceTick.start();
        watch.start();
        type(QStringLiteral("rep"));
        untilShown();
        const qint64 fewer = rows;
        edit->clear();
        type(QStringLiteral("1"));
        untilShown();
        watch.stop();
        QObject::disconnect(onShown);
        std::printf("typing a query: the window's thread blocked at most %lld ms (target <= 50 "
                    "ms), results of %lld and %lld rows\n",
                    static_cast<long long>(worst), static_cast<long long>(fewer),
                    static_cast<long long>(rows));
        Memory("after typing a query");
    }

    // 5. The second start: the repository opened again and the window shown,
    // until its first paint is done; then until its lists are filled.
    form->close();
    delete form;
    AM_Vollo::gMainForm = nullptr;
    AM_Vollo::ReleaseRepository();
    Memory("with the window closed");
    // Drawn: the window's first paint is done when the work it queued for
    // afterwards comes to the window. Listed: the root list holds every row,
    // sorted.
    QElapsedTimer clock;
    struct FirstPaint : QObject {
        QElapsedTimer* clock = nullptr;
        bool painted = false;
        double drawn = 0;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (!watched->isWidgetType() ||
                qobject_cast<FormMain*>(static_cast<QWidget*>(watched)->window()) == nullptr)
                return false;
            if (event->type() == QEvent::Paint)
                painted = true;
            else if (painted && drawn == 0 && event->type() == QEvent::MetaCall &&
                     qobject_cast<FormMain*>(watched) != nullptr)
                drawn = double(clock->nsecsElapsed()) / 1e9;
            return false;
        }
    } firstPaint;
    firstPaint.clock = &clock;
    app.installEventFilter(&firstPaint);
    clock.start();
    const double opened =
        Seconds([] { AM_Vollo::OpenRepository(AM_Vollo::ReconcileAt::WindowLoad); });
    form = AM_Vollo::ShowMainForm();
    const double built = double(clock.nsecsElapsed()) / 1e9;
    const bool deferred = form->ListsPending();
    double listed = deferred ? 0 : built;
    const QAbstractItemModel* rootModel =
        form->FileListViews()->Item(QStringLiteral("H0"))->ListView()->Model();
    const auto whole = [&] {
        if (rootModel->rowCount() >= registered)
            listed = double(clock.nsecsElapsed()) / 1e9;
    };
    const QMetaObject::Connection inserted =
        QObject::connect(rootModel, &QAbstractItemModel::rowsInserted, whole);
    const QMetaObject::Connection sorted =
        QObject::connect(rootModel, &QAbstractItemModel::layoutChanged, whole);
    while ((firstPaint.drawn == 0 || form->ListsPending()) && clock.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    // The rows are sorted on a later pass of the event loop.
    for (int pass = 0; pass < 3; ++pass)
        QCoreApplication::processEvents();
    QObject::disconnect(inserted);
    QObject::disconnect(sorted);
    app.removeEventFilter(&firstPaint);
    const double second = firstPaint.drawn;
    std::printf("second start, window drawn: %.3f s with %lld documents (target <= 1 s); "
                "repository opened in %.3f s (its shortcut folder looked at beside the window); "
                "window built at %.3f s, lists filled %s at %.3f s, %lld rows\n",
                second, static_cast<long long>(registered), opened, built,
                deferred ? "after the first paint" : "before the first paint", listed,
                static_cast<long long>(form->FileListViews()->Item(QStringLiteral("H0"))->Count()));
    Memory("after the second start");
    // The peak above was taken with the lists filled; typing and the second
    // start come after it.
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory (ru_maxrss) over the whole run: %.1f MB\n",
                double(usage.ru_maxrss) / 1024.0);

    form->close();
    delete form;
    AM_Vollo::gMainForm = nullptr;
    AM_Vollo::ReleaseRepository();
    return 0;
}

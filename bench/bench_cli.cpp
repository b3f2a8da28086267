// Times the command line against the sqlite3 shell doing the same work on the
// same repository of 100,000 documents, process start included on both
// sides: `vollo list` of a category holding 50,000 of them, and `vollo tag`
// of 10,000 registered documents.

#include "CDatabase.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

#include "support_timing.h"

namespace {

constexpr int Documents = 100000;
constexpr int Tagged = 10000;
constexpr int Runs = 3;
constexpr int HalfID = 4; // the category of every second document

QString DocumentPath(const QString& root, int i) {
    return QStringLiteral("%1/docs/%2/d%3.txt").arg(root).arg(i % 100).arg(i);
}

// Registers every document with its shortcut on disk, as collecting leaves
// them; the first Tagged documents exist.
void Fill(CVolloDB& db, const QString& root) {
    CDatabase& c = db.Connection();
    const QString folder = db.ShortcutFolder();
    CTransactionScope transaction(db);
    c.ExecuteBound(QStringLiteral("INSERT INTO tags (ID, tagName) VALUES (?, 'Half')"), {HalfID});
    for (int i = 1; i <= Documents; ++i) {
        const QString doc = DocumentPath(root, i);
        const QString shortcut = QStringLiteral("%1d%2.txt.lnk").arg(folder).arg(i);
        if (i <= Tagged) {
            QDir().mkpath(QFileInfo(doc).path());
            QFile(doc).open(QIODevice::WriteOnly);
        }
        if (symlink(QFile::encodeName(doc).constData(), QFile::encodeName(shortcut).constData()))
            std::perror("symlink");
        c.ExecuteBound(QStringLiteral("INSERT INTO files (ID, path) VALUES (?, ?)"), {i, shortcut});
        c.ExecuteBound(QStringLiteral("INSERT INTO filefacts VALUES (?, ?, 1, ?, 0, 0, ?, 0)"),
                       {i, doc, i, qint64(i) + 1000});
        if (i % 2 == 0)
            c.ExecuteBound(QStringLiteral("INSERT INTO filetags (fileID, tagID) VALUES (?, ?)"),
                           {i, HalfID});
    }
    transaction.Commit();
}

// Runs a program to its end, its output thrown away.
double Time(const QString& program, const QStringList& arguments, const QString& input = {}) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    if (!input.isEmpty())
        process.setStandardInputFile(input);
    return SupportTiming::Seconds([&] {
        process.start(program, arguments);
        process.waitForFinished(-1);
        if (process.exitCode() != 0)
            std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                         process.readAllStandardError().constData());
    });
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Print(const char* what, double vollo, double sqlite) {
    std::printf("%-52s %8.3f s  sqlite3 %8.3f s  ratio %.2f (target <= 2) %s\n", what, vollo,
                sqlite, vollo / sqlite, vollo / sqlite <= 2.0 ? "OK" : "OVER");
}

void Bench(const QString& root, const QString& repository) {
    const QString vollo = QStringLiteral(VOLLO_BINARY);
    const QString sqlite = QStringLiteral("sqlite3");
    const QString listSql =
        QStringLiteral(
            "SELECT ff.docPath FROM files f JOIN filefacts ff ON ff.fileID = f.ID WHERE f.ID IN "
            "(SELECT fileID FROM filetags WHERE tagID = %1) ORDER BY f.ID")
            .arg(HalfID);
    std::vector<double> list, listBase, tag, tagBase;
    for (int run = 0; run < Runs; ++run) {
        list.push_back(Time(vollo, {QStringLiteral("list"), QStringLiteral("Half")}));
        listBase.push_back(Time(sqlite, {repository, listSql}));
    }
    QStringList paths;
    for (int i = 1; i <= Tagged; ++i)
        paths << DocumentPath(root, i);
    for (int run = 0; run < Runs; ++run) {
        // A new category each run, made by each side as it would.
        const QString name = QStringLiteral("Tag%1").arg(run);
        Time(vollo, {QStringLiteral("new-category"), name});
        tag.push_back(Time(vollo, QStringList{QStringLiteral("tag"), name} + paths));
        const int id = 100 + run;
        QString script =
            QStringLiteral("BEGIN;\nINSERT INTO tags (ID, tagName) VALUES (%1, "
                           "'Base%1');\nCREATE TEMP TABLE want (p TEXT PRIMARY KEY);\n")
                .arg(id);
        for (const QString& path : std::as_const(paths))
            script += QStringLiteral("INSERT INTO want VALUES ('%1');\n").arg(path);
        script += QStringLiteral("INSERT OR IGNORE INTO filetags (fileID, tagID) SELECT ff.fileID, "
                                 "%1 FROM filefacts ff JOIN want ON want.p = ff.docPath;\n"
                                 "COMMIT;\n")
                      .arg(id);
        const QString file = root + QStringLiteral("/tag.sql");
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write(script.toUtf8());
        out.close();
        tagBase.push_back(Time(sqlite, {repository}, file));
    }
    std::printf("repository: %d documents; list: category of %d; tag: %d registered documents; "
                "median of %d runs\n",
                Documents, Documents / 2, Tagged, Runs);
    Print("vollo list Half (50,000 paths)", Median(list), Median(listBase));
    Print("vollo tag TagN FILE x 10,000", Median(tag), Median(tagBase));
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir tmp;
    if (!tmp.isValid())
        return 1;
    // A home of its own, shared with the programs it starts.
    const QString root = tmp.path();
    qputenv("HOME", QFile::encodeName(root));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config")));
    QCoreApplication app(argc, argv);
    QString repository;
    {
        CVolloDB db;
        db.Create();
        Fill(db, root);
        repository = db.INIFileName();
    }
    // BENCH_CLI_KEEP=1: only builds the repository and names it, for profiling.
    if (qEnvironmentVariableIsSet("BENCH_CLI_KEEP")) {
        std::printf("%s\n", qPrintable(root));
        tmp.setAutoRemove(false);
        return 0;
    }
    Bench(root, repository);
    return 0;
}

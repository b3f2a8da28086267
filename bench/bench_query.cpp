// Times queries on a repository of 100,000 documents, 100 categories and
// 300,000 links with random names, types, sizes and dates: from the query's
// text to its results list filled, against the same list filled from a
// hand-written statement over the same repository in the same run.

#include "CDatabase.h"
#include "CFactChecker.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CListFiller.h"
#include "CListViewControl.h"
#include "CMsghook.h"
#include "CQueryCompiler.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"

#include <QApplication>
#include <QDateTime>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <set>

#include "support_timing.h"

namespace {

constexpr int Documents = 100000;
constexpr int Categories = 100;
constexpr int Links = 300000;
constexpr int Runs = 7;

const char* const kWords[] = {"report", "budget", "invoice",  "plan",  "notes",  "draft",  "見積書",
                              "議事録", "かな",   "カタログ", "photo", "letter", "契約書", "memo"};
const char* const kTypes[] = {".pdf", ".docx", ".xlsx", ".txt", ".md", ".odt", ".png", ".jpg"};

qint64 Nanoseconds(int year, int month, int day) {
    return QDateTime(QDate(year, month, day), QTime(0, 0)).toMSecsSinceEpoch() * 1000000;
}

void Fill(CVolloDB& db) {
    CDatabase& c = db.Connection();
    QRandomGenerator random(22);
    CTransactionScope transaction(db);
    for (int t = 4; t <= Categories; ++t)
        c.ExecuteBound(QStringLiteral("INSERT INTO tags (ID, tagName) VALUES (?, ?)"),
                       {t, QStringLiteral("Category %1").arg(t)});
    const qint64 from = Nanoseconds(2019, 1, 1);
    const qint64 span = Nanoseconds(2026, 1, 1) - from;
    for (int i = 1; i <= Documents; ++i) {
        const QString name = QStringLiteral("%1 %2 %3%4")
                                 .arg(QString::fromUtf8(kWords[random.bounded(14)]),
                                      QString::fromUtf8(kWords[random.bounded(14)]))
                                 .arg(i)
                                 .arg(QLatin1String(kTypes[random.bounded(8)]));
        const QString doc = QStringLiteral("/home/u/folder%1/%2").arg(random.bounded(50)).arg(name);
        c.ExecuteBound(QStringLiteral("INSERT INTO files (ID, path) VALUES (?, ?)"),
                       {i, QStringLiteral("/data/%1.lnk").arg(name)});
        c.ExecuteBound(
            QStringLiteral("INSERT INTO filefacts VALUES (?, ?, 1, ?, ?, ?, ?, ?)"),
            {i, doc, i, qint64(random.bounded(50 << 20)),
             from + qint64(random.generateDouble() * double(span)),
             random.bounded(50) == 0 ? qint64(random.bounded(500) + 1) : qint64(i) + 1000,
             random.bounded(100) == 0 ? 1 : 0});
    }
    std::set<std::pair<int, int>> made;
    while (made.size() < size_t(Links)) {
        const auto link =
            std::make_pair(random.bounded(Documents) + 1, random.bounded(Categories) + 1);
        if (made.insert(link).second)
            c.ExecuteBound(QStringLiteral("INSERT INTO filetags (fileID, tagID) VALUES (?, ?)"),
                           {link.first, link.second});
    }
    transaction.Commit();
    c.ExecuteBound(QStringLiteral("ANALYZE"), {});
}

struct Case {
    const char* query;
    const char* hand; // the same result written by hand
};

const QString kFrom = QStringLiteral(
    "SELECT f.ID, f.path FROM files f LEFT JOIN filefacts ff ON ff.fileID = f.ID WHERE ");

const Case kCases[] = {
    {"仕事", "f.ID IN (SELECT fileID FROM filetags WHERE tagID = 1)"},
    {"仕事 重要", "f.ID IN (SELECT fileID FROM filetags WHERE tagID = 1) AND f.ID IN (SELECT "
                  "fileID FROM filetags WHERE tagID = 3)"},
    {"仕事 OR 個人", "f.ID IN (SELECT fileID FROM filetags WHERE tagID IN (1, 2))"},
    {"仕事 -重要", "f.ID IN (SELECT fileID FROM filetags WHERE tagID = 1) AND f.ID NOT IN "
                   "(SELECT fileID FROM filetags WHERE tagID = 3)"},
    {"\"Category 50\" OR \"Category 60\"", "f.ID IN (SELECT fileID FROM filetags WHERE tagID IN "
                                           "(50, 60))"},
    {"(仕事 OR 個人) -\"Category 7\"", "f.ID IN (SELECT fileID FROM filetags WHERE tagID IN (1, "
                                       "2)) AND f.ID NOT IN (SELECT fileID FROM filetags WHERE "
                                       "tagID = 7)"},
    {"report", "vollo_namehas(ff.docPath, f.path, 'report')"},
    {"見積書", "vollo_namehas(ff.docPath, f.path, '見積書')"},
    {"type:pdf", "lower(ff.docPath) LIKE '%.pdf'"},
    {"種類:画像", "lower(ff.docPath) LIKE '%.jpg' OR lower(ff.docPath) LIKE '%.png'"},
    {"modified:2024", "ff.missing = 0 AND ff.mtime >= %1 AND ff.mtime < %2"},
    {"modified:>2025-06", "ff.missing = 0 AND ff.mtime >= %3"},
    {"size:>40MB", "ff.missing = 0 AND ff.size >= 41943041"},
    {"in:/home/u/folder7", "ff.docPath >= '/home/u/folder7/' AND ff.docPath < '/home/u/folder70'"},
    {"is:uncategorised", "f.ID NOT IN (SELECT fileID FROM filetags)"},
    {"is:missing", "ff.missing <> 0"},
    {"is:duplicate", "ff.missing = 0 AND ff.fingerprint IN (SELECT fingerprint FROM filefacts "
                     "WHERE missing = 0 GROUP BY fingerprint HAVING count(*) > 1)"},
    {"仕事 type:pdf modified:2024", "f.ID IN (SELECT fileID FROM filetags WHERE tagID = 1) AND "
                                    "lower(ff.docPath) LIKE '%.pdf' AND ff.missing = 0 AND "
                                    "ff.mtime >= %1 AND ff.mtime < %2"},
    {"report OR invoice", "vollo_namehas(ff.docPath, f.path, 'report') OR "
                          "vollo_namehas(ff.docPath, f.path, 'invoice')"},
    {"NOT 仕事 size:<1MB", "f.ID NOT IN (SELECT fileID FROM filetags WHERE tagID = 1) AND "
                           "ff.missing = 0 AND ff.size < 1048576"},
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Shows files in the list as the window does, and waits for nothing else.
double Show(CListFiller& filler, CFileListView& view,
            const std::function<CListFiller::FileList()>& find, qsizetype* rows) {
    const double seconds = SupportTiming::Seconds([&] {
        filler.ShowFiles(&view, find());
        view.ListView()->Model()->Flush();
    });
    *rows = view.ListView()->Model()->rowCount();
    // The check of the documents is left out: none of them exists.
    filler.Checker().Stop();
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    QApplication app(argc, argv);
    CVolloDB db;
    db.Create();
    std::printf("making %d documents, %d categories, %d links...\n", Documents, Categories, Links);
    Fill(db);
    QWidget window;
    auto* list = new CListViewControl(&window);
    for (const char* header : {"名前", "サイズ", "更新日時"})
        list->AddColumnHeader(QString::fromUtf8(header), 1000);
    CFileListView view;
    view.Create(list, new CMsghook(&window));
    CListFiller filler(db);
    CQueryCompiler compiler(db.Connection());

    std::printf("%-34s %7s %9s %9s %9s %6s\n", "query (text to list filled)", "rows", "median",
                "slowest", "by hand", "ratio");
    std::vector<double> medians, ratios;
    double slowestAll = 0;
    for (const Case& c : kCases) {
        const QString query = QString::fromUtf8(c.query);
        QString hand = kFrom + QString::fromUtf8(c.hand) + QStringLiteral(" ORDER BY f.ID");
        hand.replace(QLatin1String("%1"), QString::number(Nanoseconds(2024, 1, 1)))
            .replace(QLatin1String("%2"), QString::number(Nanoseconds(2025, 1, 1)))
            .replace(QLatin1String("%3"), QString::number(Nanoseconds(2025, 7, 1)));
        std::vector<double> mine, theirs;
        qsizetype rows = 0, handRows = 0;
        for (int run = 0; run < Runs; ++run) {
            mine.push_back(Show(
                filler, view, [&] { return compiler.Run(query); }, &rows));
            theirs.push_back(Show(
                filler, view,
                [&] {
                    CListFiller::FileList files;
                    db.Connection().ForEachBound(hand, {}, [&files](const CDatabase::Row& row) {
                        files.emplaceBack(qint32(row.Int(0)), row.Text(1));
                    });
                    return files;
                },
                &handRows));
        }
        const double median = Median(mine) * 1000;
        const double slowest = *std::max_element(mine.begin(), mine.end()) * 1000;
        const double ratio = Median(mine) / Median(theirs);
        medians.push_back(median);
        ratios.push_back(ratio);
        slowestAll = std::max(slowestAll, slowest);
        std::printf("%-34s %7lld %7.1fms %7.1fms %7.1fms %5.2fx%s\n", c.query,
                    static_cast<long long>(rows), median, slowest, Median(theirs) * 1000, ratio,
                    rows == handRows ? "" : "  (rows differ from the hand-written statement!)");
    }
    std::printf("all %zu queries over %d documents: median %.1f ms, slowest %.1f ms, worst ratio "
                "to hand-written SQL %.2fx (targets: median < 30 ms, slowest < 100 ms, ratio < "
                "1.5x)\n",
                medians.size(), Documents, Median(medians), slowestAll,
                *std::max_element(ratios.begin(), ratios.end()));
    return 0;
}

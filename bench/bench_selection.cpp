// Many documents at once: ticking one category in the category dialog for a
// selection of documents, and opening the dialog on that selection, beside a
// plain loop of the same link inserts (the stored addFileTag statement, filled
// and run once per document) in one transaction, measured in the same run.
// Targets: each within 0.5 s at 10,000 documents, and within 3x the loop.
//
//   bench_selection [documents]   (default 10000)
//
// Runs offscreen on a temporary data folder; nothing of the user's is touched.
#include "BM_Library.h"
#include "CCategoryFormFeed.h"
#include "CCategoryLinks.h"
#include "CCheckListView.h"
#include "CError.h"
#include "CTransactionScope.h"
#include "CVolloDB.h"
#include "FormCategory.h"
#include "Placeholders.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

#include "support_timing.h"

using SupportTiming::Seconds;

namespace {

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Wall clock and this process's processor time of one piece of work; the
// latter shows the cost apart from other load on a shared machine.
struct Time {
    double wall = 1e9;
    double cpu = 1e9;
    void Best(const std::function<void()>& work) {
        const double cpu0 = CpuSeconds();
        const double w = Seconds(work);
        wall = std::min(wall, w);
        cpu = std::min(cpu, CpuSeconds() - cpu0);
    }
};

constexpr qint32 kTicked = 2;   // the category ticked for the selection
constexpr qint32 kBaseline = 3; // the category the plain loop links to

QList<qint32> RegisterDocuments(CVolloDB& db, int count) {
    const QString insert = db.GetQuery(QStringLiteral("addFileName"));
    CTransactionScope transaction(db);
    for (int i = 0; i < count; ++i)
        db.RunSQL(FillPlaceholders(
            insert, {{QStringLiteral("%fileName"),
                      QStringLiteral("/home/user/.local/share/Vollo/report %1.doc.lnk").arg(i)},
                     {QStringLiteral("%fileAge"), QStringLiteral("#2026/12/07#")}}));
    transaction.Commit();
    QList<qint32> ids;
    CRecordset rs = db.RunQuery(QStringLiteral("getFileNameAll"));
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
        ids << rs.Field(0).toInt();
    return ids;
}

void Unlink(CVolloDB& db, qint32 tag) {
    db.RunSQL(QStringLiteral("DELETE * FROM filetags WHERE tagID = %1").arg(tag));
}

void PlainLoop(CVolloDB& db, const QList<qint32>& ids, Time& time) {
    Unlink(db, kBaseline);
    time.Best([&] {
        const QString insert = db.GetQuery(QStringLiteral("addFileTag"));
        CTransactionScope transaction(db);
        for (qint32 id : ids)
            db.RunSQL(FillPlaceholders(
                insert, {{QStringLiteral("%fileID"), id}, {QStringLiteral("%tagID"), kBaseline}}));
        transaction.Commit();
    });
}

// A fresh dialog opened on the selection: categories read, rows built, the
// selection's links counted and shown.
void OpenDialog(CVolloDB& db, CCategoryLinks& links, const QList<qint32>& ids, Time& time,
                QString* states) {
    FormCategory form;
    form.setCategorySet(db.GetTagName());
    time.Best([&] { CCategoryFormFeed::Feed(links, form, ids); });
    states->clear();
    for (QTreeWidgetItem* row : form.CheckListView()->ListItems())
        *states += CCheckListView::SmallIcon(row).left(1);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir root;
    if (!root.isValid())
        return 1;
    qputenv("HOME", QFile::encodeName(root.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root.path() + QStringLiteral("/data")));
    QApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: bench_selection [documents]\n");
        return 2;
    }
    try {
        CVolloDB db;
        db.Create();
        const QList<qint32> ids = RegisterDocuments(db, count);
        CCategoryLinks links(db);
        // Half the selection in the first category: its row shows grayed.
        links.LinkFiles(ids.mid(0, count / 2), 1);

        // Turns, best of three: the machine is shared with other work.
        Time plain, tick, open;
        QString states;
        for (int round = 0; round < 3; ++round) {
            PlainLoop(db, ids, plain);
            Unlink(db, kTicked);
            tick.Best([&] { links.LinkFiles(ids, kTicked); });
            OpenDialog(db, links, ids, open, &states);
        }
        const int linked = db.GetFileOfTag(kTicked).RecordCount();
        if (linked != count)
            throw CError(QStringLiteral("%1 links made, %2 expected").arg(linked).arg(count));

        std::printf("%d selected documents, best of 3 rounds: wall clock (this process's CPU).\n",
                    count);
        std::printf("  plain loop, addFileTag per document, one transaction : %6.3f s (%6.3f s)"
                    "  baseline\n",
                    plain.wall, plain.cpu);
        std::printf("  tick one category for the selection                  : %6.3f s (%6.3f s)"
                    "  %.2fx (%.2fx)  targets 0.5 s, 3x\n",
                    tick.wall, tick.cpu, tick.wall / plain.wall, tick.cpu / plain.cpu);
        std::printf("  open the dialog on the selection, rows %s          : %6.3f s (%6.3f s)"
                    "  %.2fx (%.2fx)  targets 0.5 s, 3x\n",
                    qPrintable(states), open.wall, open.cpu, open.wall / plain.wall,
                    open.cpu / plain.cpu);
        const bool met = tick.wall <= 0.5 && open.wall <= 0.5 && tick.wall <= 3 * plain.wall &&
                         open.wall <= 3 * plain.wall;
        std::printf("  %s\n", met ? "targets met" : "TARGETS MISSED");
        return met ? 0 : 1;
    } catch (const CError& e) {
        std::fprintf(stderr, "bench_selection: %s\n", qUtf8Printable(e.Text()));
        return 1;
    }
}

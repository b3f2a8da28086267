// Fills one file list with 100,000 shortcut rows the way the main window does
// and compares the time with the bare file-system work for the same rows
// (lstat, readlink and stat per shortcut), measured in the same run. Then
// times a search for the last row's name and one re-sort by another column.
// The rows here are made from the disk, without stored facts; bench_factlist
// measures the window's own path, from the stored facts.

#include "BM_Library.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CListViewControl.h"
#include "CMsghook.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "support_timing.h"

using namespace SupportTiming;

namespace {

constexpr int Rows = 100000;
const char* const Types[] = {"doc", "docx", "xls", "xlsx", "ppt", "pptx", "pdf",
                             "txt", "rtf",  "odt", "ods",  "odp", "html", "csv",
                             "jpg", "png",  "zip", "md",   "xml", "json"};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString docs = dir.filePath(QStringLiteral("docs"));
    const QString links = dir.filePath(QStringLiteral("links"));
    mkdir(docs.toLocal8Bit().constData(), 0700);
    mkdir(links.toLocal8Bit().constData(), 0700);
    std::printf("making %d documents of %zu types and a shortcut to each...\n", Rows,
                std::size(Types));
    std::vector<QByteArray> linkPaths;
    linkPaths.reserve(Rows);
    for (int i = 0; i < Rows; ++i) {
        const QByteArray name = QStringLiteral("文書 %1 'r' %2.%3")
                                    .arg(i, 6, 10, QLatin1Char('0'))
                                    .arg(Rows - i)
                                    .arg(QString::fromLatin1(Types[i % std::size(Types)]))
                                    .toLocal8Bit();
        const QByteArray document = docs.toLocal8Bit() + '/' + name;
        const int fd = open(document.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
        if (fd < 0 || ftruncate(fd, (i * 7919) % 3000000) != 0) {
            std::fprintf(stderr, "cannot make %s\n", document.constData());
            return 1;
        }
        close(fd);
        const QByteArray link = links.toLocal8Bit() + '/' + name + ".lnk";
        if (symlink(document.constData(), link.constData()) != 0) {
            std::fprintf(stderr, "cannot link %s\n", link.constData());
            return 1;
        }
        linkPaths.push_back(link);
    }

    long long checksum = 0;
    ShortcutRowLoop(linkPaths, checksum); // warm the caches for both sides
    const double baseline = ShortcutRowLoop(linkPaths, checksum);

    QWidget window;
    window.resize(900, 700);
    auto* list = new CListViewControl(&window);
    list->setGeometry(0, 0, 900, 700);
    list->AddColumnHeader(QStringLiteral("名前"), 4500);
    list->AddColumnHeader(QStringLiteral("サイズ"), 1500);
    list->AddColumnHeader(QStringLiteral("更新日時"), 3000);
    auto* hook = new CMsghook(&window);
    CFileListView view;
    view.Create(list, hook);
    window.show();
    QCoreApplication::processEvents();

    // The row values the main window passes, made by the common library
    // (timed on their own: they are the same whatever the list does).
    QElapsedTimer timer;
    timer.start();
    std::vector<QVariantList> rowValues;
    rowValues.reserve(Rows);
    for (const QByteArray& link : linkPaths) {
        const QString path = QString::fromLocal8Bit(link);
        rowValues.push_back({path, BM_Library::FileSizeText(BM_Library::ShortcutTarget(path)),
                             BM_Library::FileDateTimeText(BM_Library::ShortcutTarget(path))});
    }
    const double valuesTime = Seconds(timer);

    // The fill: AddItem, then the row's key and tag, as the main window does;
    // the list is shown and sorted once control returns to the event loop.
    timer.restart();
    for (int i = 0; i < Rows; ++i) {
        QVariantList& values = rowValues[size_t(i)];
        const QString path = values.first().toString();
        CListItem item = view.AddItem(values);
        item.setKey(BM_Library::MakeKey(i + 1));
        item.setTag(path);
    }
    const double addTime = Seconds(timer);
    QCoreApplication::processEvents();
    const double fill = Seconds(timer);

    if (view.Count() != Rows || list->model()->rowCount() != Rows) {
        std::fprintf(stderr, "the list holds %d rows, expected %d\n", view.Count(), Rows);
        return 1;
    }
    const QString last = view.Item(Rows).Text();
    timer.restart();
    view.Find(last);
    const double findCold = Seconds(timer);
    if (view.SelectedItem().Index() != Rows) {
        std::fprintf(stderr, "Find missed the last row\n");
        return 1;
    }
    view.UnselectListItem();
    timer.restart();
    view.Find(last);
    const double findWarm = Seconds(timer);

    timer.restart();
    emit list->ColumnClick(2); // by size
    QCoreApplication::processEvents();
    const double resort = Seconds(timer);
    timer.restart();
    emit list->ColumnClick(2); // the same column again: reversed
    QCoreApplication::processEvents();
    const double reverse = Seconds(timer);
    if (list->SortKey() != 1 || list->SortOrder() != 1) {
        std::fprintf(stderr, "the column click did not sort\n");
        return 1;
    }

    std::printf("rows: %d (%zu document types), checksum %lld\n", Rows, std::size(Types), checksum);
    std::printf("baseline lstat+readlink+stat loop:    %8.3f s\n", baseline);
    std::printf("fill: AddItem + key + tag, shown, sorted: %8.3f s  ratio %.2f x baseline "
                "(target <= 3)\n",
                fill, fill / baseline);
    std::printf("  of which AddItem + key + tag:         %8.3f s\n", addTime);
    std::printf("  of which showing and sorting:         %8.3f s\n", fill - addTime);
    std::printf("row values from the common library:    %8.3f s  ratio %.2f x baseline\n",
                valuesTime, valuesTime / baseline);
    std::printf("values read from disk + fill:          %8.3f s  ratio %.2f x baseline\n",
                valuesTime + fill, (valuesTime + fill) / baseline);
    std::printf("Find of the last row's name (first): %8.3f s  ratio %.3f x fill (target < 0.1)\n",
                findCold, findCold / fill);
    std::printf("Find of the last row's name (again): %8.3f s  ratio %.3f x fill\n", findWarm,
                findWarm / fill);
    std::printf("column click, re-sort by size:       %8.3f s  ratio %.3f x fill (target < 0.1)\n",
                resort, resort / fill);
    std::printf("column click again, reversed:        %8.3f s  ratio %.3f x fill\n", reverse,
                reverse / fill);
    return 0;
}

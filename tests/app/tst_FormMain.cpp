#include "support_app.h"

#include "AM_Vollo.h"
#include "BM_Library.h"
#include "CCategory.h"
#include "CCheckListView.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CListViewControl.h"
#include "CPathFinder.h"
#include "CTabViewer.h"
#include "CVolloDB.h"
#include "CWalkProgress.h"
#include "FormAbout.h"
#include "FormCategory.h"
#include "FormMain.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>

using AM_Vollo::gRepository;
using namespace AppTest;

namespace {

int Count(const QString& sql) {
    CRecordset rs = gRepository->RunSQL(sql);
    return rs.Field(0).toInt();
}

int FileCount() {
    return Count(QStringLiteral("SELECT COUNT(*) FROM files"));
}

int LinkCount(qint32 tagID) {
    return Count(QStringLiteral("SELECT COUNT(*) FROM filetags WHERE tagID = %1").arg(tagID));
}

QStringList ListTexts(CListViewControl* list) {
    QStringList texts;
    for (int i = 1; i <= list->ListItemCount(); ++i)
        texts << list->ListItem(i).Text();
    texts.sort();
    return texts;
}

} // namespace

// Stands in for the desktop when the program opens a folder.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class TestFormMain : public QObject {
    Q_OBJECT

private:
    FormMain* m_form = nullptr;

    // Opens the repository (new or kept from before) and marks the first
    // start handled unless the test wants the question.
    void Open(bool firstStartHandled = true) {
        AM_Vollo::OpenRepository();
        if (firstStartHandled)
            gRepository->RunQuery(QStringLiteral("setFirstStart"));
    }
    FormMain* Show() {
        m_form = AM_Vollo::ShowMainForm();
        return m_form;
    }
    FormMain* Start() {
        Open();
        return Show();
    }
    void Stop() {
        if (m_form != nullptr) {
            m_form->close();
            delete m_form;
            m_form = nullptr;
            AM_Vollo::gMainForm = nullptr;
        }
        AM_Vollo::ReleaseRepository();
    }
    CFileListView* List(const QString& key) { return m_form->FileListViews()->Item(key); }
    CListViewControl* Control(int i) { return m_form->ListViews().at(i); }
    QTreeWidgetItem* Node(const QString& key) { return m_form->Category()->Node(key); }
    void ClickNode(const QString& key) {
        QTreeWidget* tree = m_form->TreeViewTag();
        QTreeWidgetItem* node = Node(key);
        QVERIFY(node != nullptr);
        tree->scrollToItem(node);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(node).center());
    }
    bool DropOnNode(const QString& key, const QStringList& files) {
        QTreeWidget* tree = m_form->TreeViewTag();
        tree->scrollToItem(Node(key));
        return DropFiles(tree->viewport(), files, tree->visualItemRect(Node(key)).center());
    }
    bool DropOnList(int i, const QStringList& files) {
        return DropFiles(Control(i)->viewport(), files, QPoint(20, 20));
    }
    void ClickRow(int list, int row) {
        CListViewControl* control = Control(list);
        const QModelIndex index = control->model()->index(row - 1, 0);
        QTest::mouseClick(control->viewport(), Qt::LeftButton, {},
                          control->visualRect(index).center());
    }
    void ClickCheckBox(FormCategory* dialog, int row) {
        QTreeWidget* list = dialog->ListViewCategory();
        const QRect rect = list->visualItemRect(list->topLevelItem(row));
        // The box is the image in front of the row's text.
        const QPoint at = list->viewport()->mapFrom(list, QPoint(8, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(at.x(), rect.center().y()));
    }
    void SelectRow(int list, int row) {
        CListItem item = Control(list)->ListItem(row);
        QVERIFY(!item.IsEmpty());
        Control(list)->setSelectedItem(item);
    }

private slots:
    void initTestCase() { AM_Vollo::InstallBusyPointer(); }

    void init() {
        ResetAll();
        QApplication::restoreOverrideCursor();
    }
    void cleanup() { Stop(); }

    void firstStart_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("collected");
        QTest::newRow("OK") << int(QMessageBox::Ok) << 3;
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << 0;
    }
    void firstStart() {
        QFETCH(int, answer);
        QFETCH(int, collected);
        const QString docs = DocumentsFolder();
        WriteFile(docs + "/report.doc");
        WriteFile(docs + "/sub/notes.TXT");
        WriteFile(docs + "/sub/deeper/page.ht"); // ".ht" occurs in ".htm"
        WriteFile(docs + "/program.exe");        // not a listed extension
        WriteFile(docs + "/dir.d/Makefile");     // the dot of a folder is no extension
        {
            ModalAnswerer answerer{QMessageBox::StandardButton(answer)};
            Open(false);
            Show();
            QCOMPARE(answerer.Count(), 1);
            QVERIFY(answerer.Texts().first().contains(QStringLiteral("ドキュメント")));
        }
        QCOMPARE(FileCount(), collected);
        QCOMPARE(List("H0")->Count(), collected);
        QCOMPARE(Shortcuts().size(), collected);
        QCOMPARE(m_form->StatusBar(), FormMain::CountText(collected));
        Stop();
        // The next start asks nothing, whichever answer was given.
        ModalAnswerer answerer(QMessageBox::Ok);
        Start();
        QCOMPARE(answerer.Count(), 0);
        QCOMPARE(List("H0")->Count(), collected);
    }

    void firstStartWalkCancelled() {
        const QString docs = DocumentsFolder();
        for (int i = 0; i < 30; ++i)
            WriteFile(docs + QStringLiteral("/f%1/doc%1.txt").arg(i));
        ModalAnswerer answerer(QMessageBox::Ok);
        answerer.setBeforeAnswer([] {
            // The walk starts once the question is answered; the first found
            // document presses Cancel in the progress window.
            auto* form = AM_Vollo::gMainForm;
            QVERIFY(form != nullptr && form->PathFinder() != nullptr);
            connect(form->PathFinder(), &CPathFinder::OnFound, form, [form] {
                if (CWalkProgress* p = form->WalkProgress())
                    p->findChild<QPushButton*>(QStringLiteral("ButtonCancel"))->click();
            });
        });
        Open(false);
        Show();
        QCOMPARE(answerer.Count(), 1);
        QVERIFY(FileCount() >= 1);
        QVERIFY(FileCount() < 30);
        QCOMPARE(List("H0")->Count(), FileCount());
        const int kept = FileCount();
        Stop();
        ModalAnswerer again(QMessageBox::Ok);
        Start();
        QCOMPARE(again.Count(), 0);
        QCOMPARE(FileCount(), kept);
    }

    void windowPosition_data() {
        QTest::addColumn<QList<int>>("saved");
        QTest::addColumn<QRect>("expected"); // -1: the design value
        QTest::newRow("all zero") << QList<int>{0, 0, 0, 0} << QRect(-1, -1, 611, 411);
        QTest::newRow("left only") << QList<int>{1500, 0, 0, 0} << QRect(100, -1, 611, 411);
        QTest::newRow("size only") << QList<int>{0, 0, 12000, 7500} << QRect(-1, -1, 800, 500);
        QTest::newRow("negative kept") << QList<int>{-300, 750, 0, -1} << QRect(-1, 50, 611, 411);
        QTest::newRow("all") << QList<int>{300, 450, 10500, 6750} << QRect(20, 30, 700, 450);
    }
    void windowPosition() {
        QFETCH(QList<int>, saved);
        QFETCH(QRect, expected);
        Open();
        const QPoint design = FormMain().pos();
        gRepository->RunSQL(QStringLiteral("UPDATE setting SET nLeft = %1, nTop = %2, nWidth = "
                                           "%3, nHeight = %4 WHERE ID = 1")
                                .arg(saved[0])
                                .arg(saved[1])
                                .arg(saved[2])
                                .arg(saved[3]));
        Show();
        QCOMPARE(m_form->x(), expected.x() < 0 ? design.x() : expected.x());
        QCOMPARE(m_form->y(), expected.y() < 0 ? design.y() : expected.y());
        QCOMPARE(m_form->width(), expected.width());
        QCOMPARE(m_form->height(), expected.height());
        // The controls follow the restored size and the line spans it.
        QCOMPARE(m_form->LineTool()->width(), m_form->width());
        // The tab strip keeps its design distance to the right edge.
        const int margin = m_form->width() - m_form->TabStripWork()->geometry().right() - 1;
        QVERIFY2(qAbs(margin - (611 - (2760 + 6375) / 15)) <= 1,
                 qPrintable(QString::number(margin)));
    }

    void closingStoresPosition_data() {
        QTest::addColumn<bool>("maximised");
        QTest::newRow("normal") << false;
        QTest::newRow("maximised") << true;
    }
    void closingStoresPosition() {
        QFETCH(bool, maximised);
        Start();
        m_form->move(40, 60);
        m_form->resize(700, 500);
        if (maximised)
            m_form->setWindowState(Qt::WindowMaximized);
        Stop();
        Open();
        CRecordset rs = gRepository->RunQuery(QStringLiteral("getMyPos"));
        const QList<int> stored{rs.Field(0).toInt(), rs.Field(1).toInt(), rs.Field(2).toInt(),
                                rs.Field(3).toInt()};
        if (maximised)
            QCOMPARE(stored, (QList<int>{0, 0, 0, 0}));
        else
            QCOMPARE(stored, (QList<int>{600, 900, 10500, 7500}));
    }

    void tabAndNodeRestored_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("second tab") << "H1"
                                    << "H1";
        QTest::newRow("last tab") << "H3"
                                  << "H3";
        QTest::newRow("root") << "H0"
                              << "H0";
        QTest::newRow("a tab that is gone") << "H77"
                                            << "H0";
    }
    void tabAndNodeRestored() {
        QFETCH(QString, key);
        QFETCH(QString, expected);
        Start();
        if (m_form->FileListViews()->Count() > 0 && key != "H77") {
            m_form->TabViewer()->SelectTab(key);
            Stop();
        } else {
            Stop();
            Open();
            gRepository->RunSQL(
                QStringLiteral("UPDATE setting SET tabIndex = '%1' WHERE ID = 1").arg(key));
            AM_Vollo::ReleaseRepository();
        }
        Start();
        QCOMPARE(m_form->TabViewer()->SelectedKey(), expected);
        QCOMPARE(m_form->FileListViews()->SelectedKey(), expected);
        QCOMPARE(CCategory::NodeKey(m_form->Category()->SelectedItem()), expected);
        QCOMPARE(m_form->TabViewer()->SelectedListView(),
                 static_cast<QWidget*>(List(expected)->ListView()));
        QVERIFY(List(expected)->ListView()->isVisible());
    }

    void deletedShortcutLeavesRepository() {
        const QString a = WriteFile(DocumentsFolder() + "/a.txt");
        const QString b = WriteFile(DocumentsFolder() + "/b.txt");
        Start();
        QVERIFY(DropOnNode("H2", {a, b}));
        QCOMPARE(FileCount(), 2);
        QCOMPARE(LinkCount(2), 2);
        QVERIFY(QFile::remove(RepositoryFolder() + "/a.txt.lnk"));
        // The document itself stays; only its shortcut went.
        QVERIFY(QFileInfo::exists(a));
        ClickNode("H2");
        QCOMPARE(List("H2")->Count(), 1);
        QCOMPARE(m_form->StatusBar(), FormMain::CountText(1));
        QCOMPARE(FileCount(), 1);
        QCOMPARE(LinkCount(2), 1);
        ClickNode("H0");
        QCOMPARE(m_form->TabViewer()->SelectedKey(), QString("H0"));
        QCOMPARE(ListTexts(Control(0)), QStringList{"b.txt"});
    }

    void drops_data() {
        QTest::addColumn<QString>("target"); // "node:Hn" or "list:n"
        QTest::addColumn<int>("tag");        // category linked, 0 for none
        QTest::addColumn<int>("registered");
        QTest::newRow("root node") << "node:H0" << 0 << 2;
        QTest::newRow("category node") << "node:H2" << 2 << 2;
        QTest::newRow("extension node") << "node:H1002" << 0 << 0;
        QTest::newRow("root list") << "list:0" << 0 << 2;
        QTest::newRow("first category list") << "list:1" << 1 << 2;
        QTest::newRow("second category list") << "list:2" << 2 << 2;
        QTest::newRow("third category list") << "list:3" << 3 << 2;
    }
    void drops() {
        QFETCH(QString, target);
        QFETCH(int, tag);
        QFETCH(int, registered);
        const QStringList files{WriteFile(DocumentsFolder() + "/x/report.doc"),
                                WriteFile(DocumentsFolder() + "/it's 100% 日本語.txt")};
        Start();
        const QString where = target.section(':', 1);
        const QString key = target.startsWith("node") ? where : BM_Library::MakeKey(where.toInt());
        if (target.startsWith("node")) {
            QVERIFY(DropOnNode(where, files) || registered == 0);
        } else {
            m_form->TabViewer()->SelectTab(key);
            QVERIFY(DropOnList(where.toInt(), files));
        }
        QCOMPARE(FileCount(), registered);
        QCOMPARE(Shortcuts().size(), registered);
        QCOMPARE(Count("SELECT COUNT(*) FROM filetags"), tag > 0 ? 2 : 0);
        if (tag > 0)
            QCOMPARE(LinkCount(tag), 2);
        if (registered > 0) {
            QCOMPARE(List(key)->Count(), 2);
            QCOMPARE(ListTexts(List(key)->ListView()),
                     (QStringList{"it's 100% 日本語.txt", "report.doc"}));
        }
    }

    void dropBeforeAnyTabAndOnNoNode() {
        const QString f = WriteFile(DocumentsFolder() + "/a.txt");
        Start();
        // Where no node is under the pointer nothing is collected.
        QTreeWidget* tree = m_form->TreeViewTag();
        DropFiles(tree->viewport(), {f},
                  QPoint(tree->viewport()->width() - 2, tree->viewport()->height() - 2));
        QCOMPARE(FileCount(), 0);
        // A drop naming no list (no tab chosen yet) is ignored too.
        m_form->FFileListViews_OnDrop(QString(), nullptr);
        QCOMPARE(FileCount(), 0);
    }

    void sameFileTwiceAndSameName() {
        const QString first = WriteFile(DocumentsFolder() + "/a/report.doc");
        const QString second = WriteFile(DocumentsFolder() + "/b/report.doc");
        const QString third = WriteFile(DocumentsFolder() + "/c/report.doc");
        Start();
        QVERIFY(DropOnNode("H1", {first}));
        QVERIFY(DropOnNode("H1", {first}));
        QCOMPARE(FileCount(), 1);
        QCOMPARE(LinkCount(1), 1);
        QCOMPARE(Shortcuts(), QStringList{"report.doc.lnk"});
        QVERIFY(DropOnNode("H1", {second, third}));
        QCOMPARE(Shortcuts(),
                 (QStringList{"report#1.doc.lnk", "report#2.doc.lnk", "report.doc.lnk"}));
        QCOMPARE(FileCount(), 3);
        QCOMPARE(LinkCount(1), 3);
        QCOMPARE(BM_Library::ShortcutTarget(RepositoryFolder() + "/report#1.doc.lnk"), second);
        QCOMPARE(List("H1")->Count(), 3);
    }

    void droppedShortcut() {
        const QString doc = WriteFile(DocumentsFolder() + "/deep/plan.odt");
        const QString link = DocumentsFolder() + "/link to plan.lnk";
        MakeLink(doc, link);
        Start();
        QVERIFY(DropOnNode("H3", {link}));
        // Collected as a shortcut to its target, named after the target.
        QCOMPARE(Shortcuts(), QStringList{"plan.odt.lnk"});
        QCOMPARE(BM_Library::ShortcutTarget(RepositoryFolder() + "/plan.odt.lnk"), doc);
        QCOMPARE(LinkCount(3), 1);
    }

    void failedDropKeepsEarlierFiles() {
        const QString a = WriteFile(DocumentsFolder() + "/a.txt");
        const QString bad = WriteFile(DocumentsFolder() + "/bad.lnk", "not a shell link at all");
        const QString c = WriteFile(DocumentsFolder() + "/c.txt");
        Start();
        ModalAnswerer answerer(QMessageBox::Ok);
        DropOnNode("H1", {a, bad, c});
        QCOMPARE(answerer.Count(), 1);
        QVERIFY(answerer.Texts().first().contains("bad.lnk"));
        // The file before the failing one stays collected and linked.
        QCOMPARE(FileCount(), 1);
        QCOMPARE(LinkCount(1), 1);
        QCOMPARE(Shortcuts(), QStringList{"a.txt.lnk"});
        QVERIFY(QApplication::overrideCursor() == nullptr);
        // The window goes on working.
        QVERIFY(DropOnNode("H1", {c}));
        QCOMPARE(List("H1")->Count(), 2);
    }

    void nodeClicks() {
        const QString doc = WriteFile(DocumentsFolder() + "/a.doc");
        const QString txt = WriteFile(DocumentsFolder() + "/b.txt");
        Start();
        QVERIFY(DropOnNode("H1", {doc, txt}));
        ClickNode("H1002"); // documents: .doc .docx .odt .rtf
        QCOMPARE(m_form->TabViewer()->SelectedKey(), QString("H0"));
        QCOMPARE(ListTexts(Control(0)), QStringList{"a.doc"});
        QCOMPARE(m_form->StatusBar(), FormMain::CountText(1));
        QCOMPARE(m_form->TabStripWork()->tabText(0), QString("すべてのファイル"));
        ClickNode("H0");
        QCOMPARE(ListTexts(Control(0)), (QStringList{"a.doc", "b.txt"}));
        QCOMPARE(m_form->StatusBar(), FormMain::CountText(2));
        ClickNode("H2");
        QCOMPARE(m_form->TabViewer()->SelectedKey(), QString("H2"));
        QCOMPARE(m_form->StatusBar(), FormMain::CountText(0));
        // A tab click shows the count without refilling.
        m_form->TabViewer()->SelectTab("H1");
        QCOMPARE(m_form->StatusBar(), FormMain::CountText(2));
        // An item click shows the document's path.
        SelectRow(1, 1);
        emit Control(1)->ItemClick(Control(1)->ListItem(1));
        QVERIFY(m_form->StatusBar() == doc || m_form->StatusBar() == txt);
    }

    void categoryWithoutTab() {
        Open();
        gRepository->AddTag(QStringLiteral("四番目"));
        Show();
        QTreeWidgetItem* node = Node("H4");
        QVERIFY(node != nullptr);
        const QString before = m_form->TabViewer()->SelectedKey();
        ClickNode("H4");
        QCOMPARE(m_form->TabViewer()->SelectedKey(), before);
        // A drop links the files, though no list shows them.
        QVERIFY(DropOnNode("H4", {WriteFile(DocumentsFolder() + "/a.txt")}));
        QCOMPARE(LinkCount(4), 1);
    }

    void fewerCategories() {
        Open();
        gRepository->RunSQL(QStringLiteral("DELETE FROM tags WHERE ID > 1"));
        Show();
        QCOMPARE(m_form->FileListViews()->Count(), 2);
        QCOMPARE(m_form->TabStripWork()->count(), 2);
        QVERIFY(!Control(2)->isVisible());
        QVERIFY(!Control(3)->isVisible());
    }

    void recentNode() {
        const QString a = WriteFile(DocumentsFolder() + "/recent a.txt");
        const QString b = WriteFile(DocumentsFolder() + "/sub/recent b.pdf");
        const QDateTime now = QDateTime::currentDateTimeUtc();
        AddRecentEntry(a, now.addSecs(-60));
        AddRecentEntry(b, now);
        Start();
        for (int pass = 0; pass < 2; ++pass) {
            ClickNode("H1001");
            QCOMPARE(m_form->TabViewer()->SelectedKey(), QString("H0"));
            QCOMPARE(ListTexts(Control(0)), (QStringList{"recent a.txt", "recent b.pdf"}));
            QCOMPARE(m_form->StatusBar(), FormMain::CountText(2));
            QCOMPARE(FileCount(), 2);
            QCOMPARE(Shortcuts(), (QStringList{"recent a.txt.lnk", "recent b.pdf.lnk"}));
        }
        // Rows stand for the recent shortcut; the copy is what is registered.
        const CListItem row = Control(0)->ListItem(1);
        QVERIFY(!row.Key().isEmpty());
        QVERIFY(!row.Tag().startsWith(RepositoryFolder()));
        ClickNode("H0");
        QCOMPARE(List("H0")->Count(), 2);
    }

    void ticks_data() {
        QTest::addColumn<bool>("tabShown");
        QTest::newRow("category's tab shown") << true;
        QTest::newRow("other tab shown") << false;
    }
    void ticks() {
        QFETCH(bool, tabShown);
        const QString doc = WriteFile(DocumentsFolder() + "/tick.txt");
        Start();
        FormCategory* dialog = m_form->CategoryForm();
        if (tabShown) {
            // The file is in the second category; its list is shown and the
            // file clicked there while the dialog is open.
            QVERIFY(DropOnNode("H2", {doc}));
            m_form->ToolbarMenu_ButtonClick(m_form->ToolbarButton("Category"));
            QVERIFY(dialog->IsFreezed());
            m_form->TabViewer()->SelectTab("H2");
            ClickRow(2, 1);
        } else {
            QVERIFY(DropOnNode("H0", {doc}));
            m_form->TabViewer()->SelectTab("H0");
            SelectRow(0, 1);
            m_form->ToolbarMenu_ButtonClick(m_form->ToolbarButton("Category"));
            // The dialog shows the shortcut's own name without ".lnk".
            QCOMPARE(dialog->FilePath(), QString("tick.txt"));
        }
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->IsFreezed());
        QVERIFY(dialog->FileID() > 0);
        QCOMPARE(LinkCount(2), tabShown ? 1 : 0);
        QTreeWidgetItem* second = dialog->ListViewCategory()->topLevelItem(1);
        QCOMPARE(CCheckListView::Key(second), QString("H2"));
        QCOMPARE(CCheckListView::SmallIcon(second), QString(tabShown ? "checked" : "unchecked"));
        ClickCheckBox(dialog, 1);
        if (tabShown) {
            // Unticked while its list is shown: the list is refilled without
            // the file, and the dialog freezes.
            QCOMPARE(LinkCount(2), 0);
            QCOMPARE(List("H2")->Count(), 0);
            QVERIFY(dialog->IsFreezed());
        } else {
            // Only the repository changes; the dialog stays as it is.
            QCOMPARE(LinkCount(2), 1);
            QCOMPARE(List("H2")->Count(), 0);
            QVERIFY(!dialog->IsFreezed());
            // A tick of a category the file has already adds no second link.
            m_form->FCategoryForm_OnItemClick(1, second);
            QCOMPARE(LinkCount(2), 1);
            ClickCheckBox(dialog, 1);
            QCOMPARE(LinkCount(2), 0);
        }
        // A dialog without a registered file links nothing.
        dialog->Unfreeze();
        dialog->setFileID(-1);
        m_form->FCategoryForm_OnItemClick(1, second);
        QCOMPARE(Count("SELECT COUNT(*) FROM filetags WHERE fileID < 1"), 0);
        QVERIFY(dialog->IsFreezed());
    }

    void categoryCommandWithoutRow() {
        Start();
        m_form->ToolbarMenu_ButtonClick(m_form->ToolbarButton("Category"));
        QVERIFY(m_form->CategoryForm()->isVisible());
        QVERIFY(m_form->CategoryForm()->IsFreezed());
    }

    void findOnShownList() {
        Start();
        QVERIFY(DropOnNode("H0", {WriteFile(DocumentsFolder() + "/alpha.txt"),
                                  WriteFile(DocumentsFolder() + "/XABCY.doc"),
                                  WriteFile(DocumentsFolder() + "/abc2.txt")}));
        m_form->FFindBox_OnFind("abc");
        const CListItem first = Control(0)->SelectedItem();
        QVERIFY(first.Text().contains("abc", Qt::CaseInsensitive));
        m_form->FFindBox_OnFindNext();
        const CListItem second = Control(0)->SelectedItem();
        QVERIFY(second.Text().contains("abc", Qt::CaseInsensitive));
        QVERIFY(second != first);
    }

    void folderButton() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        Start();
        QVERIFY(DropOnNode("H0", {WriteFile(DocumentsFolder() + "/sub/show.txt")}));
        // Without a selected row nothing is opened.
        m_form->ToolbarFolderOpen_ButtonClick(m_form->FolderButton());
        QCOMPARE(catcher.urls.size(), 0);
        SelectRow(0, 1);
        m_form->ToolbarFolderOpen_ButtonClick(m_form->FolderButton());
        QTRY_COMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls.first().toLocalFile(), DocumentsFolder() + "/sub");
        QDesktopServices::unsetUrlHandler("file");
    }

    void errorIsShownAndProgramGoesOn() {
        Start();
        // A stored statement that is gone fails the node click, which reports it.
        gRepository->RunSQL(QStringLiteral("DELETE FROM query WHERE key = 'getFileNameAll'"));
        ModalAnswerer answerer(QMessageBox::Ok);
        ClickNode("H0");
        QCOMPARE(answerer.Count(), 1);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        ClickNode("H1");
        QCOMPARE(m_form->TabViewer()->SelectedKey(), QString("H1"));
    }

    void startFailure_data() {
        QTest::addColumn<bool>("folderInTheWay");
        QTest::newRow("repository cannot be opened") << true;
        QTest::newRow("repository lacks a statement") << false;
    }
    void startFailure() {
        QFETCH(bool, folderInTheWay);
        if (folderInTheWay) {
            // A folder where the repository file should be.
            QDir().mkpath(RepositoryFolder() + "/reposit.db");
        } else {
            Open();
            gRepository->RunSQL(QStringLiteral("DELETE FROM query WHERE key = 'getExtName'"));
            AM_Vollo::ReleaseRepository();
        }
        ModalAnswerer answerer(QMessageBox::Ok);
        QCOMPARE(AM_Vollo::Run(), 1);
        QCOMPARE(answerer.Count(), 1);
        QVERIFY(answerer.Texts().first().contains(RepositoryFolder()));
        QVERIFY(gRepository == nullptr);
        QVERIFY(AM_Vollo::gMainForm == nullptr);
    }

    void runsUntilTheWindowCloses() {
        WriteFile(DocumentsFolder() + "/one.txt");
        ModalAnswerer answerer(QMessageBox::Ok);
        QTimer closer;
        closer.setInterval(20);
        connect(&closer, &QTimer::timeout, this, [] {
            if (AM_Vollo::gMainForm != nullptr && AM_Vollo::gMainForm->isVisible() &&
                QApplication::activeModalWidget() == nullptr)
                AM_Vollo::gMainForm->close();
        });
        closer.start();
        QCOMPARE(AM_Vollo::Run(), 0);
        QCOMPARE(answerer.Count(), 1);
        QVERIFY(gRepository == nullptr);
        QVERIFY(AM_Vollo::gMainForm == nullptr);
        // What the run collected and saved is there for the next start.
        Start();
        QCOMPARE(List("H0")->Count(), 1);
    }

    void aboutButton() {
        Start();
        QString shown;
        QTimer closer;
        closer.setInterval(20);
        connect(&closer, &QTimer::timeout, this, [&shown] {
            if (auto* about = qobject_cast<FormAbout*>(QApplication::activeModalWidget())) {
                shown = about->windowTitle();
                about->close();
            }
        });
        closer.start();
        m_form->ToolbarMenu_ButtonClick(m_form->ToolbarButton("About"));
        QVERIFY(shown.endsWith(QStringLiteral(" のバージョン情報")));
        QCOMPARE(m_form->AboutBox()->parentWidget(), static_cast<QWidget*>(m_form));
    }

    void exitButtonCloses() {
        Start();
        QVERIFY(m_form->isVisible());
        m_form->ToolbarMenu_ButtonClick(m_form->ToolbarButton("Exit"));
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_form->IsUnloaded());
        QVERIFY(gRepository == nullptr);
    }

    void designOfTheWindow() {
        Start();
        QCOMPARE(m_form->windowTitle(), QString("Vollo"));
        QCOMPARE(m_form->ImageKeys(), (QStringList{"H0", "H1", "H2", "H3", "Folder", "Recent",
                                                   "Exit", "Category", "About", "selected"}));
        for (const QString& key : m_form->ImageKeys())
            QVERIFY2(!m_form->ImageListTag().value(key).isNull(), qPrintable(key));
        QStringList texts;
        for (QAction* a : m_form->ToolbarMenu()->actions())
            if (!a->text().isEmpty())
                texts << a->text();
        QCOMPARE(texts, (QStringList{"終了", "情報", "カテゴリ"}));
        QCOMPARE(m_form->FolderButton()->text(), QString("フォルダ"));
        QCOMPARE(m_form->TextSearch()->text(), QString("検索"));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(Control(i)->ColumnHeaderCount(), 3);
        // The separator follows the window's width.
        m_form->resize(900, 500);
        QTRY_COMPARE(m_form->LineTool()->width(), 900);
    }
};

QTEST_MAIN(TestFormMain)
#include "tst_FormMain.moc"

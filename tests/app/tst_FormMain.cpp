#include "support_app.h"

#include "AM_Vollo.h"
#include "BM_Library.h"
#include "CCategory.h"
#include "CCategoryLists.h"
#include "CCategoryMenu.h"
#include "CCategoryNodeDrag.h"
#include "CCategoryStore.h"
#include "CCheckListView.h"
#include "CContextMenu.h"
#include "CFileDB.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CFingerprintStatus.h"
#include "CHomeFolder.h"
#include "CLanguage.h"
#include "CListViewControl.h"
#include "CManyDocuments.h"
#include "CPathFinder.h"
#include "CQueryView.h"
#include "CSavedSearches.h"
#include "CSingleInstance.h"
#include "CSplitBar.h"
#include "CTabViewer.h"
#include "CVolloDB.h"
#include "CWalkProgress.h"
#include "CWidgetAnchorControl.h"
#include "CWindowPlacement.h"
#include "FormAbout.h"
#include "FormCategory.h"
#include "FormMain.h"

#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <pwd.h>
#include <tuple>

using AM_Vollo::gRepository;
using namespace AppTest;
using Step = std::function<void(QWidget*)>;

namespace {

// Types a name and presses Enter; committed at once, as an input method
// does (QTest types Latin-1 only).
Step Type(const QString& text) {
    return [text](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, text, Qt::NoModifier);
        QTest::keyClick(edit, Qt::Key_Return);
    };
}
Step Hit(Qt::Key key) {
    return [key](QWidget* w) { QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, key); };
}
QPoint RowAt(CListViewControl* list, int row) {
    list->Model()->Flush();
    list->doItemsLayout();
    return list->visualRect(list->model()->index(row, 0)).center();
}
// The box is the image in front of the row's text.
void ClickBox(QTreeWidget* boxes, QTreeWidgetItem* row) {
    QTest::mouseClick(boxes->viewport(), Qt::LeftButton, {},
                      QPoint(boxes->viewport()->mapFrom(boxes, QPoint(8, 0)).x(),
                             boxes->visualItemRect(row).center().y()));
}

// Files registered, shortcuts on disk, and links to category tagID.
QList<int> Counts(qint32 tagID) {
    return {FileCount(), int(Shortcuts().size()), LinkCount(tagID)};
}
// A press two pixels into the bar, a move by dx, a release where it moved.
void Drag(QWidget* bar, int dx) {
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 20));
    QTest::mouseMove(bar, QPoint(2 + dx, 20));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(2 + dx, 20));
}
// Every text a window shows: titles, captions, tips, names for screen readers,
// tabs, tree nodes, list cells and headers, actions.
void AddActionTexts(const QList<QAction*>& actions, QStringList& out) {
    for (const QAction* a : actions) {
        out << a->text() << a->toolTip();
        if (a->menu() != nullptr)
            AddActionTexts(a->menu()->actions(), out);
    }
}
void AddModelTexts(const QAbstractItemModel* model, const QModelIndex& parent, QStringList& out) {
    for (int c = 0; c < model->columnCount(parent); ++c) {
        out << model->headerData(c, Qt::Horizontal).toString();
        for (int r = 0; r < model->rowCount(parent); ++r) {
            out << model->index(r, c, parent).data().toString();
            AddModelTexts(model, model->index(r, c, parent), out);
        }
    }
}
QStringList ShownTexts(QWidget* root) {
    QStringList out;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : std::as_const(widgets)) {
        for (const char* p :
             {"windowTitle", "toolTip", "accessibleName", "text", "placeholderText", "plainText"})
            out << w->property(p).toString();
        if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                out << tabs->tabText(i) << tabs->tabToolTip(i);
        }
        if (auto* view = qobject_cast<QAbstractItemView*>(w); view && view->model())
            AddModelTexts(view->model(), QModelIndex(), out);
        AddActionTexts(w->actions(), out);
    }
    return out;
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

// A style that orders dialog buttons the way one desktop does (GNOME: Cancel first).
class ButtonLayoutStyle : public QProxyStyle {
public:
    explicit ButtonLayoutStyle(int layout) : QProxyStyle("Fusion"), m_layout(layout) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        return hint == SH_DialogButtonLayout ? m_layout
                                             : QProxyStyle::styleHint(hint, option, widget, data);
    }

private:
    int m_layout;
};

class TestFormMain : public QObject, Window {
    Q_OBJECT

    QTimer m_timer;
    QList<Step> m_steps; // one for each modal window to come, in order
    QStringList m_texts; // what the message boxes said
    QStringList m_docs;

    void Answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal->property("answered").toBool() || m_steps.isEmpty())
            return;
        modal->setProperty("answered", true);
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            m_texts << box->text();
        m_steps.takeFirst()(modal);
    }
    // Clicks the node (if any), then presses the key in the active window.
    void Key(const QString& node, QKeyCombination key, const QList<Step>& steps) {
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        if (!node.isEmpty())
            ClickNode(node);
        m_steps = steps;
        QTest::keyClick(Tree(), key.key(), key.keyboardModifiers());
        QVERIFY(m_steps.isEmpty());
    }
    // What the node, the tab and the category dialog's row say.
    QStringList Shown(const QString& key) {
        QTabBar* tabs = m_form->TabViewer()->TabStrip();
        QString tab;
        for (int i = 0; i < tabs->count(); ++i)
            tab += tabs->tabData(i).toString() == key ? tabs->tabText(i) : QString();
        QTreeWidgetItem* row = m_form->CategoryForm()->CheckListView()->FindItem(key);
        return {Node(key) ? Node(key)->text(0) : QString(), tab, row ? row->text(0) : QString()};
    }
    // Writes names into the documents folder and drops them on each of nodes.
    void Collect(const QStringList& names, const QStringList& nodes) {
        QStringList files;
        for (const QString& name : names)
            files << Doc(name);
        for (const QString& node : nodes)
            QVERIFY(DropOnNode(node, files));
        m_docs << files;
    }
    // The category list "H1" shown, as after a click on its tab.
    CListViewControl* ShowFirstCategory() {
        m_form->TabViewer()->SelectTab("H1");
        m_form->ShowTagFiles(1);
        Control(1)->Model()->Flush(); // as the event loop would before any key
        return Control(1);
    }

    // The name column ends where the list's visible width ends.
    void VerifyNameFills() {
        QHeaderView* header = Control(0)->header();
        QTRY_COMPARE(header->length(), Control(0)->viewport()->width());
        QVERIFY(header->sectionSize(0) > header->sectionSize(1));
    }

private slots:
    void initTestCase() {
        SetupJapanese();
        connect(&m_timer, &QTimer::timeout, this, &TestFormMain::Answer);
        m_timer.start(20);
    }
    void init() {
        ResetAll();
        QApplication::restoreOverrideCursor();
        m_texts.clear();
        m_docs.clear();
    }
    void cleanup() { Stop(); }

    // Enter (NoButton) means OK whatever order the desktop puts the buttons in.
    // A walk cancelled in its progress window keeps what it collected.
    void firstStart_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("collected"); // -1: cancelled at the first document found
        QTest::addColumn<int>("layout");    // QDialogButtonBox::ButtonLayout; -1 the style's
        QTest::newRow("OK") << int(QMessageBox::Ok) << 3 << -1;
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << 0 << -1;
        QTest::newRow("OK, walk cancelled") << int(QMessageBox::Ok) << -1 << -1;
        for (int layout : {0, 1, 2, 3})
            QTest::addRow("Enter, button layout %d", layout)
                << int(QMessageBox::NoButton) << 3 << layout;
    }
    void firstStart() {
        QFETCH(int, answer);
        QFETCH(int, collected);
        QFETCH(int, layout);
        if (layout >= 0)
            QApplication::setStyle(new ButtonLayoutStyle(layout));
        const auto restoreStyle = qScopeGuard([] { QApplication::setStyle("Fusion"); });
        // ".ht" occurs in ".htm"; ".exe" is not listed; the dot of a folder is no extension.
        for (const char* name :
             {"report.doc", "sub/notes.TXT", "sub/deeper/page.ht", "program.exe", "dir.d/Makefile"})
            WriteFile(DocumentsFolder() + '/' + name);
        ModalAnswerer answerer{QMessageBox::StandardButton(answer)};
        for (int i = 0; collected < 0 && i < 30; ++i)
            WriteFile(DocumentsFolder() + QStringLiteral("/f%1/doc%1.txt").arg(i));
        answerer.setBeforeAnswer([collected] {
            auto* form = AM_Vollo::gMainForm;
            QVERIFY(form != nullptr && form->PathFinder() != nullptr);
            // A second start asking for the window meanwhile must not show it
            // half built.
            AM_Vollo::BringForward(form);
            QVERIFY(!form->isVisible());
            if (collected < 0) // the walk starts once the question is answered
                connect(form->PathFinder(), &CPathFinder::OnFound, form, [form] {
                    if (CWalkProgress* p = form->WalkProgress())
                        p->findChild<QPushButton*>("ButtonCancel")->click();
                });
        });
        Start(false);
        // The first start's question, then the desktop tags' (answered no).
        QCOMPARE(answerer.Count(), 2);
        QVERIFY(answerer.Texts().first().contains("ドキュメント"));
        QVERIFY(answerer.Texts().last().contains("user.xdg.tags"));
        if (collected < 0) {
            collected = FileCount();
            QVERIFY(collected >= 1 && collected < 33);
        }
        QCOMPARE(Counts(0), (QList<int>{collected, collected, 0}));
        QCOMPARE(List("H0")->Count(), collected);
        QCOMPARE(m_form->StatusBar(), FormMain::CountText(collected));
        // Made while the window was already up for the question.
        QVERIFY(m_form->findChild<QWidget*>("TextQuery")->isVisible());
        Stop();
        // The next start asks nothing, whichever answer was given.
        Start(false);
        QCOMPARE(answerer.Count(), 2);
        QCOMPARE(List("H0")->Count(), collected);
    }

    void windowPosition_data() {
        QTest::addColumn<QString>("saved");  // left, top, width, height in twips
        QTest::addColumn<QRect>("expected"); // -1: the design value
        QTest::newRow("size only") << "0, 0, 11250, 7500" << QRect(-1, -1, 750, 500);
        // Saved on a larger screen: moved and shrunk into this one, frame
        // included (a null rectangle: checked against the screen).
        QTest::newRow("larger than the screen") << "9000, 6000, 28800, 16200" << QRect();
        QTest::newRow("negative kept") << "-300, 750, 0, -1" << QRect(-1, 50, 611, 411);
        QTest::newRow("all") << "300, 450, 10500, 6750" << QRect(20, 30, 700, 450);
        // Nothing saved: centred on the 800x800 offscreen screen at two thirds of it.
        QTest::newRow("first start") << "0, 0, 0, 0" << QRect(73, 73, 653, 653);
    }
    void windowPosition() {
        QFETCH(QString, saved);
        QFETCH(QRect, expected);
        Open();
        const QPoint design = QWidget().pos();
        gRepository->RunSQL(
            QStringLiteral("UPDATE setting SET (nLeft, nTop, nWidth, nHeight) = (%1) WHERE ID = 1")
                .arg(saved));
        Show();
        if (expected.isNull()) {
            const QRect screen = m_form->screen()->availableGeometry();
            const QSize frame = m_form->frameGeometry().size() - m_form->size();
            QVERIFY(screen.contains(QRect(m_form->pos(), m_form->size() + frame)));
            QVERIFY(m_form->width() > screen.width() * 9 / 10);
            return;
        }
        QCOMPARE(QRect(m_form->pos(), m_form->size()),
                 QRect(expected.x() < 0 ? design.x() : expected.x(),
                       expected.y() < 0 ? design.y() : expected.y(), expected.width(),
                       expected.height()));
        // The controls follow the restored size: the line spans it, and the tab
        // strip keeps its design distance to the right edge.
        QCOMPARE(Find<QFrame>("LineTool")->width(), m_form->width());
        const int margin = m_form->width() - Find<QTabBar>("TabStripWork")->geometry().right() - 1;
        QVERIFY2(qAbs(margin - (611 - (2760 + 6375) / 15)) <= 1,
                 qPrintable(QString::number(margin)));
    }

    // A restart gives back the tab and node chosen (the root for a category
    // that is gone) and the place of a window that was not maximised.
    void restart_data() {
        QTest::addColumn<bool>("maximised");
        QTest::addColumn<QString>("tab"); // chosen before closing
        QTest::newRow("category") << false << "H2";
        QTest::newRow("root, maximised") << true << "H0";
        QTest::newRow("a tab that is gone") << false << "H77";
    }
    void restart() {
        QFETCH(bool, maximised);
        QFETCH(QString, tab);
        const QString expected = tab == "H77" ? "H0" : tab;
        Start();
        m_form->TabViewer()->SelectTab(tab == "H77" ? "H1" : tab);
        m_form->move(40, 60);
        m_form->resize(700, 500);
        if (maximised)
            m_form->setWindowState(Qt::WindowMaximized);
        Stop();
        Open();
        QCOMPARE(gRepository->RunQuery("getTabIndex").Field(0).toString(),
                 tab == "H77" ? "H1" : tab);
        CRecordset rs = gRepository->RunQuery("getMyPos");
        QCOMPARE((QList<int>{rs.Field(0).toInt(), rs.Field(1).toInt(), rs.Field(2).toInt(),
                             rs.Field(3).toInt()}),
                 (maximised ? QList<int>{0, 0, 0, 0} : QList<int>{600, 900, 10500, 7500}));
        gRepository->RunSQL(QString("UPDATE setting SET tabIndex = '%1' WHERE ID = 1").arg(tab));
        Show();
        QCOMPARE(m_form->TabViewer()->SelectedKey(), expected);
        QCOMPARE(m_form->FileListViews()->SelectedKey(), expected);
        QCOMPARE(CCategory::NodeKey(m_form->Category()->SelectedItem()), expected);
        QCOMPARE(m_form->TabViewer()->SelectedListView(),
                 static_cast<QWidget*>(List(expected)->ListView()));
        QVERIFY(List(expected)->ListView()->isVisible());
    }

    // A large repository's window is drawn before its lists are read: until
    // then they say so, and the tab chosen and the status line follow them.
    void listsAfterDrawing() {
        Start();
        Collect({"a.txt", "b.txt", "c.txt"}, {"H1"});
        m_form->TabViewer()->SelectTab("H1");
        Stop();
        const qint64 was = FormMain::FillAfterDrawFrom();
        const auto reset = qScopeGuard([was] { FormMain::setFillAfterDrawFrom(was); });
        FormMain::setFillAfterDrawFrom(3);
        Start();
        QVERIFY(m_form->ListsPending());
        QCOMPARE(m_form->TabViewer()->SelectedKey(), QString("H1"));
        QCOMPARE(List("H1")->Count(), 0);
        QCOMPARE(Control(1)->EmptyText(), QString("文書を読み込んでいます…"));
        QCOMPARE(m_form->StatusBar(), QString());
        // A document handed over on the command line as the program starts
        // is collected at once, and read with the rest.
        m_form->OpenCategoriesFor({Doc("d.txt")});
        QCOMPARE(Control(1)->EmptyText(), QString("文書を読み込んでいます…"));
        QTRY_VERIFY(!m_form->ListsPending());
        QCOMPARE(List("H0")->Count(), 4);
        QCOMPARE(List("H1")->Count(), 3);
        QCOMPARE(m_form->StatusBar(), FormMain::CountText(3));
        QVERIFY(Control(1)->EmptyText().startsWith("ここにファイルをドロップ"));
        Stop();
        FormMain::setFillAfterDrawFrom(5);
        Start();
        QVERIFY(!m_form->ListsPending());
        QCOMPARE(List("H0")->Count(), 4);
    }

    void drops_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("tag"); // category linked, 0 for none
        QTest::addColumn<int>("registered");
        QTest::newRow("root node") << "node:H0" << 0 << 2;
        QTest::newRow("category node") << "node:H2" << 2 << 2;
        QTest::newRow("extension node") << "node:H1002" << 0 << 0;
        // Below the last node, or to a list no tab names yet.
        QTest::newRow("no node, no tab") << "none" << 0 << 0;
        for (int i : {0, 1, 2, 3})
            QTest::addRow("list %d", i) << QStringLiteral("list:%1").arg(i) << i << 2;
    }
    void drops() {
        QFETCH(QString, target);
        QFETCH(int, tag);
        QFETCH(int, registered);
        const QStringList files{Doc("x/report.doc"), Doc("it's 100% 日本語.txt")};
        Start();
        const QString where = target.section(':', 1);
        const QString key = target.startsWith("node") ? where : BM_Library::MakeKey(where.toInt());
        bool dropped = false;
        if (target == "none") {
            m_form->FFileListViews_OnDrop(QString(), nullptr);
            QWidget* tree = Tree()->viewport();
            dropped = DropFiles(tree, files, QPoint(tree->width() - 2, tree->height() - 2));
        } else if (target.startsWith("node")) {
            dropped = DropOnNode(where, files);
        } else {
            m_form->TabViewer()->SelectTab(key);
            dropped = DropFiles(Control(where.toInt())->viewport(), files, QPoint(20, 20));
        }
        QVERIFY(dropped || registered == 0);
        const int links = tag > 0 ? 2 : 0;
        QCOMPARE(Counts(tag), (QList<int>{registered, registered, links}));
        QCOMPARE(Count("SELECT COUNT(*) FROM filetags"), links);
        if (registered > 0)
            QCOMPARE(ListTexts(List(key)->ListView()),
                     (QStringList{"it's 100% 日本語.txt", "report.doc"}));
    }

    void failedDropKeepsEarlierFiles() {
        const QString a = Doc("a.txt");
        const QString bad = Doc("bad.lnk", "not a shell link at all");
        const QString c = Doc("c.txt");
        Start();
        m_form->TabViewer()->SelectTab("H1");
        ModalAnswerer answerer(QMessageBox::Ok);
        DropUrls(Tree()->viewport(),
                 {QUrl::fromLocalFile(a), QUrl::fromLocalFile(bad),
                  QUrl("https://example.com/page.html"), QUrl("smb://server/share/x.txt"),
                  QUrl::fromLocalFile(DocumentsFolder() + "/gone.txt"), QUrl::fromLocalFile(c)},
                 At("H1"));
        // One box after the drop names what was left out; the rest is in.
        QCOMPARE(answerer.Count(), 1);
        for (const char* named : {"4 件", "bad.lnk", "example.com", "server", "gone.txt"})
            QVERIFY2(answerer.Texts().first().contains(named),
                     qPrintable(answerer.Texts().first()));
        QCOMPARE(LinkCount(1), 2);
        QCOMPARE(Shortcuts(), (QStringList{"a.txt.lnk", "c.txt.lnk"}));
        QCOMPARE(m_form->StatusBar(), FormMain::CountText(2));
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    // The desktop's recent list, read at every click: a name that is not
    // text is left out, a list that cannot be read keeps the rows read last;
    // each is told once.
    void recentNode() {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        AddRecentEntry(Doc("recent a.txt"), now.addSecs(-60));
        AddRecentEntry(Doc("sub/recent b.pdf"), now);
        WriteRaw(QFile::encodeName(DocumentsFolder()) + "/caf\xe9.txt"); // Latin-1
        AddRecentEntry("file://" + DocumentsFolder() + "/caf%E9.txt", now);
        Start();
        ModalAnswerer answerer(QMessageBox::Ok);
        for (int pass = 0; pass < 4; ++pass) {
            if (pass == 2)
                WriteFile(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                              "/recently-used.xbel",
                          "<?xml version=\"1.0\"?><xbel version=\"1.0\"><bookmark");
            ClickNode("H1001");
            QCOMPARE(m_form->TabViewer()->SelectedKey(), QString("H0"));
            QCOMPARE(ListTexts(Control(0)), (QStringList{"recent a.txt", "recent b.pdf"}));
            QCOMPARE(m_form->StatusBar(), FormMain::CountText(2));
            QCOMPARE(Shortcuts(), (QStringList{"recent a.txt.lnk", "recent b.pdf.lnk"}));
        }
        QCOMPARE(answerer.Count(), 2);
        QVERIFY(answerer.Texts().first().contains("1 件"));
        QVERIFY(answerer.Texts().last().contains("recently-used.xbel"));
        // Rows stand for the recent shortcut; the copy is what is registered.
        const CListItem row = Control(0)->ListItem(1);
        QVERIFY(!row.Key().isEmpty() && !row.Tag().startsWith(RepositoryFolder()));
        ClickNode("H0");
        QCOMPARE((QList<int>{List("H0")->Count(), FileCount()}), (QList<int>{2, 2}));
    }

    // The whole program: it runs until Exit, or tells what failed and where.
    // With HOME unset the data would land under "/": the password database
    // names the home instead.
    void homeFromPasswordDatabase() {
        const QByteArray home = qgetenv("HOME");
        qunsetenv("HOME");
        const QString why = CHomeFolder::Ensure();
        const QByteArray found = qgetenv("HOME");
        qputenv("HOME", home);
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QCOMPARE(found, QByteArray(getpwuid(getuid())->pw_dir));
    }

    void run_data() {
        QTest::addColumn<QString>("repository");
        QTest::addColumn<int>("status");
        QTest::newRow("runs until Exit") << "new" << 0;
        QTest::newRow("repository cannot be opened") << "folder in the way" << 1;
        QTest::newRow("a stored statement fails") << "statement broken" << 1;
    }
    void run() {
        QFETCH(QString, repository);
        QFETCH(int, status);
        Doc("one.txt");
        if (repository == "folder in the way")
            QDir().mkpath(RepositoryFolder() + "/reposit.db");
        if (repository == "statement broken") {
            // A missing statement would come back from the template.
            Open();
            gRepository->RunSQL(
                "UPDATE query SET sql = 'SELECT extID FROM nowhere' WHERE key = 'getExtName'");
            AM_Vollo::ReleaseRepository();
        }
        ModalAnswerer answerer(QMessageBox::Ok);
        QTimer exit;
        exit.setInterval(20);
        connect(&exit, &QTimer::timeout, this, [] {
            FormMain* form = AM_Vollo::gMainForm;
            if (form != nullptr && form->isVisible() &&
                QApplication::activeModalWidget() == nullptr)
                form->findChild<QAction*>("Exit")->trigger();
        });
        exit.start();
        QCOMPARE(AM_Vollo::Run(), status);
        // The first-start question and the desktop tags' question, or the failure.
        QCOMPARE(answerer.Count(), status == 0 ? 2 : 1);
        QVERIFY(status == 0 || answerer.Texts().first().contains(RepositoryFolder()));
        QVERIFY(gRepository == nullptr && AM_Vollo::gMainForm == nullptr);
    }

    // The program as the desktop starts it: its command line in the desktop's
    // language, a second start, and where its first window opens.
    // LANGUAGE picks the language, from the catalogue beside the program.
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        // No display and no platform: neither must reach the platform plugin.
        QTest::newRow("help") << QStringList{"--help"} << "" << 0 << "--version";
        QTest::newRow("version") << QStringList{"--version"} << "" << 0 << "Vollo 1.0.0";
        QTest::newRow("unknown option") << QStringList{"--bogus"} << "" << 1 << "bogus";
        QTest::newRow("no display") << QStringList() << "" << 1 << "DISPLAY";
        QTest::newRow("en") << QStringList{"--help"} << "en" << 0 << "Organises your documents";
        QTest::newRow("fr:de") << QStringList{"--help"} << "fr:de" << 0
                               << "Organises your documents";
        QTest::newRow("ja") << QStringList{"--help"} << "ja" << 0 << "カテゴリで整理";
        QTest::newRow("ja -h") << QStringList{"-h"} << "ja" << 0 << "-v, --version";
        QTest::newRow("ja --help-all") << QStringList{"--help-all"} << "ja" << 0 << "--help-all";
        QTest::newRow("ja -v") << QStringList{"-v"} << "ja" << 0 << "Vollo 1.0.0";
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, language);
        QFETCH(int, status);
        QFETCH(QString, output);
        QProcess process;
        QProcessEnvironment empty;
        empty.insert("HOME", qEnvironmentVariable("HOME"));
        empty.insert("LANG", "C.UTF-8");
        if (!language.isEmpty())
            empty.insert("LANGUAGE", language);
        process.setProcessEnvironment(empty);
        process.start(QCoreApplication::applicationDirPath() + "/vollo", arguments);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, status);
        const QString printed =
            QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
        QVERIFY2(printed.contains(output), qPrintable(printed));
        // Every option's description in Japanese: none left in Qt's English.
        if (language == "ja")
            QVERIFY2(!printed.contains("Displays"), qPrintable(printed));
    }

    void secondStartHandsOver() {
        // This process stands in for the running Vollo on the same repository.
        CSingleInstance running(CFileDB().INIFileName());
        QVERIFY(running.Listen());
        QSignalSpy activated(&running, &CSingleInstance::OnActivate);
        QProcess second;
        second.start(QCoreApplication::applicationDirPath() + "/vollo", QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 10000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(activated.count(), 1);
        // No window was made and no error shown: nothing was printed.
        QCOMPARE(second.readAllStandardError(), QByteArray());
        // The files of --categories arrive whole, newlines and all.
        QSignalSpy asked(&running, &CSingleInstance::OnCategories);
        const QStringList files{"/tmp/new\nline \"q\".txt", QDir::currentPath() + "/日本語.txt"};
        second.start(QCoreApplication::applicationDirPath() + "/vollo",
                     {"--categories", files[0], "日本語.txt"});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(asked.count(), 1);
        QCOMPARE(asked[0][0].toStringList(), files);
    }

    void othersReadWhileOpen() {
        CVolloDB running;
        running.Create();
        running.RunSQL("UPDATE setting SET nLeft = 7 WHERE ID = 1");
        QProcess reader;
        reader.start("sqlite3", {"-readonly", running.INIFileName(),
                                 "SELECT nLeft FROM setting WHERE ID = 1"});
        QVERIFY(reader.waitForFinished(10000));
        QCOMPARE(reader.readAllStandardError(), QByteArray());
        QCOMPARE(reader.readAllStandardOutput().trimmed(), QByteArray("7"));
    }

    void firstGeometry_data() {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("1920x1080, capped") << QRect(0, 0, 1920, 1050) << QRect(320, 125, 1280, 800);
        QTest::newRow("1366x768, two thirds")
            << QRect(0, 32, 1366, 736) << QRect(125, 100, 1115, 600);
        QTest::newRow("700x480, design size") << QRect(0, 0, 700, 480) << QRect(44, 34, 611, 411);
        QTest::newRow("640x400, whole screen") << QRect(0, 0, 640, 400) << QRect(14, 0, 611, 400);
        QTest::newRow("second screen") << QRect(1920, 0, 1920, 1080) << QRect(2240, 140, 1280, 800);
    }
    void firstGeometry() {
        QFETCH(QRect, available);
        QFETCH(QRect, expected);
        QTEST(CWindowPlacement::FirstGeometry(available, QSize(611, 411)), "expected");
        // The design's minimum at 2x is capped to the screen less a 10x30 frame.
        const QSize minimum =
            CWindowPlacement::FittingMinimum(QSize(1222, 822), available, QSize(10, 30));
        QCOMPARE(minimum, QSize(1222, 822).boundedTo(available.size() - QSize(10, 30)));
        QVERIFY(minimum.width() >= std::min(1222, expected.width() - 10));
    }
    // What a user meets on any desktop: a status line as tall as its font,
    // names for screen readers, keys for every command, Qt's texts and Vollo's
    // own in Japanese.
    void windowForEveryUser() {
        Start();
        QApplication::setActiveWindow(m_form);
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        auto* status = Find<QLineEdit>("TextStatusBar");
        QVERIFY(status->height() >= status->fontMetrics().height() &&
                status->geometry().bottom() < m_form->height());
        for (QWidget* w : m_form->findChildren<QWidget*>()) {
            if (w->isVisibleTo(m_form) && w->focusPolicy() != Qt::NoFocus)
                QVERIFY2(
                    !QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty(),
                    qPrintable(w->objectName() + w->metaObject()->className()));
        }
        Tree()->setFocus();
        const QStringList order{"TabStripWork", "ListView1", "TextSearch", "", "", "", ""};
        for (const QString& name : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (!name.isEmpty())
                QCOMPARE(QApplication::focusWidget()->objectName(), name);
            else // then the buttons
                QVERIFY(qobject_cast<QToolButton*>(QApplication::focusWidget()));
        }
        Tree()->setFocus();
        QTest::keyClick(m_form, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), Find<QLineEdit>("TextSearch"));
        for (const char* command : {"Exit", "Category", "FolderOpen"})
            QVERIFY(!Find<QAction>(command)->shortcut().isEmpty());
        // The repository in use by another Vollo: what failed and what to do.
        const QString busy = AM_Vollo::UserText(CError(5, "database is locked"));
        QVERIFY(busy.contains("ほかの Vollo") && busy.contains("database is locked"));
        if (!AM_Vollo::LoadQtTranslations(QLocale(QLocale::Japanese, QLocale::Japan)))
            QSKIP("Qt's Japanese translations are not installed");
        QMessageBox box(QMessageBox::NoIcon, {}, {}, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
        AM_Vollo::LoadQtTranslations(QLocale::c());
    }

    // The program speaks Japanese on a Japanese desktop and English on any
    // other: the first-start question, the window, the context menu, the
    // category dialog and the about box; what is stored stays as it is.
    void languages_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("japanese");
        QTest::newRow("en_GB") << "en_GB" << false;
        QTest::newRow("de_DE") << "de_DE" << false;
        QTest::newRow("ja_JP") << "ja_JP" << true;
    }
    void languages() {
        QFETCH(QString, locale);
        QFETCH(bool, japanese);
        const auto restore = qScopeGuard([] {
            QLocale::setDefault(QLocale::system());
            CLanguage::Load(QLocale(QLocale::Japanese, QLocale::Japan));
        });
        Doc("report.txt");
        Doc("sheet.csv");
        QLocale::setDefault(QLocale(locale));
        QVERIFY(CLanguage::Load(QLocale()));
        QCOMPARE(CLanguage::Japanese(), japanese);
        ModalAnswerer answerer(QMessageBox::Ok);
        Start(false);
        QStringList texts = answerer.Texts();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(List("H0")->Count(), 2);
        QMenu* menu = List("H0")->ContextMenu()->ShowMenuAt(List("H0")->Tag(1), QPoint(10, 10));
        AddActionTexts(menu->actions(), texts);
        menu->close();
        Press("Category");
        texts << ShownTexts(m_form);
        // F1 opens the about box over the window.
        QApplication::setActiveWindow(m_form);
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        QTimer::singleShot(0, m_form, [&texts] {
            if (auto* about = qobject_cast<FormAbout*>(QApplication::activeModalWidget())) {
                texts << ShownTexts(about);
                about->close();
            }
        });
        QTest::keyClick(m_form, Qt::Key_F1);
        QVERIFY(m_form->findChild<FormAbout*>() != nullptr);
        QCOMPARE(m_form->findChild<FormAbout*>()->parentWidget(), static_cast<QWidget*>(m_form));
        const QString all = texts.join('\n');
        const QStringList english{"All Files", "Name", "Exit", "2 files"};
        const QStringList expected{"すべてのファイル", "名前",         "終了",
                                   "2 個のファイル",   "カテゴリ設定", "重要",
                                   "のバージョン情報"};
        for (const QString& text : japanese ? expected : english)
            QVERIFY2(all.contains(text), qPrintable(text));
        // Kana, CJK punctuation and ideographs, full-width forms.
        const QStringList shownJapanese = texts.filter(QRegularExpression(
            QStringLiteral("[\\x{3000}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]")));
        QVERIFY2(japanese || shownJapanese.isEmpty(), qPrintable(shownJapanese.join(" | ")));
        // Nothing translated reached the repository.
        QCOMPARE(gRepository->RunQuery("getRootFolder").Field("Value").toString(),
                 QString("すべてのファイル"));
    }

    // Counts read right in English for one and many, with the locale's
    // thousands separator: "1 file", never "1 files" or "20000 files".
    void countTexts_data() {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("expected");
        const QString status = QStringLiteral("%Ln 個のファイル");
        const QString leftOut = QStringLiteral("%Ln 件を取り込めませんでした。");
        QTest::newRow("status 1") << "FormMain" << status << 1 << "1 file";
        QTest::newRow("status 20000") << "FormMain" << status << 20000 << "20,000 files";
        QTest::newRow("left out 1")
            << "CLeftOut" << leftOut << 1 << "1 item could not be collected.";
        QTest::newRow("left out 20000")
            << "CLeftOut" << leftOut << 20000 << "20,000 items could not be collected.";
    }
    void countTexts() {
        QFETCH(QString, context);
        QFETCH(QString, source);
        QFETCH(int, count);
        QFETCH(QString, expected);
        const auto restore = qScopeGuard([] {
            QLocale::setDefault(QLocale::system());
            CLanguage::Load(QLocale(QLocale::Japanese, QLocale::Japan));
        });
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        QVERIFY(CLanguage::Load(QLocale()));
        QCOMPARE(QCoreApplication::translate(qPrintable(context), source.toUtf8().constData(),
                                             nullptr, count),
                 expected);
        QCOMPARE(CManyDocuments::CountText(count),
                 expected.section(' ', 0, 0) + (count == 1 ? " file" : " files"));
    }

    // The bar between the tree and the lists: dragged, limited, remembered
    // with the window's size; the name column fills what the others leave.
    void splitBar_data() {
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("expected"); // the bar's left in twips; -1: dx moved it freely
        QTest::newRow("right") << 120 << -1;
        QTest::newRow("left") << -60 << -1;
        // The engine stops the drag at a limit and places the bar a grip short of it.
        QTest::newRow("past the left limit") << -400 << CSplitBar::LimitLeft - CSplitBar::Grip;
        QTest::newRow("past the right limit")
            << 2000 << 780 * 15 - CSplitBar::LimitRight - CSplitBar::Grip;
    }
    void splitBar() {
        QFETCH(int, dx);
        QFETCH(int, expected);
        Start();
        m_form->resize(780, 700); // restored as it is on the 800x800 screen
        QWidget* bar = Find<QWidget>("SplitBar");
        const int left = bar->x();
        const int tree = Tree()->width();
        const QRect list = Control(0)->geometry();
        Drag(bar, dx);
        const int moved = expected < 0 ? dx : CWidgetAnchorControl::ToPixels(expected) - left;
        QCOMPARE(QList<int>({bar->x(), Tree()->width(), Control(0)->x(), Control(0)->width()}),
                 QList<int>({left + moved, tree + moved, list.x() + moved, list.width() - moved}));
        VerifyNameFills();
        Stop();
        Start();
        QCOMPARE(Find<QWidget>("SplitBar")->x(), left + moved);
        QCOMPARE(Tree()->width(), tree + moved);
        VerifyNameFills();
    }

    // A larger application font: the toolbars, the size and date columns
    // and the tree grow with it, and nothing hides behind an overflow marker
    // or loses the end of its text.
    void largerFonts_data() {
        QTest::addColumn<double>("scale");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("1.25x") << 1.25;
        QTest::newRow("2x") << 2.0;
    }
    void largerFonts() {
        QFETCH(double, scale);
        const QFont original = QApplication::font();
        const auto restore = qScopeGuard([original] { QApplication::setFont(original); });
        QFont font = original;
        font.setPointSizeF(original.pointSizeF() * scale);
        QApplication::setFont(font);
        Start();
        for (const char* name : {"ToolbarMenu", "ToolbarFolderOpen"}) {
            auto* bar = Find<QToolBar>(name);
            for (QAction* action : bar->actions()) {
                const QWidget* button = bar->widgetForAction(action);
                QVERIFY2(button == nullptr || button->isVisible(), qPrintable(action->text()));
            }
        }
        QHeaderView* header = Control(0)->header();
        const QFontMetrics metrics(Control(0)->font());
        for (int column = 1; column < header->count(); ++column) {
            QStringList texts = CCategoryLists::WidestTexts(column);
            texts << header->model()->headerData(column, Qt::Horizontal).toString();
            for (const QString& text : std::as_const(texts))
                QVERIFY2(metrics.horizontalAdvance(text) < header->sectionSize(column),
                         qPrintable(text));
        }
        QTreeWidget* tree = Tree();
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            const int end = tree->visualItemRect(*it).left() + tree->iconSize().width() + 6 +
                            metrics.horizontalAdvance((*it)->text(0));
            QVERIFY2(end <= tree->viewport()->width(), qPrintable((*it)->text(0)));
        }
    }

    // A window narrowed after the bar went right still leaves the lists their
    // room; back to the left, the window may narrow again.
    void narrowingKeepsTheList() {
        Start();
        const int least = m_form->minimumWidth();
        m_form->resize(1400, 700);
        const int start = Find<QWidget>("SplitBar")->x();
        // Beyond what the screen allows, the bar gives way to the lists.
        Drag(Find<QWidget>("SplitBar"), 800);
        QVERIFY(m_form->minimumWidth() > least);
        m_form->resize(1, 700);
        QCOMPARE(m_form->width(), m_form->minimumWidth());
        QVERIFY(Control(0)->isVisible());
        QVERIFY(Control(0)->width() * 15 >= CSplitBar::LimitRight - 300);
        VerifyNameFills();
        QVERIFY(m_form->width() <= m_form->screen()->availableGeometry().width());
        Drag(Find<QWidget>("SplitBar"), start - Find<QWidget>("SplitBar")->x());
        QCOMPARE(m_form->minimumWidth(), least);
    }
    // Rows taken away: Delete or the menu's command takes them out of the
    // shown category only; deleting the shortcut (never the menu's default)
    // asks first, and for a recent row it only leaves the desktop's list. The
    // next listing agrees, also with a shortcut deleted outside Vollo; the
    // documents themselves stay.
    void removeRows_data() {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("command"); // the Delete key, the menu's action or "outside"
        QTest::addColumn<int>("answer");
        QTest::addColumn<QList<int>>("left"); // rows, links to H1 and to H2, files
        const int yes = QMessageBox::Yes, no = QMessageBox::No;
        const auto row = [](const char* tag, const char* node, const char* command, int answer,
                            const QList<int>& left) {
            QTest::newRow(tag) << QString(node) << QString(command) << answer << left;
        };
        row("Delete", "H1", "Delete", 0, {1, 1, 2, 2});
        row("menu, remove from category", "H1", "RemoveFromCategory", 0, {1, 1, 2, 2});
        row("Delete in all files, yes", "H0", "Delete", yes, {1, 1, 1, 1});
        row("Delete in all files, no", "H0", "Delete", no, {2, 2, 2, 2});
        row("menu, delete shortcut, yes", "H1", "DeleteShortcut", yes, {1, 1, 1, 1});
        row("menu, delete shortcut, no", "H1", "DeleteShortcut", no, {2, 2, 2, 2});
        row("menu, delete recent row", "H1001", "DeleteShortcut", yes, {1, 2, 2, 2});
        row("deleted outside", "H1", "outside", 0, {1, 1, 1, 1});
    }
    void removeRows() {
        QFETCH(QString, node);
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(QList<int>, left);
        Start();
        Collect({"a.txt", "b.txt"}, {"H1", "H2"});
        for (const QString& doc : m_docs)
            AddRecentEntry(doc, QDateTime::currentDateTimeUtc());
        ClickNode(node);
        CListViewControl* list = List(node == "H1" ? "H1" : "H0")->ListView();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowAt(list, 0));
        ModalAnswerer answerer{QMessageBox::StandardButton(answer)};
        if (command == "Delete") {
            QTest::keyClick(list, Qt::Key_Delete);
        } else if (command == "outside") {
            QVERIFY(QFile::remove(List("H1")->Tag(1)));
        } else {
            QContextMenuEvent event(QContextMenuEvent::Mouse, RowAt(list, 0),
                                    list->viewport()->mapToGlobal(RowAt(list, 0)));
            QCoreApplication::sendEvent(list->viewport(), &event);
            QMenu* menu = CContextMenu::CurrentMenu();
            QVERIFY(menu != nullptr);
            QVERIFY(menu->defaultAction()->objectName() != QString("DeleteShortcut"));
            menu->findChild<QAction*>(command)->trigger();
            menu->close();
        }
        QTRY_COMPARE(answerer.Count(), answer != 0 ? 1 : 0);
        QVERIFY(answer == 0 || answerer.Texts().first().contains(
                                   node == "H1001" ? "最近使ったファイル" : "すべてのカテゴリ"));
        QTRY_COMPARE(list->ListItemCount(), command == "outside" ? 2 : left.first());
        // The next listing agrees, and so does the repository once its check is in.
        ClickNode(node);
        QTRY_COMPARE((QList<int>{list->ListItemCount(), LinkCount(1), LinkCount(2), FileCount()}),
                     left);
        QCOMPARE(m_form->StatusBar(), FormMain::CountText(left.first()));
        QVERIFY(QFileInfo::exists(m_docs[0]) && QFileInfo::exists(m_docs[1]));
    }

    // Categories made, renamed and deleted, and documents put into them one
    // by one or many at once: the category dialog over a selection, rows
    // dragged out, rows taken out of a category.
    void createRenameDeleteAndRestart() {
        Start();
        Press("Category"); // the dialog is open throughout
        const QString odd = R"(Ünï "x" 100%_🙂)";
        Key("H0", Qt::ControlModifier | Qt::Key_N, {Type(odd)});
        Key("H0", Qt::ControlModifier | Qt::Key_N, {Type("zwei")});
        // After the design's categories, before the extension categories.
        QCOMPARE(Node("H0")->indexOfChild(Node("H5")), 4);
        QCOMPARE(Shown("H4"), QStringList({odd, odd, odd}));
        QCOMPARE(CCategory::NodeImage(Node("H4")), CCategory::NodeImage(Node("H1")));
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "H5");
        QVERIFY(DropOnNode("H5", {Doc("a.txt")}));
        QCOMPARE(List("H5")->Count(), 1);
        // The new list takes the room and the captions of the lists made at start.
        const CListViewControl* made = List("H5")->ListView();
        const CListViewControl* root = Control(0);
        QCOMPARE(made->geometry(), root->geometry());
        QCOMPARE(made->model()->headerData(0, Qt::Horizontal),
                 root->model()->headerData(0, Qt::Horizontal));
        QCOMPARE(made->header()->sectionResizeMode(0), QHeaderView::Stretch);

        Key("H4", Qt::Key_F2, {Type("Neu'")});
        QCOMPARE(Shown("H4"), QStringList({"Neu'", "Neu'", "Neu'"}));

        Key("H5", Qt::Key_Delete, {[](QWidget* box) {
                QTest::mouseClick(static_cast<QMessageBox*>(box)->button(QMessageBox::Yes),
                                  Qt::LeftButton);
            }});
        QVERIFY(m_texts.value(0).contains("zwei") && m_texts.value(0).contains("1 個"));
        QCOMPARE(Shown("H5"), QStringList({"", "", ""}));
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "H0");
        QCOMPARE(FileCount(), 1);

        // The root, the recent documents and the extension categories stay.
        CCategoryMenu* commands = m_form->Category()->Commands();
        for (const QString key : {"H0", "H1001", "H1002"}) {
            Key(key, Qt::Key_F2, {});
            QVERIFY(!commands->RenameAction()->isEnabled());
            QVERIFY(!commands->DeleteAction()->isEnabled());
        }
        QSignalSpy collect(m_form->Category(), &CCategory::OnCollectFolderRequest);
        QAction* collectEntry = nullptr;
        for (QAction* action : commands->Menu()->actions())
            collectEntry = action->text() == "フォルダを取り込む..." ? action : collectEntry;
        QVERIFY(collectEntry != nullptr);
        // It asks for a folder; the question is turned down.
        m_steps = {[](QWidget* d) { static_cast<QDialog*>(d)->reject(); }};
        collectEntry->trigger();
        QCOMPARE(collect.count(), 1);
        QVERIFY(m_steps.isEmpty());

        ClickNode("H4");
        Stop();
        Start();
        // More categories than the design's lists: each has its list and tab
        // (and so have the results of a query).
        QCOMPARE(m_form->FileListViews()->Count(), 6);
        QCOMPARE(Find<QTabBar>("TabStripWork")->count(), 6);
        QVERIFY(DropOnNode("H4", {Doc("b.txt")}));
        QCOMPARE(LinkCount(4), 1);
        QCOMPARE(Node("H4")->text(0), "Neu'");
        QCOMPARE(CCategory::NodeImage(Node("H4")), CCategory::NodeImage(Node("H1")));
        QVERIFY(Node("H5") == nullptr);
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "H4");
        QCOMPARE(CCategory::NodeKey(m_form->Category()->SelectedItem()), "H4");
    }

    // With one category the design's other lists hide; its own still links.
    // Typed as a user types: the results follow, and a query that cannot be
    // read says so under the field and shows no rows.
    void query_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("unreadable");
        QTest::newRow("category") << "仕事" << QStringList{"plan.odt", "report.pdf"} << false;
        QTest::newRow("and not") << "仕事 -type:pdf" << QStringList{"plan.odt"} << false;
        QTest::newRow("or, kana") << "type:pdf OR かな" << QStringList{"report.pdf", "カナ メモ.md"}
                                  << false;
        QTest::newRow("none") << "is:missing" << QStringList() << false;
        QTest::newRow("unreadable") << "仕事 (report" << QStringList() << true;
    }

    void query() {
        QFETCH(QString, query);
        QFETCH(QStringList, rows);
        QFETCH(bool, unreadable);
        Start();
        Collect({"カナ メモ.md", "notes.txt"}, {"H0"});
        Collect({"report.pdf", "plan.odt"}, {"H1"});
        auto* field = Find<QComboBox>("TextQuery");
        QCOMPARE(field->accessibleName(), "クエリ");
        // Rows of an earlier query go as soon as the new one is read.
        field->setFocus();
        QTest::keyClicks(field->lineEdit(), "notes");
        QTRY_COMPARE(ListTexts(List("Q")->ListView()), QStringList{"notes.txt"});
        // The rows of a lookup for text gone past never show.
        m_form->QueryView()->setQuery("type:pdf");
        m_form->QueryView()->setQuery("plan");
        QTRY_COMPARE(ListTexts(List("Q")->ListView()), QStringList{"plan.odt"});
        QTest::qWait(50);
        QCOMPARE(ListTexts(List("Q")->ListView()), QStringList{"plan.odt"});
        // A refill after a collection keeps the results.
        m_form->RefillLists();
        QCOMPARE(ListTexts(List("Q")->ListView()), QStringList{"plan.odt"});
        field->lineEdit()->selectAll();
        // Typed as an input method hands over text: not every letter has a key.
        for (const QChar c : query)
            QTest::sendKeyEvent(QTest::Click, field->lineEdit(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        QTRY_COMPARE(ListTexts(List("Q")->ListView()), rows);
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "Q");
        QCOMPARE(Find<QLabel>("QueryError")->text().isEmpty(), !unreadable);
        QTest::keyClick(field->lineEdit(), Qt::Key_Return);
        QCOMPARE(m_form->QueryView()->History().value(0), unreadable ? QString() : query);
    }

    // A saved search survives a restart with the history and shows the
    // documents of now; its name stays as typed; F2 and Delete act on it as
    // on a category.
    void savedSearch() {
        Start();
        Collect({"report.pdf"}, {"H1"});
        auto* field = Find<QComboBox>("TextQuery");
        field->setFocus();
        QTest::keyClicks(field->lineEdit(), "type:pdf");
        QTest::keyClick(field->lineEdit(), Qt::Key_Return);
        m_steps = {Type("PDF & co")};
        Find<QToolButton>("SaveSearchButton")->click();
        QVERIFY(m_steps.isEmpty());
        Stop();
        Start();
        QCOMPARE(m_form->QueryView()->History().value(0), "type:pdf");
        // A change from the command line: the tree follows it without
        // taking the saved searches' branch for categories.
        m_texts.clear();
        m_steps = {[](QWidget* box) { box->close(); }};
        QVERIFY(QMetaObject::invokeMethod(m_form, "Repository_OnChanged"));
        QVERIFY2(m_texts.isEmpty(), qPrintable(m_texts.join(u'\n')));
        m_steps.clear();
        Collect({"new.pdf", "other.txt"}, {"H0"});
        ClickNode("S:1");
        QTRY_COMPARE(ListTexts(List("Q")->ListView()), (QStringList{"new.pdf", "report.pdf"}));
        QCOMPARE(Node("S:1")->text(0), "PDF & co");
        QCOMPARE(m_form->QueryView()->Query(), "type:pdf");
        Key("S:1", Qt::Key_F2, {Type("pdf & co")});
        QCOMPARE(Node("S:1")->text(0), "pdf & co");
        Key("S:1", Qt::Key_Delete, {[](QWidget* box) {
                qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click();
            }});
        QVERIFY(Node("S:1") == nullptr && CSavedSearches(*gRepository).All().isEmpty());
        // The smart views stay as they are.
        Key("V:missing", Qt::Key_Delete, {});
        QVERIFY(Node("V:missing") != nullptr);
    }

    // Each smart view: the duplicates are confirmed by their whole contents
    // (big3 shares head, tail and size with big1, not its middle).
    void smartViews_data() {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("uncategorised")
            << "V:uncategorised" << QStringList{"big1.bin", "big2.bin", "big3.bin", "gone.txt"};
        QTest::newRow("missing") << "V:missing" << QStringList{"gone.txt"};
        QTest::newRow("duplicates") << "V:duplicates" << QStringList{"big1.bin", "big2.bin"};
    }
    void smartViews() {
        QFETCH(QString, view);
        QFETCH(QStringList, rows);
        Start();
        const QByteArray big(qsizetype(300) * 1024, 'x');
        QByteArray other = big;
        other[qsizetype(150) * 1024] = 'y';
        Collect({"a.txt"}, {"H1"});
        Collect({"gone.txt"}, {"H0"});
        for (const auto& [name, content] :
             {std::pair{"big1.bin", big}, {"big2.bin", big}, {"big3.bin", other}}) {
            QVERIFY(DropOnNode("H0", {Doc(name, content)}));
        }
        m_form->Fingerprints()->Start();
        QTRY_COMPARE(gRepository->RunSQL("SELECT count(*) FROM filefacts WHERE fingerprint <> 0")
                         .Field(0)
                         .toInt(),
                     5);
        QVERIFY(QFile::remove(DocumentsFolder() + "/gone.txt"));
        gRepository->RunSQL("UPDATE filefacts SET missing = 1 WHERE docPath LIKE \"%gone.txt\"");
        ClickNode(view);
        QTRY_COMPARE(ListTexts(List("Q")->ListView()), rows);
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "Q");
    }

    // Ctrl+click on two categories shows the documents in both, いずれか in
    // either; the field shows the query; a plain click shows one again.
    void combineFromTree() {
        Start();
        gRepository->RunSQL("UPDATE tags SET tagName = \"A & B\" WHERE ID = 2");
        Collect({"both.txt"}, {"H1", "H2"});
        Collect({"one.txt"}, {"H1"});
        Collect({"two.txt"}, {"H2"});
        Node("H2")->setText(0, "A & B");
        ClickNode("H1");
        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::ControlModifier, At("H2"));
        QTRY_COMPARE(ListTexts(List("Q")->ListView()), QStringList{"both.txt"});
        QCOMPARE(m_form->QueryView()->Query(), Node("H1")->text(0) + " \"A & B\"");
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "Q");
        Find<QToolButton>("CombineAnyButton")->click();
        QTRY_COMPARE(ListTexts(List("Q")->ListView()),
                     (QStringList{"both.txt", "one.txt", "two.txt"}));
        QCOMPARE(m_form->QueryView()->Query(), Node("H1")->text(0) + " OR \"A & B\"");
        QVERIFY(Node("H1")->isSelected() && Node("H2")->isSelected());
        ClickNode("H1");
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "H1");
        QVERIFY(!Node("H2")->isSelected());
    }

    void oneCategory() {
        Open();
        gRepository->RunSQL("DELETE FROM tags WHERE ID > 1");
        Show();
        QCOMPARE(m_form->FileListViews()->Count(), 3);
        QCOMPARE(Find<QTabBar>("TabStripWork")->count(), 3);
        QVERIFY(!Control(2)->isVisible() && !Control(3)->isVisible());
        ClickNode("H1");
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "H1");
        QVERIFY(DropOnNode("H1", {Doc("a.txt")}));
        QCOMPARE(LinkCount(1), 1);
    }

    void refusals_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("told");
        QTest::newRow("empty") << "  " << QString("空");
        QTest::newRow("duplicate in other case") << "wORK" << QString("Work");
        QTest::newRow("too many") << "more" << QString("500");
        // A shipped name clashes as stored and as shown in the language used.
        QTest::newRow("shown in English") << "en:wORk" << QString("Work");
        QTest::newRow("stored, in English") << "en:仕事" << QString("Work");
        QTest::newRow("shown in Japanese") << "仕事" << QString("仕事");
    }
    void refusals() {
        QFETCH(QString, name);
        QFETCH(QString, told);
        const auto restore = qScopeGuard([] {
            QLocale::setDefault(QLocale::system());
            CLanguage::Load(QLocale(QLocale::Japanese, QLocale::Japan));
        });
        const bool english = name.startsWith("en:");
        if (english) {
            name = name.mid(3);
            QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
            QVERIFY(CLanguage::Load(QLocale()));
        }
        Open();
        if (!english && name != "仕事")
            gRepository->AddTag("Work");
        // Every number taken: the ones of deleted categories are used again.
        if (name == "more")
            gRepository->RunSQL("WITH RECURSIVE n(i) AS (SELECT 5 UNION ALL SELECT i + 1 FROM n "
                                "WHERE i < 500) INSERT INTO tags (ID, tagName) SELECT i, 'c' || i "
                                "FROM n");
        Show();
        const int before = Node("H0")->childCount();
        // Refused, asked again with the name kept, then given up.
        Key("", Qt::ControlModifier | Qt::Key_N,
            {Type(name), Hit(Qt::Key_Return), Hit(Qt::Key_Escape)});
        QCOMPARE(m_texts.size(), 1);
        QVERIFY2(m_texts.first().contains(told), qPrintable(m_texts.first()));
        QCOMPARE(Node("H0")->childCount(), before);
    }
    // Categories inside categories, made, nested by dragging their nodes and
    // deleted as a user does; names are shown as typed.
    void nesting() {
        const QString doc = Doc("a.txt");
        Start();
        Press("Category");
        const QString taxes = "Taxes & Receipts";
        Key("H0", Qt::ControlModifier | Qt::Key_N, {Type(taxes)});
        Key("H4", Qt::ControlModifier | Qt::Key_N, {Type("2025/Q1, A")});
        QCOMPARE(Node("H5")->parent(), Node("H4"));
        // The tab strip and the prompt's label would take "&" for a mnemonic.
        QCOMPARE(Shown("H4"), QStringList({taxes, "Taxes && Receipts", taxes}));
        QString prompt;
        Key("H4", Qt::Key_F2, {[&prompt](QWidget* d) {
                prompt = static_cast<QInputDialog*>(d)->labelText();
                static_cast<QDialog*>(d)->reject();
            }});
        QVERIFY2(prompt.contains("Taxes && Receipts"), qPrintable(prompt));
        QVERIFY(DropOnNode("H5", {doc}));
        ClickNode("H4");
        QCOMPARE(List("H4")->Count(), 1);
        // Left out of this parent's list by its menu, and so remembered.
        auto* toggle = Find<QAction>("SubcategoriesIncluded");
        emit m_form->Category()->Commands()->Menu()->aboutToShow();
        QVERIFY(toggle->isEnabled() && toggle->isChecked());
        toggle->trigger();
        QCOMPARE(List("H4")->Count(), 0);
        QVERIFY(!CCategoryStore(*gRepository).IncludesDescendants(4));
        toggle->trigger();
        QCOMPARE(List("H4")->Count(), 1);
        // Dragged onto a node it nests there; under itself it is refused.
        const auto drag = [this](const QString& key, const QString& onto) {
            std::unique_ptr<QMimeData> data(CCategoryNodeDrag::MimeFor(key));
            DropData(Tree()->viewport(), data.get(), At(onto));
        };
        drag("H1", "H5");
        QCOMPARE(Node("H1")->parent(), Node("H5"));
        // The dialog's rows follow, each a step further in, its box along.
        CCheckListView* rows = m_form->CategoryForm()->CheckListView();
        QStringList order;
        for (QTreeWidgetItem* row : rows->ListItems())
            order << CCheckListView::Key(row) +
                         QString::number(row->data(0, Qt::UserRole + 2).toInt());
        QCOMPARE(order, QStringList({"H20", "H30", "H40", "H51", "H12"}));
        QVERIFY(rows->ImageRect(rows->FindItem("H1")).left() >
                rows->ImageRect(rows->FindItem("H4")).left());
        m_steps = {[](QWidget* box) { static_cast<QDialog*>(box)->accept(); }};
        drag("H4", "H1");
        QVERIFY(m_steps.isEmpty() && m_texts.size() == 1);
        QCOMPARE(Node("H4")->parent(), Node("H0"));
        Key("H4", Qt::Key_Delete, {[](QWidget* box) {
                QTest::mouseClick(static_cast<QMessageBox*>(box)->button(QMessageBox::Yes),
                                  Qt::LeftButton);
            }});
        QVERIFY2(m_texts.value(1).contains("2 個のカテゴリ") && m_texts.value(1).contains("1 個"),
                 qPrintable(m_texts.value(1)));
        QCOMPARE(Node("H5")->parent(), Node("H0"));
        QCOMPARE(FileCount(), 1);
        Stop();
        Start();
        QCOMPARE(Node("H1")->parent(), Node("H5"));
        drag("H1", "H0");
        QCOMPARE(Node("H1")->parent(), Node("H0"));
    }

    // Tabs of the user's categories come when their node is clicked, go as
    // the user closes them, and come back at the next start; a parent's open
    // list follows a drop onto its child.
    void categoryTabs_data() {
        QTest::addColumn<QString>("close");
        QTest::newRow("middle click") << "middle";
        QTest::newRow("close button") << "button";
        QTest::newRow("Ctrl+W") << "key";
    }
    void categoryTabs() {
        QFETCH(QString, close);
        Open();
        CCategoryStore store(*gRepository);
        store.SetParent(store.Add("親"), 0);
        store.SetParent(store.Add("子"), 4);
        Show();
        auto* strip = Find<QTabBar>("TabStripWork");
        const auto keys = [this] {
            auto* strip = Find<QTabBar>("TabStripWork");
            QStringList all;
            for (int i = 0; i < strip->count(); ++i)
                all << strip->tabData(i).toString();
            return all;
        };
        QCOMPARE(keys(), QStringList({"H0", "H1", "H2", "H3", "Q"}));
        for (int i = 0; i < strip->count(); ++i)
            QVERIFY(!strip->tabButton(i, QTabBar::LeftSide) &&
                    !strip->tabButton(i, QTabBar::RightSide));
        ClickNode("H4");
        ClickNode("H5");
        QCOMPARE(keys(), QStringList({"H0", "H1", "H2", "H3", "Q", "H4", "H5"}));
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "H5");
        QVERIFY(DropOnNode("H5", {Doc("a.txt")}));
        QCOMPARE(List("H4")->Count(), 1);
        const int at = int(keys().indexOf("H5"));
        if (close == "middle") {
            QTest::mouseClick(strip, Qt::MiddleButton, {}, strip->tabRect(at).center());
        } else if (close == "button") {
            QWidget* button = strip->tabButton(at, QTabBar::RightSide);
            QTest::mouseClick(button ? button : strip->tabButton(at, QTabBar::LeftSide),
                              Qt::LeftButton);
        } else {
            m_form->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m_form));
            QTest::keyClick(m_form, Qt::Key_W, Qt::ControlModifier);
        }
        QCOMPARE(keys(), QStringList({"H0", "H1", "H2", "H3", "Q", "H4"}));
        QVERIFY(!List("H5")->ListView()->isVisible());
        QVERIFY(m_form->TabViewer()->SelectedListView()->isVisible());
        // The fixed tabs stay, whatever closes them.
        m_form->TabViewer()->SelectTab("H1");
        QTest::keyClick(m_form, Qt::Key_W, Qt::ControlModifier);
        QTest::mouseClick(strip, Qt::MiddleButton, {}, strip->tabRect(1).center());
        QCOMPARE(strip->count(), 6);
        Stop();
        Start();
        QCOMPARE(keys(), QStringList({"H0", "H1", "H2", "H3", "Q", "H4"}));
    }

    // A colour from the node's menu shows on the node, its tab and its row
    // in the category dialog, and stays after a restart.
    void colours() {
        Open();
        CCategoryStore(*gRepository).Add("色つき");
        Show();
        const QColor teal("#0c8599");
        const auto shown = [this, teal] {
            Press("Category");
            auto* strip = Find<QTabBar>("TabStripWork");
            QColor tab;
            for (int i = 0; i < strip->count(); ++i)
                if (!strip->tabIcon(i).isNull())
                    tab = strip->tabData(i).toString() == "H4" ? teal : QColor(Qt::black);
            QTreeWidgetItem* row = m_form->CategoryForm()->CheckListView()->FindItem("H4");
            return QList<QColor>{CCategory::NodeColour(Node("H4")), tab,
                                 row->data(0, Qt::UserRole + 3).value<QColor>()};
        };
        ClickNode("H4");
        emit m_form->Category()->Commands()->Menu()->aboutToShow();
        QVERIFY(Find<QAction>("Colour")->isEnabled() && Find<QAction>("Colour_none")->isChecked());
        Find<QAction>("Colour_teal")->trigger();
        QCOMPARE(shown(), QList<QColor>({teal, teal, teal}));
        Stop();
        Start();
        QCOMPARE(shown(), QList<QColor>({teal, teal, teal}));
        emit m_form->Category()->Commands()->Menu()->aboutToShow();
        QVERIFY(Find<QAction>("Colour_teal")->isChecked());
        Find<QAction>("Colour_none")->trigger();
        QCOMPARE(shown(), QList<QColor>({QColor(), QColor(), QColor()}));
    }

    // One document in the category dialog: a tick or untick writes the
    // repository at once.
    void ticks_data() {
        QTest::addColumn<bool>("tabShown");
        QTest::newRow("category's tab shown") << true;
        QTest::newRow("other tab shown") << false;
    }
    void ticks() {
        QFETCH(bool, tabShown);
        const QString doc = Doc("tick.txt");
        Start();
        FormCategory* dialog = m_form->CategoryForm();
        QVERIFY(DropOnNode(tabShown ? "H2" : "H0", {doc}));
        if (tabShown) {
            // The file is in the second category; its list is shown and the
            // file clicked there while the dialog is open.
            Press("Category");
            QVERIFY(dialog->IsFreezed());
            m_form->TabViewer()->SelectTab("H2");
            QTest::mouseClick(Control(2)->viewport(), Qt::LeftButton, {}, RowAt(Control(2), 0));
        } else {
            m_form->TabViewer()->SelectTab("H0");
            Control(0)->setSelectedItem(Control(0)->ListItem(1));
            Press("Category");
            // The dialog shows the shortcut's own name without ".lnk".
            QCOMPARE(dialog->FilePath(), QString("tick.txt"));
        }
        QVERIFY(dialog->isVisible() && !dialog->IsFreezed() && dialog->FileID() > 0);
        QTreeWidget* boxes = dialog->ListViewCategory();
        QTreeWidgetItem* second = boxes->topLevelItem(1);
        QCOMPARE(CCheckListView::Key(second), QString("H2"));
        QCOMPARE(CCheckListView::SmallIcon(second), QString(tabShown ? "checked" : "unchecked"));
        ClickBox(boxes, second);
        // Unticked while its list is shown: the list is refilled without the
        // file, and the dialog freezes. Otherwise only the repository changes.
        QCOMPARE(LinkCount(2), tabShown ? 0 : 1);
        QCOMPARE(List("H2")->Count(), 0);
        QCOMPARE(dialog->IsFreezed(), tabShown);
        // A dialog without a registered file links nothing.
        dialog->Unfreeze();
        dialog->setFileID(-1);
        m_form->FCategoryForm_OnItemClick(1, second);
        QCOMPARE(Count("SELECT COUNT(*) FROM filetags WHERE fileID < 1"), 0);
        QVERIFY(dialog->IsFreezed());
    }

    // The status line: a node click shows the count of its rows (an
    // extension node its documents in the root's list), a tab click the
    // count without refilling, one selected row its path, more the selection.
    // Find works on the rows shown; the folder button opens the folder of
    // the one selected row.
    void statusLine() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        const auto unset = qScopeGuard([] { QDesktopServices::unsetUrlHandler("file"); });
        Start();
        Collect({"sub/a.doc", "b.txt", "c.txt", "d.txt"}, {"H1"});
        // node, tab shown, rows
        const QList<std::tuple<QString, QString, QStringList>> clicks{
            {"H1002", "H0", {"a.doc"}}, // documents: .doc .docx .odt .rtf
            {"H0", "H0", {"a.doc", "b.txt", "c.txt", "d.txt"}},
            {"H2", "H2", {}}};
        for (const auto& [node, tab, rows] : clicks) {
            ClickNode(node);
            QCOMPARE(m_form->TabViewer()->SelectedKey(), tab);
            QCOMPARE(ListTexts(List(tab)->ListView()), rows);
            QCOMPARE(m_form->StatusBar(), FormMain::CountText(int(rows.size())));
        }
        Press("FolderOpen"); // nothing selected: nothing opened
        QVERIFY(catcher.urls.isEmpty());
        m_form->TabViewer()->SelectTab("H1");
        QCOMPARE(m_form->StatusBar(), FormMain::CountText(4));
        CListViewControl* list = ShowFirstCategory();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowAt(list, 0));
        QCOMPARE(m_form->StatusBar(), m_docs.first()); // one row: its path
        Press("FolderOpen");
        QTRY_COMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls.first().toLocalFile(), DocumentsFolder() + "/sub");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, RowAt(list, 2));
        QCOMPARE(m_form->StatusBar(), QString("4 個のファイル（3 個を選択）"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, RowAt(list, 1));
        QCOMPARE(m_form->StatusBar(), QString("4 個のファイル（2 個を選択）"));
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(m_form->StatusBar(), QString("4 個のファイル（4 個を選択）"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowAt(list, 3));
        QTest::keyClick(list, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(m_form->StatusBar(), QString("4 個のファイル（2 個を選択）"));
        // Find, whatever the case, goes to the list that is shown.
        m_form->FFindBox_OnFind("TXT");
        const CListItem first = list->SelectedItem();
        m_form->FFindBox_OnFindNext();
        QVERIFY(first.Text().endsWith("txt") && list->SelectedItem() != first &&
                list->SelectedItem().Text().endsWith("txt"));
        // F3 in the search field: the status line names the row reached.
        QTest::keyClick(Find<QLineEdit>("TextSearch"), Qt::Key_F3);
        QVERIFY(list->SelectedItem().Index() == 4);
        QCOMPARE(m_form->StatusBar(), BM_Library::ShortcutTarget(list->SelectedItem().Tag()));
    }

    void dialogShowsTheWholeSelection() {
        Start();
        Collect({"a.txt", "b.txt"}, {"H1", "H2"});
        Collect({"c.txt"}, {"H1"});
        CListViewControl* list = ShowFirstCategory();
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        Press("Category");
        FormCategory* dialog = m_form->CategoryForm();
        QCOMPARE(dialog->FilePath(), QString("3 個のファイルを選択中"));
        QTreeWidget* boxes = dialog->ListViewCategory();
        QStringList icons;
        for (int i = 0; i < 3; ++i)
            icons << CCheckListView::SmallIcon(boxes->topLevelItem(i));
        QCOMPARE(icons, (QStringList{"checked", "grayed", "unchecked"}));
        // A click on the grayed box sets the category for all three.
        QTreeWidgetItem* second = boxes->topLevelItem(1);
        ClickBox(boxes, second);
        QCOMPARE(CCheckListView::SmallIcon(second), QString("checked"));
        QCOMPARE((QList<int>{LinkCount(2), LinkCount(3)}), (QList<int>{3, 0}));
        // Unticked for all: the three leave that category only.
        dialog->CheckListView()->SetState(second, CCheckListView::Checked);
        m_form->FCategoryForm_OnItemClick(0, second);
        QCOMPARE((QList<int>{LinkCount(2), LinkCount(1)}), (QList<int>{0, 3}));
    }

    // Dragged rows carry their file IDs for Vollo and the real documents,
    // escaped as the uri-list format wants, for other programs.
    void draggedRowsAreLinkedOrHandedOver() {
        Start();
        Collect({"a b.txt", "100% sure.txt", "#1 draft.txt", "日本語の文書.txt"}, {"H1"});
        const QStringList shortcuts = Shortcuts();
        CListViewControl* list = ShowFirstCategory();
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        CFileListView* view = List("H1");
        std::unique_ptr<QMimeData> data(view->MimeData(view->SelectedItems()));
        QStringList offered;
        for (const QUrl& url : data->urls())
            offered << url.toLocalFile();
        offered.sort();
        m_docs.sort();
        QCOMPARE(offered, m_docs);
        const QByteArray raw = data->data(QString("text/uri-list"));
        QVERIFY(raw.contains("/%231%20draft.txt") && raw.contains("/100%25%20sure.txt"));
        // Onto a node, and onto the shown list of another category: linked,
        // never collected again.
        QVERIFY(DropData(Tree()->viewport(), data.get(), At("H3")));
        QCOMPARE(LinkCount(3), 4);
        m_form->TabViewer()->SelectTab(QString("H2"));
        QVERIFY(DropData(Control(2)->viewport(), data.get(), QPoint(20, 20)));
        QCOMPARE(LinkCount(2), 4);
        QCOMPARE(List("H2")->Count(), 4);
        QCOMPARE(Shortcuts(), shortcuts);
    }
};

QTEST_MAIN(TestFormMain)
#include "tst_FormMain.moc"

#include "support_app.h"

#include "AM_Vollo.h"
#include "CCategory.h"
#include "CCategoryMenu.h"
#include "CCheckListView.h"
#include "CContextMenu.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CListViewControl.h"
#include "CTabViewer.h"
#include "CVolloDB.h"
#include "FormCategory.h"
#include "FormMain.h"

#include <QtTest>
#include <QtWidgets>
#include <functional>

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

} // namespace

// Categories made, renamed and deleted, and documents put into them one by
// one or many at once: the category dialog over a selection, rows dragged
// out, rows taken out of a category.
class tst_categories : public QObject, Window {
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

private slots:
    void initTestCase() {
        SetupJapanese();
        connect(&m_timer, &QTimer::timeout, this, &tst_categories::Answer);
        m_timer.start(20);
    }
    void init() {
        ResetAll();
        m_texts.clear();
        m_docs.clear();
    }
    void cleanup() { Stop(); }

    void createRenameDeleteAndRestart() {
        Start();
        Press("Category"); // the dialog is open throughout
        const QString odd = R"(Ünï "x" 100%_🙂)";
        Key("", Qt::ControlModifier | Qt::Key_N, {Type(odd)});
        Key("", Qt::ControlModifier | Qt::Key_N, {Type("zwei")});
        // After the design's categories, before the extension categories.
        QCOMPARE(Node("H0")->indexOfChild(Node("H5")), 4);
        QCOMPARE(Shown("H4"), QStringList({odd, odd, odd}));
        QCOMPARE(CCategory::NodeImage(Node("H4")), "Category");
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
        // More categories than the design's lists: each has its list and tab.
        QCOMPARE(m_form->FileListViews()->Count(), 5);
        QCOMPARE(Find<QTabBar>("TabStripWork")->count(), 5);
        QVERIFY(DropOnNode("H4", {Doc("b.txt")}));
        QCOMPARE(LinkCount(4), 1);
        QCOMPARE(Node("H4")->text(0), "Neu'");
        QCOMPARE(CCategory::NodeImage(Node("H4")), "Category");
        QVERIFY(Node("H5") == nullptr);
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "H4");
        QCOMPARE(CCategory::NodeKey(m_form->Category()->SelectedItem()), "H4");
    }

    // With one category the design's other lists hide; its own still links.
    void oneCategory() {
        Open();
        gRepository->RunSQL("DELETE FROM tags WHERE ID > 1");
        Show();
        QCOMPARE(m_form->FileListViews()->Count(), 2);
        QCOMPARE(Find<QTabBar>("TabStripWork")->count(), 2);
        QVERIFY(!Control(2)->isVisible() && !Control(3)->isVisible());
        ClickNode("H1");
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "H1");
        QVERIFY(DropOnNode("H1", {Doc("a.txt")}));
        QCOMPARE(LinkCount(1), 1);
    }

    void refusals_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("told");
        QTest::newRow("empty") << "  "
                               << "空";
        QTest::newRow("duplicate in other case") << "wORK"
                                                 << "Work";
        QTest::newRow("too many") << "more"
                                  << "500";
    }
    void refusals() {
        QFETCH(QString, name);
        QFETCH(QString, told);
        Open();
        gRepository->AddTag("Work");
        if (name == "more")
            gRepository->RunSQL("INSERT INTO tags (ID, tagName) VALUES (500, 'Last')");
        Show();
        const int before = Node("H0")->childCount();
        // Refused, asked again with the name kept, then given up.
        Key("", Qt::ControlModifier | Qt::Key_N,
            {Type(name), Hit(Qt::Key_Return), Hit(Qt::Key_Escape)});
        QCOMPARE(m_texts.size(), 1);
        QVERIFY2(m_texts.first().contains(told), qPrintable(m_texts.first()));
        QCOMPARE(Node("H0")->childCount(), before);
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

    void selectingRowsShowsTheirCount() {
        Start();
        Collect({"a.txt", "b.txt", "c.txt", "d.txt"}, {"H1"});
        CListViewControl* list = ShowFirstCategory();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowAt(list, 0));
        QVERIFY(m_form->StatusBar().endsWith(QString(".txt"))); // one row: its path
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, RowAt(list, 2));
        QCOMPARE(m_form->StatusBar(), QString("4 個のファイル（3 個を選択）"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, RowAt(list, 1));
        QCOMPARE(m_form->StatusBar(), QString("4 個のファイル（2 個を選択）"));
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(m_form->StatusBar(), QString("4 個のファイル（4 個を選択）"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowAt(list, 3));
        QTest::keyClick(list, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(m_form->StatusBar(), QString("4 個のファイル（2 個を選択）"));
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
        QCOMPARE(LinkCount(2), 3);
        QCOMPARE(LinkCount(3), 0);
        // Unticked for all: the three leave that category only.
        dialog->CheckListView()->SetState(second, CCheckListView::Checked);
        m_form->FCategoryForm_OnItemClick(0, second);
        QCOMPARE(LinkCount(2), 0);
        QCOMPARE(LinkCount(1), 3);
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

    void deleteTakesRowsOutOfTheShownCategoryOnly() {
        Start();
        Collect({"a.txt", "b.txt"}, {"H1", "H2"});
        CListViewControl* list = ShowFirstCategory();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowAt(list, 0));
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(QList<int>({LinkCount(1), LinkCount(2), list->ListItemCount()}),
                 QList<int>({1, 2, 1}));
        QCOMPARE(FileCount(), 2);
        // The menu's command does the same; deleting the shortcut is never
        // its default.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowAt(list, 0));
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, RowAt(list, 0),
                                    list->viewport()->mapToGlobal(RowAt(list, 0)));
        QCoreApplication::sendEvent(list->viewport(), &menuEvent);
        QMenu* menu = CContextMenu::CurrentMenu();
        QVERIFY(menu != nullptr);
        QVERIFY(menu->defaultAction()->objectName() != QString("DeleteShortcut"));
        menu->findChild<QAction*>(QString("RemoveFromCategory"))->trigger();
        menu->close();
        QTRY_COMPARE(LinkCount(1), 0);
        QCOMPARE(LinkCount(2), 2);
        // The list of all files has no category to take rows out of.
        m_form->TabViewer()->SelectTab(QString("H0"));
        m_form->ShowTagFiles(0);
        QTest::mouseClick(Control(0)->viewport(), Qt::LeftButton, {}, RowAt(Control(0), 0));
        QTest::keyClick(Control(0), Qt::Key_Delete);
        QCOMPARE(LinkCount(2), 2);
        QCOMPARE(Control(0)->ListItemCount(), 2);
    }
};

QTEST_MAIN(tst_categories)
#include "tst_categories.moc"

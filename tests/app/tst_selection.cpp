#include "support_app.h"

#include "AM_Vollo.h"
#include "CCategory.h"
#include "CCheckListView.h"
#include "CContextMenu.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CLanguage.h"
#include "CListViewControl.h"
#include "CTabViewer.h"
#include "CVolloDB.h"
#include "FormCategory.h"
#include "FormMain.h"

#include <QtTest>
#include <QtWidgets>

using AM_Vollo::gRepository;
using namespace AppTest;

namespace {

int Count(const QString& sql) {
    return gRepository->RunSQL(sql).Field(0).toInt();
}
int LinkCount(int tagID) {
    return Count(QStringLiteral("SELECT COUNT(*) FROM filetags WHERE tagID = %1").arg(tagID));
}

} // namespace

// Many documents at once, driven as a user does: selecting, the category
// dialog over the selection, dragging rows out and taking them out of a category.
class TestSelection : public QObject {
    Q_OBJECT

    FormMain* m_form = nullptr;
    QStringList m_docs;

    QTreeWidget* Tree() { return m_form->findChild<QTreeWidget*>(QStringLiteral("TreeViewTag")); }
    CListViewControl* Control(int i) {
        return m_form->findChild<CListViewControl*>(QStringLiteral("ListView%1").arg(i + 1));
    }
    QPoint RowAt(CListViewControl* list, int row) {
        list->Model()->Flush();
        list->doItemsLayout();
        return list->visualRect(list->model()->index(row, 0)).center();
    }
    QPoint NodeAt(const QString& key) {
        return Tree()->visualItemRect(m_form->Category()->Node(key)).center();
    }
    // Collects names into the documents folder, dropped on each of nodes.
    void Collect(const QStringList& names, const QStringList& nodes) {
        QStringList files;
        for (const QString& name : names)
            files << WriteFile(DocumentsFolder() + QLatin1Char('/') + name);
        for (const QString& node : nodes)
            QVERIFY(DropFiles(Tree()->viewport(), files, NodeAt(node)));
        m_docs << files;
    }
    // The category list "H1" shown, as after a click on its tab.
    CListViewControl* ShowFirstCategory() {
        m_form->TabViewer()->SelectTab(QStringLiteral("H1"));
        m_form->ShowTagFiles(1);
        Control(1)->Model()->Flush(); // as the event loop would before any key
        return Control(1);
    }
    bool Drop(QWidget* target, QMimeData* data, const QPoint& pos) {
        const Qt::DropActions copy = Qt::CopyAction | Qt::LinkAction;
        QDragEnterEvent enter(pos, copy, data, Qt::LeftButton, {});
        QDropEvent drop(QPointF(pos), copy, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        QCoreApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }

private slots:
    void initTestCase() {
        AM_Vollo::SetupApplication();
        // The program's own texts, whatever the test machine's language.
        CLanguage::Load(QLocale(QLocale::Japanese, QLocale::Japan));
    }
    void init() {
        ResetAll();
        m_docs.clear();
        AM_Vollo::OpenRepository();
        gRepository->RunQuery(QStringLiteral("setFirstStart"));
        m_form = AM_Vollo::ShowMainForm();
    }
    void cleanup() {
        m_form->close();
        delete m_form;
        m_form = AM_Vollo::gMainForm = nullptr;
        AM_Vollo::ReleaseRepository();
    }

    void selectingRowsShowsTheirCount() {
        Collect({"a.txt", "b.txt", "c.txt", "d.txt"}, {"H1"});
        CListViewControl* list = ShowFirstCategory();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowAt(list, 0));
        QVERIFY(m_form->StatusBar().endsWith(QStringLiteral(".txt"))); // one row: its path
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, RowAt(list, 2));
        QCOMPARE(m_form->StatusBar(), QStringLiteral("4 個のファイル（3 個を選択）"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, RowAt(list, 1));
        QCOMPARE(m_form->StatusBar(), QStringLiteral("4 個のファイル（2 個を選択）"));
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(m_form->StatusBar(), QStringLiteral("4 個のファイル（4 個を選択）"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowAt(list, 3));
        QTest::keyClick(list, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(m_form->StatusBar(), QStringLiteral("4 個のファイル（2 個を選択）"));
    }

    void dialogShowsTheWholeSelection() {
        Collect({"a.txt", "b.txt"}, {"H1", "H2"});
        Collect({"c.txt"}, {"H1"});
        CListViewControl* list = ShowFirstCategory();
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        m_form->findChild<QAction*>(QStringLiteral("Category"))->trigger();
        FormCategory* dialog = m_form->CategoryForm();
        QCOMPARE(dialog->FilePath(), QStringLiteral("3 個のファイルを選択中"));
        QTreeWidget* boxes = dialog->ListViewCategory();
        QStringList icons;
        for (int i = 0; i < 3; ++i)
            icons << CCheckListView::SmallIcon(boxes->topLevelItem(i));
        QCOMPARE(icons, (QStringList{"checked", "grayed", "unchecked"}));
        // A click on the grayed box sets the category for all three.
        QTreeWidgetItem* second = boxes->topLevelItem(1);
        QTest::mouseClick(boxes->viewport(), Qt::LeftButton, {},
                          QPoint(boxes->viewport()->mapFrom(boxes, QPoint(8, 0)).x(),
                                 boxes->visualItemRect(second).center().y()));
        QCOMPARE(CCheckListView::SmallIcon(second), QStringLiteral("checked"));
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
        Collect({"a b.txt", "100% sure.txt", "#1 draft.txt", "日本語の文書.txt"}, {"H1"});
        const QStringList shortcuts = Shortcuts();
        CListViewControl* list = ShowFirstCategory();
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        CFileListView* view = m_form->FileListViews()->Item(QStringLiteral("H1"));
        std::unique_ptr<QMimeData> data(view->MimeData(view->SelectedItems()));
        QStringList offered;
        for (const QUrl& url : data->urls())
            offered << url.toLocalFile();
        offered.sort();
        m_docs.sort();
        QCOMPARE(offered, m_docs);
        const QByteArray raw = data->data(QStringLiteral("text/uri-list"));
        QVERIFY(raw.contains("/%231%20draft.txt") && raw.contains("/100%25%20sure.txt"));
        // Onto a node, and onto the shown list of another category: linked,
        // never collected again.
        QVERIFY(Drop(Tree()->viewport(), data.get(), NodeAt(QStringLiteral("H3"))));
        QCOMPARE(LinkCount(3), 4);
        m_form->TabViewer()->SelectTab(QStringLiteral("H2"));
        QVERIFY(Drop(Control(2)->viewport(), data.get(), QPoint(20, 20)));
        QCOMPARE(LinkCount(2), 4);
        QCOMPARE(m_form->FileListViews()->Item(QStringLiteral("H2"))->Count(), 4);
        QCOMPARE(Shortcuts(), shortcuts);
    }

    void deleteTakesRowsOutOfTheShownCategoryOnly() {
        Collect({"a.txt", "b.txt"}, {"H1", "H2"});
        CListViewControl* list = ShowFirstCategory();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowAt(list, 0));
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(QList<int>({LinkCount(1), LinkCount(2), list->ListItemCount()}),
                 QList<int>({1, 2, 1}));
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM files")), 2);
        // The menu's command does the same; deleting the shortcut is never
        // its default.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowAt(list, 0));
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, RowAt(list, 0),
                                    list->viewport()->mapToGlobal(RowAt(list, 0)));
        QCoreApplication::sendEvent(list->viewport(), &menuEvent);
        QMenu* menu = CContextMenu::CurrentMenu();
        QVERIFY(menu != nullptr);
        QVERIFY(menu->defaultAction()->objectName() != QStringLiteral("DeleteShortcut"));
        menu->findChild<QAction*>(QStringLiteral("RemoveFromCategory"))->trigger();
        menu->close();
        QTRY_COMPARE(LinkCount(1), 0);
        QCOMPARE(LinkCount(2), 2);
        // The list of all files has no category to take rows out of.
        m_form->TabViewer()->SelectTab(QStringLiteral("H0"));
        m_form->ShowTagFiles(0);
        QTest::mouseClick(Control(0)->viewport(), Qt::LeftButton, {}, RowAt(Control(0), 0));
        QTest::keyClick(Control(0), Qt::Key_Delete);
        QCOMPARE(LinkCount(2), 2);
        QCOMPARE(Control(0)->ListItemCount(), 2);
    }
};

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"

#include "AM_Vollo.h"
#include "CCategory.h"
#include "CCategoryMenu.h"
#include "CCheckListView.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CLanguage.h"
#include "CListViewControl.h"
#include "CTabViewer.h"
#include "CVolloDB.h"
#include "FormCategory.h"
#include "FormMain.h"
#include "support_app.h"

#include <QtTest>
#include <QtWidgets>
#include <functional>

using AM_Vollo::gRepository;
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
Step Press(Qt::Key key) {
    return [key](QWidget* w) { QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, key); };
}
int Count(const QString& sql) {
    return gRepository->RunSQL(sql).Field(0).toInt();
}

} // namespace

class tst_categories : public QObject {
    Q_OBJECT

    FormMain* m_form = nullptr;
    QTimer m_timer;
    QList<Step> m_steps; // one for each modal window to come, in order
    QStringList m_texts; // what the message boxes said

    void Start() {
        AM_Vollo::OpenRepository();
        gRepository->RunQuery("setFirstStart");
        m_form = AM_Vollo::ShowMainForm();
    }
    void Stop() {
        if (m_form != nullptr)
            m_form->close();
        delete m_form;
        m_form = AM_Vollo::gMainForm = nullptr;
        AM_Vollo::ReleaseRepository();
    }
    void Answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal->property("answered").toBool() || m_steps.isEmpty())
            return;
        modal->setProperty("answered", true);
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            m_texts << box->text();
        m_steps.takeFirst()(modal);
    }
    QTreeWidget* Tree() { return m_form->findChild<QTreeWidget*>("TreeViewTag"); }
    QTreeWidgetItem* Node(const QString& key) { return m_form->Category()->Node(key); }
    QPoint At(const QString& key) { return Tree()->visualItemRect(Node(key)).center(); }
    // Clicks the node (if any), then presses the key in the active window.
    void Key(const QString& node, QKeyCombination key, const QList<Step>& steps) {
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        if (!node.isEmpty())
            QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, At(node));
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

private slots:
    void initTestCase() {
        AM_Vollo::SetupApplication();
        // The program's own texts, whatever the test machine's language.
        CLanguage::Load(QLocale(QLocale::Japanese, QLocale::Japan));
        connect(&m_timer, &QTimer::timeout, this, &tst_categories::Answer);
        m_timer.start(20);
    }
    void init() {
        AppTest::ResetAll();
        m_texts.clear();
    }
    void cleanup() { Stop(); }

    void createRenameDeleteAndRestart() {
        Start();
        m_form->findChild<QAction*>("Category")->trigger(); // the dialog is open throughout
        const QString odd = R"(Ünï "x" 100%_🙂)";
        Key("", Qt::ControlModifier | Qt::Key_N, {Type(odd)});
        Key("", Qt::ControlModifier | Qt::Key_N, {Type("zwei")});
        // After the design's categories, before the extension categories.
        QCOMPARE(Node("H0")->indexOfChild(Node("H5")), 4);
        QCOMPARE(Shown("H4"), QStringList({odd, odd, odd}));
        QCOMPARE(CCategory::NodeImage(Node("H4")), "Category");
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "H5");
        QVERIFY(AppTest::DropFiles(Tree()->viewport(),
                                   {AppTest::WriteFile(AppTest::DocumentsFolder() + "/a.txt")},
                                   At("H5")));
        QCOMPARE(m_form->FileListViews()->Item("H5")->Count(), 1);
        // The new list takes the room and the captions of the lists made at start.
        const CListViewControl* made = m_form->FileListViews()->Item("H5")->ListView();
        const CListViewControl* root = m_form->FileListViews()->Item("H0")->ListView();
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
        QCOMPARE(Count("SELECT count(*) FROM files"), 1);

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
        QTimer closer;
        connect(&closer, &QTimer::timeout, [] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                d->reject();
        });
        closer.start(50);
        collectEntry->trigger();
        QCOMPARE(collect.count(), 1);
        closer.stop();

        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, At("H4"));
        Stop();
        Start();
        QCOMPARE(Node("H4")->text(0), "Neu'");
        QCOMPARE(CCategory::NodeImage(Node("H4")), "Category");
        QVERIFY(Node("H5") == nullptr);
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "H4");
        QCOMPARE(CCategory::NodeKey(m_form->Category()->SelectedItem()), "H4");
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
        AM_Vollo::OpenRepository();
        gRepository->AddTag("Work");
        if (name == "more")
            gRepository->RunSQL("INSERT INTO tags (ID, tagName) VALUES (500, 'Last')");
        AM_Vollo::ReleaseRepository();
        Start();
        const int before = Node("H0")->childCount();
        // Refused, asked again with the name kept, then given up.
        Key("", Qt::ControlModifier | Qt::Key_N,
            {Type(name), Press(Qt::Key_Return), Press(Qt::Key_Escape)});
        QCOMPARE(m_texts.size(), 1);
        QVERIFY2(m_texts.first().contains(told), qPrintable(m_texts.first()));
        QCOMPARE(Node("H0")->childCount(), before);
    }
};

QTEST_MAIN(tst_categories)
#include "tst_categories.moc"

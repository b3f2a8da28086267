#include "AM_Vollo.h"
#include "CCategory.h"
#include "CCategoryMenu.h"
#include "CCheckListView.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CTabViewer.h"
#include "CVolloDB.h"
#include "FormCategory.h"
#include "FormMain.h"
#include "support_app.h"

#include <QtTest>
#include <QtWidgets>
#include <functional>

using AM_Vollo::gRepository;
using namespace AppTest;

namespace {

using Step = std::function<void(QWidget*)>;

// Types a name into the name dialog and presses Enter there.
Step Type(const QString& text) {
    return [text](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>();
        edit->selectAll();
        // Committed at once, as an input method does: QTest types Latin-1 only.
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, text, Qt::NoModifier);
        QTest::keyClick(edit, Qt::Key_Return);
    };
}
Step Press(Qt::Key key) {
    return [key](QWidget* dialog) {
        QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, key);
    };
}
Step Click(QMessageBox::StandardButton button) {
    return [button](QWidget* box) {
        QTest::mouseClick(static_cast<QMessageBox*>(box)->button(button), Qt::LeftButton);
    };
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
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
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
        if (modal == nullptr || !modal->isVisible() || modal->property("answered").toBool() ||
            m_steps.isEmpty())
            return;
        modal->setProperty("answered", true);
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            m_texts << box->text();
        m_steps.takeFirst()(modal);
    }
    QTreeWidget* Tree() { return m_form->findChild<QTreeWidget*>("TreeViewTag"); }
    QTreeWidgetItem* Node(const QString& key) { return m_form->Category()->Node(key); }
    void Key(const QString& node, QKeyCombination key, const QList<Step>& steps) {
        // The window a user types into is the active one.
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        if (!node.isEmpty())
            QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {},
                              Tree()->visualItemRect(Node(node)).center());
        m_steps = steps;
        QTest::keyClick(Tree(), key.key(), key.keyboardModifiers());
        QVERIFY(m_steps.isEmpty());
    }
    QString TabText(const QString& key) {
        QTabBar* tabs = m_form->TabViewer()->TabStrip();
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabData(i).toString() == key)
                return tabs->tabText(i);
        return QString();
    }
    QString DialogRow(const QString& key) {
        QTreeWidgetItem* row = m_form->CategoryForm()->CheckListView()->FindItem(
            CCheckListView::RecordKey(key.mid(1)));
        return row ? row->text(0) : QString();
    }

private slots:
    void initTestCase() {
        AM_Vollo::SetupApplication();
        connect(&m_timer, &QTimer::timeout, this, &tst_categories::Answer);
        m_timer.start(20);
    }
    void init() {
        ResetAll();
        m_texts.clear();
    }
    void cleanup() { Stop(); }

    void createRenameDeleteAndRestart() {
        Start();
        const QString odd = R"(Ünï "x" 100%_🙂)";
        Key("", Qt::ControlModifier | Qt::Key_N, {Type(odd)});
        Key("", Qt::ControlModifier | Qt::Key_N, {Type("zwei")});
        // After the design's categories, before the extension categories;
        // shown, with its tab, its list and its row in the category dialog.
        QTreeWidgetItem* root = Node("H0");
        QCOMPARE(root->indexOfChild(Node("H4")), 3);
        QCOMPARE(root->indexOfChild(Node("H5")), 4);
        QCOMPARE(Node("H4")->text(0), odd);
        QCOMPARE(CCategory::NodeImage(Node("H4")), "Category");
        QCOMPARE(TabText("H4"), odd);
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "H5");
        m_form->findChild<QAction*>("Category")->trigger();
        QCOMPARE(DialogRow("H4"), odd);
        QVERIFY(DropFiles(Tree()->viewport(), {WriteFile(DocumentsFolder() + "/a.txt")},
                          Tree()->visualItemRect(Node("H5")).center()));
        QCOMPARE(m_form->FileListViews()->Item("H5")->Count(), 1);

        Key("H4", Qt::Key_F2, {Type("Neu")});
        QCOMPARE(Node("H4")->text(0), "Neu");
        QCOMPARE(TabText("H4"), "Neu");
        QCOMPARE(DialogRow("H4"), "Neu");

        Key("H5", Qt::Key_Delete, {Click(QMessageBox::Yes)});
        QVERIFY(m_texts.value(0).contains("zwei") && m_texts.value(0).contains("1 個"));
        QVERIFY(Node("H5") == nullptr && TabText("H5").isEmpty() && DialogRow("H5").isEmpty());
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "H0");
        QCOMPARE(Count("SELECT count(*) FROM files"), 1);

        // The root, the recent documents and the extension categories stay.
        QSignalSpy collect(m_form->Category(), &CCategory::OnCollectFolderRequest);
        CCategoryMenu* commands = m_form->Category()->Commands();
        for (const QString key : {"H0", "H1001", "H1002"}) {
            Key(key, Qt::Key_F2, {});
            QVERIFY(!commands->RenameAction()->isEnabled());
            QVERIFY(!commands->DeleteAction()->isEnabled());
        }
        QCOMPARE(commands->Menu()->actions().last()->text(), "フォルダを取り込む...");
        commands->Menu()->actions().last()->trigger();
        QCOMPARE(collect.count(), 1);

        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {},
                          Tree()->visualItemRect(Node("H4")).center());
        Stop();
        Start();
        QCOMPARE(Node("H4")->text(0), "Neu");
        QCOMPARE(CCategory::NodeImage(Node("H4")), "Category");
        QVERIFY(Node("H5") == nullptr);
        QCOMPARE(m_form->TabViewer()->SelectedKey(), "H4");
        QCOMPARE(TabText("H4"), "Neu");
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
        gRepository->RunSQL("INSERT INTO tags (ID, tagName) VALUES (500, 'Last')");
        if (name != "more")
            gRepository->RunSQL("DELETE FROM tags WHERE ID = 500");
        AM_Vollo::ReleaseRepository();
        Start();
        const int before = Node("H0")->childCount();
        // Refused, asked again with the name kept, then given up.
        Key("", Qt::ControlModifier | Qt::Key_N,
            {Type(name), Press(Qt::Key_Return), Press(Qt::Key_Escape)});
        QCOMPARE(m_texts.size(), 1);
        QVERIFY2(m_texts.first().contains(told), qPrintable(m_texts.first()));
        QCOMPARE(Node("H0")->childCount(), before);
        QCOMPARE(Count("SELECT count(*) FROM tags"), name == "more" ? 5 : 4);
    }
};

QTEST_MAIN(tst_categories)
#include "tst_categories.moc"

#include "support_app.h"

#include "AM_Vollo.h"
#include "CCategory.h"
#include "CContextMenu.h"
#include "CFileListModel.h"
#include "CFileListView.h"
#include "CFileListViews.h"
#include "CLanguage.h"
#include "CVolloDB.h"
#include "FormMain.h"

#include <QtTest>
#include <QtWidgets>

using AM_Vollo::gRepository;
using namespace AppTest;

// A document gone from its folder: every list that shows it says so once one
// list was checked, and each list's menu offers to look for it.
class TestMissingRows : public QObject {
    Q_OBJECT

    FormMain* m_form = nullptr;
    CFileListView* List(const QString& key) { return m_form->FileListViews()->Item(key); }
    QPoint At(QTreeWidget* tree, const QString& key) {
        return tree->visualItemRect(m_form->Category()->Node(key)).center();
    }

private slots:
    void initTestCase() {
        AM_Vollo::SetupApplication();
        CLanguage::Load(QLocale(QLocale::Japanese, QLocale::Japan));
    }

    void otherListsFollowAndMenuOffersSearch() {
        ResetAll();
        const QString doc = WriteFile(DocumentsFolder() + "/gone.txt", QByteArray(3000, 'g'));
        AM_Vollo::OpenRepository();
        gRepository->RunQuery("setFirstStart");
        m_form = AM_Vollo::ShowMainForm();
        auto* tree = m_form->findChild<QTreeWidget*>("TreeViewTag");
        QVERIFY(DropFiles(tree->viewport(), {doc}, At(tree, "H2")));
        for (const char* node : {"H0", "H2"})
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, At(tree, node));
        QTRY_COMPARE(List("H0")->Count(), 1);
        QTRY_COMPARE(List("H2")->Count(), 1);
        QVERIFY(QFile::remove(doc));
        // Only the root's list is filled and checked again.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, At(tree, "H0"));
        QTRY_COMPARE(List("H0")->Item(1).SubItems(1), QString("見つかりません"));
        QTRY_COMPARE(List("H2")->Item(1).SubItems(1), QString("見つかりません"));
        QVERIFY(List("H2")->ListView()->Model()->IsMissing(List("H2")->Item(1).Param()));

        QMenu* menu = List("H2")->ContextMenu()->ShowMenuAt(List("H2")->Tag(1), QPoint(10, 10));
        QVERIFY(menu != nullptr);
        const QList<QAction*> actions = menu->actions();
        QVERIFY(std::any_of(actions.cbegin(), actions.cend(), [](const QAction* a) {
            return a->objectName() == "FindMissing" && a->text() == "見つからない文書を探す";
        }));
        menu->close();
        m_form->close();
        delete m_form;
        m_form = AM_Vollo::gMainForm = nullptr;
        AM_Vollo::ReleaseRepository();
    }
};

QTEST_MAIN(TestMissingRows)
#include "tst_missingrows.moc"

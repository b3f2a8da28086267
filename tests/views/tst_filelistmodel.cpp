#include "CFileListModel.h"

#include <QAbstractItemModelTester>
#include <QTest>

// The model under Qt's own consistency checks through every change a list goes
// through; a row's key and tag must travel with it.
class TestFileListModel : public QObject {
    Q_OBJECT

private slots:
    void changes_data() {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("names"); // row texts afterwards, in shown order

        const QStringList added{"b.doc", "a.doc", "d.doc", "c.doc"};
        QTest::newRow("fill") << "fill" << 0 << 0 << added;
        QTest::newRow("name ascending")
            << "sort" << 0 << 0 << QStringList{"a.doc", "b.doc", "c.doc", "d.doc"};
        QTest::newRow("name descending")
            << "sort" << 0 << 1 << QStringList{"d.doc", "c.doc", "b.doc", "a.doc"};
        QTest::newRow("size ascending")
            << "sort" << 1 << 0 << QStringList{"d.doc", "b.doc", "c.doc", "a.doc"};
        QTest::newRow("date ascending")
            << "sort" << 2 << 0 << QStringList{"a.doc", "c.doc", "b.doc", "d.doc"};
        QTest::newRow("fill while sorted")
            << "sorted fill" << 0 << 1 << QStringList{"d.doc", "c.doc", "b.doc", "a.doc"};
        QTest::newRow("remove") << "remove" << 0 << 0 << QStringList{"b.doc", "d.doc", "c.doc"};
        QTest::newRow("clear") << "clear" << 0 << 0 << QStringList{};
    }
    void changes() {
        QFETCH(QString, step);
        QFETCH(int, column);
        QFETCH(int, order);
        QFETCH(QStringList, names);
        CFileListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (const char* title : {"名前", "サイズ", "日付"})
            model.AddColumnHeader(title);
        model.setSortKey(column);
        model.setSortOrder(order);
        if (step == "sorted fill")
            model.setSorted(true);
        fill(model);
        if (step == "sort")
            model.setSorted(true);
        else if (step == "remove")
            model.RemoveRow(1);
        else if (step == "clear")
            model.ClearRows();
        model.Flush();

        QCOMPARE(model.rowCount(), names.size());
        for (int r = 0; r < names.size(); ++r) {
            const QModelIndex at = model.index(r, 2);
            QCOMPARE(model.index(r, 0).data().toString(), names.at(r));
            QCOMPARE(at.data(CFileListModel::KeyRole).toString(), "key " + names.at(r));
            QCOMPARE(at.data(CFileListModel::TagRole).toString(), "tag " + names.at(r));
        }
    }

private:
    // Every column gives its own order; sizes sort by value, not by text.
    static void fill(CFileListModel& model) {
        const char* rows[][3] = {{"b.doc", "9 KB", "2024/01/03"},
                                 {"a.doc", "100 KB", "2024/01/01"},
                                 {"d.doc", "2 KB", "2024/01/04"},
                                 {"c.doc", "10 KB", "2024/01/02"}};
        for (const auto& row : rows) {
            const quint64 param = model.AddRow(row[0], 0);
            model.setSubItemOf(param, 1, row[1]);
            model.setSubItemOf(param, 2, row[2]);
            model.setKeyOf(param, QStringLiteral("key ") + row[0]);
            model.setTagOf(param, QStringLiteral("tag ") + row[0]);
        }
    }
};

QTEST_MAIN(TestFileListModel)
#include "tst_filelistmodel.moc"

#include "CCategoryStore.h"
#include "CError.h"
#include "CVolloDB.h"
#include "Placeholders.h"
#include "support_repository.h"

#include <QtTest>
#include <memory>

namespace {

QMap<int, QString> Categories(CVolloDB& db) {
    QMap<int, QString> names;
    for (CRecordset rs = db.GetTagName(); !rs.IsEOF(); rs.MoveNext())
        names.insert(rs.Field(0).toInt(), rs.Field(1).toString());
    return names;
}

bool Linked(CVolloDB& db, qint32 file, qint32 tag) {
    return !db.RunSQL(
                  FillPlaceholders(db.GetQuery("getFileTag"), {{"%fileID", file}, {"%tagID", tag}}))
                .IsEOF();
}

} // namespace

class tst_categorystore : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CFreshDataHome> m_home;
    std::unique_ptr<CVolloDB> m_db;

private slots:
    void init() {
        m_home = std::make_unique<CFreshDataHome>();
        m_db = std::make_unique<CVolloDB>();
        m_db->Create();
    }
    void cleanup() {
        m_db.reset();
        m_home.reset();
    }

    void deleteLeavesDocuments() {
        CCategoryStore store(*m_db);
        const qint32 a = m_db->AddFileName("/tmp/a.lnk");
        const qint32 b = m_db->AddFileName("/tmp/b.lnk");
        const qint32 tag = store.Add("Projekt");
        m_db->AddFileTag(a, tag);
        m_db->AddFileTag(b, tag);
        m_db->AddFileTag(a, 1);
        QCOMPARE(store.FileCount(tag), 2);
        store.Delete(tag);
        QVERIFY(!Categories(*m_db).contains(tag));
        QCOMPARE(m_db->RunQuery("getFileNameAll").RecordCount(), 2);
        QVERIFY(!Linked(*m_db, a, tag) && !Linked(*m_db, b, tag));
        QVERIFY(Linked(*m_db, a, 1));
        QCOMPARE(store.FileCount(tag), 0);
    }

    // Odd names go into the statements as text, never as SQL; a rename keeps
    // the links, which name the category by its number.
    void oddNamesAndRename_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("quotes") << R"(O'Brien "draft")";
        QTest::newRow("wildcards") << "100% _done_ %tagID";
        QTest::newRow("emoji") << "旅行 🙂✈️";
    }
    void oddNamesAndRename() {
        QFETCH(QString, name);
        CCategoryStore store(*m_db);
        const qint32 file = m_db->AddFileName("/tmp/a.lnk");
        const qint32 tag = store.Add(name);
        QCOMPARE(Categories(*m_db).value(tag), name);
        m_db->AddFileTag(file, tag);
        store.Rename(tag, name + "'2\"");
        QCOMPARE(Categories(*m_db).value(tag), name + "'2\"");
        QCOMPARE(Categories(*m_db).size(), 4);
        QVERIFY(Linked(*m_db, file, tag));
    }

    void namesUniqueCaseIgnored_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("refused");
        QTest::newRow("ascii case") << "Work"
                                    << "wORK" << true;
        QTest::newRow("beyond ascii") << "Ärger"
                                      << "äRGER" << true;
        QTest::newRow("built-in, blanks around") << ""
                                                 << " 仕事 " << true;
        QTest::newRow("empty") << ""
                               << "   " << true;
        QTest::newRow("different") << "Work"
                                   << "Works" << false;
    }
    void namesUniqueCaseIgnored() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, refused);
        CCategoryStore store(*m_db);
        if (!first.isEmpty())
            store.Add(first);
        const int before = Categories(*m_db).size();
        QCOMPARE(!store.Refusal(second).isEmpty(), refused);
        bool thrown = false;
        try {
            store.Add(second);
        } catch (const CError&) {
            thrown = true;
        }
        QCOMPARE(thrown, refused);
        QCOMPARE(Categories(*m_db).size(), before + (refused ? 0 : 1));
        // A category may change the case of its own name, never take another's.
        QVERIFY(store.Refusal("仕事", 1).isEmpty());
        QVERIFY(!store.Refusal("仕事", 2).isEmpty());
    }

    // A repository made before these commands gets their statements from
    // the template when it is opened, and keeps the statements it has.
    void olderRepositoryGetsStatements() {
        m_db->RunSQL("DELETE FROM query WHERE key IN ('setTagName', 'getFileCountOfTag')");
        m_db->RunSQL("UPDATE query SET sql = 'SELECT 7' WHERE key = 'delTagID'");
        m_db = std::make_unique<CVolloDB>();
        m_db->Create();
        CCategoryStore store(*m_db);
        store.Rename(1, "Arbeit");
        QCOMPARE(Categories(*m_db).value(1), "Arbeit");
        QCOMPARE(store.FileCount(1), 0);
        QCOMPARE(m_db->GetQuery("delTagID"), "SELECT 7");
    }

    // Numbers past the last category number would be read as extension
    // categories: refused before the insert, and taken back after it.
    void numbersStayCategories() {
        CCategoryStore store(*m_db);
        m_db->RunSQL("UPDATE sqlite_sequence SET seq = 499 WHERE name = 'tags'");
        QCOMPARE(store.Add("last"), 500);
        QVERIFY(!store.Refusal("one more").isEmpty());
        store.Delete(500);
        QVERIFY(store.Refusal("one more").isEmpty());
        QVERIFY_THROWS_EXCEPTION(CError, store.Add("one more"));
        QCOMPARE(Categories(*m_db).size(), 3);
    }
};

QTEST_GUILESS_MAIN(tst_categorystore)
#include "tst_categorystore.moc"

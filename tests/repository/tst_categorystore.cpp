#include "CCategoryStore.h"
#include "CError.h"
#include "CVolloDB.h"
#include "Placeholders.h"
#include "support_repository.h"

#include <QtTest>
#include <memory>

class tst_categorystore : public QObject {
    Q_OBJECT

    std::unique_ptr<CFreshDataHome> m_home;
    std::unique_ptr<CVolloDB> m_db;

    QMap<int, QString> Categories() {
        QMap<int, QString> names;
        for (CRecordset rs = m_db->GetTagName(); !rs.IsEOF(); rs.MoveNext())
            names.insert(rs.Field(0).toInt(), rs.Field(1).toString());
        return names;
    }
    bool Linked(qint32 file, qint32 tag) {
        return !m_db->RunSQL(FillPlaceholders(m_db->GetQuery("getFileTag"),
                                              {{"%fileID", file}, {"%tagID", tag}}))
                    .IsEOF();
    }

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
        QVERIFY(!Categories().contains(tag));
        QCOMPARE(m_db->RunQuery("getFileNameAll").RecordCount(), 2);
        QVERIFY(!Linked(a, tag) && !Linked(b, tag) && Linked(a, 1));
    }

    void namesUniqueCaseIgnored_data() {
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("refused");
        QTest::newRow("ascii case") << "wORK" << true;
        QTest::newRow("beyond ascii, blanks around") << " äRGER " << true;
        QTest::newRow("different") << "Works" << false;
    }
    void namesUniqueCaseIgnored() {
        QFETCH(QString, second);
        QFETCH(bool, refused);
        CCategoryStore store(*m_db);
        store.Add("Work");
        store.Add("Ärger");
        bool thrown = false;
        try {
            store.Add(second);
        } catch (const CError&) {
            thrown = true;
        }
        QCOMPARE(thrown, refused);
        QCOMPARE(Categories().size(), refused ? 5 : 6);
        // A category may change the case of its own name, never take another's.
        QVERIFY(store.Refusal("仕事", 1).isEmpty() && !store.Refusal("仕事", 2).isEmpty());
    }

    // A repository made before these commands gets their statements from
    // the template when it opens, and keeps the statements it has.
    void olderRepositoryGetsStatements() {
        m_db->RunSQL("DELETE FROM query WHERE key IN ('setTagName', 'getFileCountOfTag')");
        m_db->RunSQL("UPDATE query SET sql = 'SELECT 7' WHERE key = 'delTagID'");
        m_db = std::make_unique<CVolloDB>();
        m_db->Create();
        CCategoryStore store(*m_db);
        store.Rename(1, "Arbeit");
        QCOMPARE(Categories().value(1), "Arbeit");
        QCOMPARE(store.FileCount(1), 0);
        QCOMPARE(m_db->GetQuery("delTagID"), "SELECT 7");
    }

    // A number past the last category number would be read as an extension
    // category: the insert that hands it out is taken back.
    void numbersStayCategories() {
        CCategoryStore store(*m_db);
        m_db->RunSQL("UPDATE sqlite_sequence SET seq = 500 WHERE name = 'tags'");
        QVERIFY_THROWS_EXCEPTION(CError, store.Add("one more"));
        QCOMPARE(Categories().size(), 3);
    }
};

QTEST_GUILESS_MAIN(tst_categorystore)
#include "tst_categorystore.moc"

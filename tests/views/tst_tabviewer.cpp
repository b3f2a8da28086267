#include <QSignalSpy>
#include <QTest>

#include "CError.h"
#include "CTabViewer.h"

// Plain widgets stand in for the lists behind the tabs.
class TestTabViewer : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_form.reset(new QWidget);
        m_tabs.reset(new CTabViewer);
        m_tabs->Create(m_form.get(), m_bar = new QTabBar(m_form.get()));
        m_lists.clear();
        for (int i = 0; i < 3; ++i) {
            m_lists.append(new QWidget(m_form.get()));
            QCOMPARE(m_tabs->Add(m_lists[i], QStringLiteral("H%1").arg(i), QString()), i + 1);
            QVERIFY(m_lists[i]->isHidden());
        }
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    void choosing_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("byUser");
        // "H0" is the tab the strip selected by itself when it was added.
        QTest::newRow("code, tab already selected") << "H0" << false;
        QTest::newRow("code, other tab") << "H2" << false;
        QTest::newRow("user click") << "H1" << true;
    }
    void choosing() {
        QFETCH(QString, key);
        QFETCH(bool, byUser);
        QCOMPARE(m_tabs->SelectedListView(), nullptr);
        QSignalSpy click(m_tabs.get(), &CTabViewer::OnClick);
        const int index = key.mid(1).toInt();
        if (byUser)
            QTest::mouseClick(m_bar, Qt::LeftButton, {}, m_bar->tabRect(index).center());
        else
            m_tabs->SelectTab(key);
        QCOMPARE(click.count(), 1);
        QCOMPARE(click[0][0].toString(), key);
        QCOMPARE(m_tabs->SelectedListView(), m_lists[index]);
        QVERIFY(m_lists[index]->isVisible());
        QCOMPARE(m_form->children().last(), m_lists[index]); // raised to the front
    }

    void deletedKeysStayTaken() {
        m_tabs->SelectTab(QStringLiteral("H2"));
        QSignalSpy click(m_tabs.get(), &CTabViewer::OnClick);
        m_tabs->Delete(QStringLiteral("H2")); // the neighbour takes its place
        QCOMPARE(click.count(), 1);
        QCOMPARE(m_tabs->SelectedListView(), m_lists[1]);
        QVERIFY_THROWS_EXCEPTION(CError, m_tabs->Add(m_lists[0], QStringLiteral("H2"), QString()));
        QVERIFY_THROWS_EXCEPTION(CError, m_tabs->SelectTab(QStringLiteral("H2")));
        QCOMPARE(m_tabs->Add(m_lists[0], QStringLiteral("H7"), QString()), 3);
    }

private:
    std::unique_ptr<QWidget> m_form;
    std::unique_ptr<CTabViewer> m_tabs;
    QTabBar* m_bar = nullptr;
    QList<QWidget*> m_lists;
};

QTEST_MAIN(TestTabViewer)
#include "tst_tabviewer.moc"

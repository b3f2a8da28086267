#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "CFindBox.h"

// The search field's focus cycle and its Enter and F3 rules, with real focus
// changes in an active offscreen window.
class TestFindBox : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_window.reset(new QWidget);
        auto* layout = new QVBoxLayout(m_window.get());
        layout->addWidget(m_other = new QLineEdit);
        layout->addWidget(m_field = new QLineEdit);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        focus(m_other);
        m_box.reset(new CFindBox);
        m_box->Create(m_field);
    }

    void focusCycle_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("afterLeave");
        QTest::addColumn<QString>("afterReturn");
        QTest::newRow("empty gets the placeholder") << "" << QString("検索") << QString();
        QTest::newRow("user text stays") << "report" << QString("report") << QString("report");
        QTest::newRow("typed placeholder is emptied") << "検索" << QString("検索") << QString();
    }
    void focusCycle() {
        QFETCH(QString, typed);
        QCOMPARE(m_field->text(), QStringLiteral("検索"));
        QCOMPARE(back(), theme(QPalette::Button));
        focus(m_field);
        QCOMPARE(m_field->text(), QString());
        QCOMPARE(back(), theme(QPalette::Base));
        m_field->setText(typed);
        focus(m_other);
        QTEST(m_field->text(), "afterLeave");
        QCOMPARE(back(), theme(QPalette::Button));
        focus(m_field);
        QTEST(m_field->text(), "afterReturn");
    }

    void keys_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("finds");
        QTest::addColumn<int>("nexts");
        QTest::newRow("Enter") << "abc" << int(Qt::Key_Return) << 1 << 0;
        QTest::newRow("keypad Enter") << "-x '%\" 日本" << int(Qt::Key_Enter) << 1 << 0;
        QTest::newRow("placeholder searched for") << "検索" << int(Qt::Key_Return) << 1 << 0;
        QTest::newRow("F3") << "abc" << int(Qt::Key_F3) << 0 << 1;
        QTest::newRow("other key") << "abc" << int(Qt::Key_A) << 0 << 0;
        QTest::newRow("Enter when empty") << "" << int(Qt::Key_Return) << 0 << 0;
        QTest::newRow("F3 when empty") << "" << int(Qt::Key_F3) << 0 << 0;
    }
    void keys() {
        QFETCH(QString, text);
        QFETCH(int, key);
        QSignalSpy find(m_box.get(), &CFindBox::OnFind);
        QSignalSpy next(m_box.get(), &CFindBox::OnFindNext);
        focus(m_field);
        m_field->setText(text);
        QTest::keyClick(m_field, Qt::Key(key));
        // A held key's repeated releases search nothing more.
        QKeyEvent repeat(QEvent::KeyRelease, key, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(m_field, &repeat);
        QTEST(int(find.count()), "finds");
        QTEST(int(next.count()), "nexts");
        if (!find.isEmpty())
            QCOMPARE(find.first().first().toString(), text);
    }

    void contextMenuKeepsTheFieldAsItIs() {
        // The field's context menu takes the focus for a moment: a paste must
        // not land behind a restored placeholder.
        focus(m_field);
        QFocusEvent out(QEvent::FocusOut, Qt::PopupFocusReason);
        QCoreApplication::sendEvent(m_field, &out);
        QCOMPARE(m_field->text(), QString());
        QCOMPARE(back(), theme(QPalette::Base));
    }

private:
    void focus(QWidget* w) {
        w->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(w->hasFocus());
    }
    QColor back() const { return m_field->palette().color(QPalette::Active, QPalette::Base); }
    QColor theme(QPalette::ColorRole role) const {
        return QApplication::palette(m_field).color(QPalette::Active, role);
    }

    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<CFindBox> m_box;
    QLineEdit* m_field = nullptr;
    QLineEdit* m_other = nullptr;
};

QTEST_MAIN(TestFindBox)
#include "tst_findbox.moc"

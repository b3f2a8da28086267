#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
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
    void init();
    void cleanup();
    void createShowsPlaceholderOnButtonFace();
    void focusCycle_data();
    void focusCycle();
    void newPlaceholderTakesEffectOnNextEmptyLeave();
    void keys_data();
    void keys();
    void heldKeyRepeatsNothing();
    void contextMenuFocusKeepsField();

private:
    void focusField() {
        m_field->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(m_field->hasFocus());
    }
    void leaveField() {
        m_other->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(m_other->hasFocus());
    }
    QColor back() const { return m_field->palette().color(QPalette::Active, QPalette::Base); }
    QColor themeColour(QPalette::ColorRole role) const {
        return QApplication::palette(m_field).color(QPalette::Active, role);
    }

    QWidget* m_window = nullptr;
    QLineEdit* m_field = nullptr;
    QLineEdit* m_other = nullptr;
    CFindBox* m_box = nullptr;
};

void TestFindBox::init() {
    m_window = new QWidget;
    auto* layout = new QVBoxLayout(m_window);
    m_other = new QLineEdit(m_window);
    m_field = new QLineEdit(m_window);
    layout->addWidget(m_other);
    layout->addWidget(m_field);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_other->setFocus();
    QTRY_VERIFY(m_other->hasFocus());
    m_box = new CFindBox;
    m_box->Create(m_field);
}

void TestFindBox::cleanup() {
    delete m_box;
    delete m_window;
}

void TestFindBox::createShowsPlaceholderOnButtonFace() {
    QCOMPARE(m_box->Value(), QStringLiteral("検索"));
    QCOMPARE(m_field->text(), QStringLiteral("検索"));
    QVERIFY(m_field->hasFrame());
    QCOMPARE(back(), themeColour(QPalette::Button));
}

void TestFindBox::focusCycle_data() {
    QTest::addColumn<QString>("typed");       // text the user leaves in the field
    QTest::addColumn<QString>("afterLeave");  // shown once the focus is gone
    QTest::addColumn<QString>("afterReturn"); // shown when the focus comes back

    QTest::newRow("empty field gets the placeholder back")
        << QString() << QStringLiteral("検索") << QString();
    QTest::newRow("user text survives leaving")
        << QStringLiteral("report") << QStringLiteral("report") << QStringLiteral("report");
    QTest::newRow("text equal to the placeholder is emptied")
        << QStringLiteral("検索") << QStringLiteral("検索") << QString();
}

void TestFindBox::focusCycle() {
    QFETCH(QString, typed);
    QFETCH(QString, afterLeave);
    QFETCH(QString, afterReturn);

    focusField();
    QCOMPARE(m_field->text(), QString());
    QCOMPARE(back(), themeColour(QPalette::Base));

    m_field->setText(typed);
    leaveField();
    QCOMPARE(m_field->text(), afterLeave);
    QCOMPARE(back(), themeColour(QPalette::Button));

    focusField();
    QCOMPARE(m_field->text(), afterReturn);
    QCOMPARE(back(), themeColour(QPalette::Base));
}

void TestFindBox::newPlaceholderTakesEffectOnNextEmptyLeave() {
    m_box->setValue(QStringLiteral("Find"));
    QCOMPARE(m_box->Value(), QStringLiteral("Find"));
    QCOMPARE(m_field->text(), QStringLiteral("検索")); // shown text unchanged

    // The old placeholder is ordinary text now: a focus keeps it.
    focusField();
    QCOMPARE(m_field->text(), QStringLiteral("検索"));

    m_field->clear();
    leaveField();
    QCOMPARE(m_field->text(), QStringLiteral("Find"));
    focusField();
    QCOMPARE(m_field->text(), QString());
}

void TestFindBox::keys_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("finds");
    QTest::addColumn<int>("nexts");

    QTest::newRow("Enter searches") << QStringLiteral("abc") << int(Qt::Key_Return) << 1 << 0;
    QTest::newRow("keypad Enter searches") << QStringLiteral("abc") << int(Qt::Key_Enter) << 1 << 0;
    QTest::newRow("F3 searches again") << QStringLiteral("abc") << int(Qt::Key_F3) << 0 << 1;
    QTest::newRow("other key does nothing") << QStringLiteral("abc") << int(Qt::Key_A) << 0 << 0;
    QTest::newRow("Enter in empty field") << QString() << int(Qt::Key_Return) << 0 << 0;
    QTest::newRow("F3 in empty field") << QString() << int(Qt::Key_F3) << 0 << 0;
    QTest::newRow("placeholder text is searched for")
        << QStringLiteral("検索") << int(Qt::Key_Return) << 1 << 0;
    QTest::newRow("odd text") << QStringLiteral("-x '%\" 日本") << int(Qt::Key_Return) << 1 << 0;
}

void TestFindBox::keys() {
    QFETCH(QString, text);
    QFETCH(int, key);
    QFETCH(int, finds);
    QFETCH(int, nexts);

    QSignalSpy find(m_box, &CFindBox::OnFind);
    QSignalSpy next(m_box, &CFindBox::OnFindNext);
    focusField();
    m_field->setText(text);
    QTest::keyClick(m_field, Qt::Key(key));

    QCOMPARE(find.count(), finds);
    QCOMPARE(next.count(), nexts);
    if (finds)
        QCOMPARE(find.first().first().toString(), text);
}

void TestFindBox::heldKeyRepeatsNothing() {
    QSignalSpy find(m_box, &CFindBox::OnFind);
    focusField();
    m_field->setText(QStringLiteral("abc"));
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(m_field, &repeat);
    QCOMPARE(find.count(), 0);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(m_field, &release);
    QCOMPARE(find.count(), 1);
}

void TestFindBox::contextMenuFocusKeepsField() {
    // The field's own context menu takes the focus briefly; a paste chosen
    // there must not land behind a restored placeholder.
    focusField();
    QFocusEvent out(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(m_field, &out);
    QCOMPARE(m_field->text(), QString());
    QCOMPARE(back(), themeColour(QPalette::Base));
}

QTEST_MAIN(TestFindBox)
#include "tst_findbox.moc"

#include "CFindBox.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>

#include "CError.h"

CFindBox::CFindBox(QObject* parent) : QObject(parent), mvarValue(tr("検索")) {}

CFindBox::~CFindBox() {
    if (mvarTextBox)
        mvarTextBox->removeEventFilter(this);
}

void CFindBox::Create(QLineEdit* ATextBox) {
    if (!ATextBox)
        throw CError(QStringLiteral("CFindBox.Create: no text box was given."));
    if (mvarTextBox)
        mvarTextBox->removeEventFilter(this);
    mvarTextBox = ATextBox;
    mvarTextBox->installEventFilter(this);
    SetBackColor(false);
    mvarTextBox->setFrame(true);
    mvarTextBox->setText(mvarValue);
    // The placeholder is the field's text, not Qt's placeholder, so a screen
    // reader would read nothing that names the field without this.
    if (mvarTextBox->accessibleName().isEmpty())
        mvarTextBox->setAccessibleName(mvarValue);
}

bool CFindBox::eventFilter(QObject* watched, QEvent* event) {
    // A field that is being destroyed has unwound to a plain widget by the
    // time it loses the focus; it must not be read or written then.
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field || field != mvarTextBox.data())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        // The field's own context menu takes the focus for a moment; treating
        // that as leaving would put the placeholder in front of a paste.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            mvarTextBox_GotFocus();
        break;
    case QEvent::FocusOut:
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            mvarTextBox_LostFocus();
        break;
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        // A held key repeats its release on X11; the search runs once per
        // key stroke, as the key is let go.
        if (!key->isAutoRepeat())
            mvarTextBox_KeyUp(key->key());
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void CFindBox::mvarTextBox_GotFocus() {
    mvarText = mvarTextBox->text();
    if (mvarText == mvarValue)
        mvarTextBox->clear();
    SetBackColor(true);
}

void CFindBox::mvarTextBox_LostFocus() {
    mvarText = mvarTextBox->text();
    if (mvarText.isEmpty())
        mvarTextBox->setText(mvarValue);
    SetBackColor(false);
}

void CFindBox::mvarTextBox_KeyUp(int KeyCode) {
    mvarText = mvarTextBox->text();
    if (mvarText.isEmpty())
        return;
    if (KeyCode == Qt::Key_Return || KeyCode == Qt::Key_Enter)
        emit OnFind(mvarText);
    else if (KeyCode == Qt::Key_F3)
        emit OnFindNext();
}

void CFindBox::SetBackColor(bool focused) {
    // Colours come from the application's palette for line edits, so the
    // field follows the desktop theme and never feeds its own colour back.
    const QPalette theme = QApplication::palette(mvarTextBox);
    QPalette pal = mvarTextBox->palette();
    const QColor back = theme.color(focused ? QPalette::Base : QPalette::Button);
    pal.setColor(QPalette::Active, QPalette::Base, back);
    pal.setColor(QPalette::Inactive, QPalette::Base, back);
    mvarTextBox->setPalette(pal);
}

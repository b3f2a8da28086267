#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <QLineEdit>

// Turns a plain line edit into the window's search field: a placeholder on a
// button-face background while it is empty and unfocused, the window colour
// while the user types, Enter to search and F3 to search again.
class CFindBox : public QObject {
    Q_OBJECT
public:
    explicit CFindBox(QObject* parent = nullptr);
    ~CFindBox() override;

    // The placeholder. Setting it leaves the shown text alone: a new
    // placeholder appears only when the field next loses the focus while
    // empty, and until then a focus clears the field only if it holds the new
    // text.
    QString Value() const { return mvarValue; }
    void setValue(const QString& vData) { mvarValue = vData; }

    // Binds the field and shows the placeholder in it.
    void Create(QLineEdit* ATextBox);

    QLineEdit* TextBox() const { return mvarTextBox; }

signals:
    void OnFind(const QString& S);
    void OnFindNext();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void mvarTextBox_GotFocus();
    void mvarTextBox_LostFocus();
    void mvarTextBox_KeyUp(int KeyCode);
    void SetBackColor(bool focused);

    QPointer<QLineEdit> mvarTextBox;
    QString mvarValue;
    QString mvarText;
};

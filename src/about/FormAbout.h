#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// The about box: program title, version, copyright line and description, in
// Japanese (Language 2, the default) or English. The texts are built again at
// every showing, so properties set between showings take effect.
class FormAbout : public QDialog {
    Q_OBJECT
public:
    explicit FormAbout(QWidget* parent = nullptr);

    int Language() const { return m_language; }
    void setLanguage(int value) { m_language = value; }
    QString Title() const { return m_title; }
    void setTitle(const QString& value) { m_title = value; }
    QString Copyright() const { return m_copyright; }
    void setCopyright(const QString& value) { m_copyright = value; }
    QString Description() const { return m_description; }
    void setDescription(const QString& value) { m_description = value; }

    // The program's own version, compiled in from the build's project version.
    // Tests may put another in its place; a negative major restores the built one.
    static void setVersionOverride(int major, int minor, int revision);

    // Builds the caption and texts; showing the window does this first.
    void Form_Load();

    void setVisible(bool visible) override;

private slots:
    void cmdOK_Click();

private:
    int m_language = 2;
    QString m_title;
    QString m_copyright;
    QString m_description;

    QWidget* Picture1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* lblTagline = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCopyright = nullptr;
    QPlainTextEdit* txtDescription = nullptr;
    QPushButton* cmdOK = nullptr;
};

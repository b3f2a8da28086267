#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

// Asks which of several files a missing document has become, when the facts
// alone cannot tell: the user picks one, or skips and the document stays
// missing.
class FormChooseMove : public QDialog {
    Q_OBJECT
public:
    FormChooseMove(const QString& OldPath, const QStringList& Candidates,
                   QWidget* parent = nullptr);

    // The file chosen, or empty when the user skipped.
    QString Chosen() const;
    // Shows the dialog and returns the file chosen, or empty.
    static QString Choose(const QString& OldPath, const QStringList& Candidates,
                          QWidget* parent = nullptr);

private:
    QListWidget* m_list = nullptr;
};

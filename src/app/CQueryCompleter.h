#pragma once

#include <QCompleter>
#include <QStringList>

// Completes the word being typed in the query field with a category name,
// quoted as the query needs it; the words before it stay as they are.
class CQueryCompleter : public QCompleter {
    Q_OBJECT
public:
    explicit CQueryCompleter(QObject* parent = nullptr);

    void setNames(const QStringList& Names);

    QStringList splitPath(const QString& path) const override;
    QString pathFromIndex(const QModelIndex& index) const override;

private:
    // Where the word being typed starts in text.
    static qsizetype LastWordStart(const QString& text);
};

#pragma once

#include "CQueryNode.h"

#include <QList>
#include <QString>
#include <QVariantList>
#include <utility>

class CDatabase;

// Turns a parsed query into one SELECT of the matching files' IDs and
// shortcut paths, in the order of their IDs. Every value the user wrote is a
// bound parameter; the statement's text comes only from the program.
class CQueryCompiler {
public:
    struct Statement {
        QString sql;
        QVariantList values;
    };
    using FileList = QList<std::pair<qint32, QString>>;
    // A matching file with the document's path as last stored (empty when
    // the file has no stored facts).
    struct Located {
        qint32 fileID = 0;
        QString shortcut;
        QString stored;
    };

    explicit CQueryCompiler(CDatabase& connection);

    // The statement for root; a null root (no condition) selects no file.
    Statement Compile(const CQueryNode* root);
    // Parses, compiles and runs text (CQueryError when it cannot be read).
    FileList Run(const QString& text);
    FileList Run(const Statement& statement);
    // Like Run, with the stored paths; an empty text matches every file.
    QList<Located> Locate(const QString& text);

    // The categories a name in a query stands for (letter case ignored): the
    // one place where a name becomes categories.
    QList<qint32> CategoryTagIDs(const QString& name);
    // The extensions (".pdf") a type: value stands for: an extension group's
    // by its name, or the value itself as an extension.
    QStringList ExtensionsOf(const QString& type);

private:
    // Which table (or empty stand-in) the facts are read from.
    void ChooseFacts();
    Statement Select(const QString& where) const;
    QString Condition(const CQueryNode& node, QVariantList& values);
    QString Leaf(const CQueryNode& node, QVariantList& values);
    QString Facts(const CQueryNode& node, QVariantList& values);
    static QString Placeholders(qsizetype count);

    CDatabase& m_connection;
    // The facts table, or an empty stand-in on a repository without one.
    QString m_facts;
};

#pragma once

#include "CDatabase.h"
#include "CQueryNode.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariantList>
#include <utility>

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
    explicit CQueryCompiler(CDatabase& connection);

    // The statement for root; a null root (no condition) selects no file.
    Statement Compile(const CQueryNode* root);
    // Parses, compiles and runs text (CQueryError when it cannot be read).
    FileList Run(const QString& text);
    // shared: as in CFileDB::RunFileList.
    FileList Run(const Statement& statement, const CDatabase::SharedText& shared = {});
    // Like Run, each matching file handed to each as it is read: its ID,
    // its shortcut, and the document's path as last stored (null without
    // stored facts). An empty text matches every file.
    void Locate(const QString& text, const CDatabase::RowHandler& each);

    // The categories a name in a query stands for (letter case ignored): the
    // one place where a name becomes categories.
    QList<qint32> CategoryTagIDs(const QString& name);
    // The extensions (".pdf") a type: value stands for: an extension group's
    // by its name, or the value itself as an extension.
    QStringList ExtensionsOf(const QString& type);

private:
    // Which table (or empty stand-in) the facts are read from.
    void ChooseFacts();
    // The statement for root, or with the condition none when there is none.
    Statement Build(const CQueryNode* root, const QString& none, bool withDocPath);
    Statement Select(const QString& where, bool withDocPath) const;
    // negated: whether the condition stands under a NOT, where an unknown
    // fact must count as false before it is turned round.
    QString Condition(const CQueryNode& node, QVariantList& values, bool negated);
    QString Leaf(const CQueryNode& node, QVariantList& values, bool negated);
    QString Facts(const CQueryNode& node, QVariantList& values, bool negated);
    static QString InCategories(const QList<qint32>& tags, QVariantList& values);
    static QString Placeholders(qsizetype count);

    CDatabase& m_connection;
    // The facts table, or an empty stand-in on a repository without one.
    QString m_facts;
    // Every category and its parent, read at the first name a query uses.
    bool m_categoriesRead = false;
    QList<std::pair<qint32, QString>> m_categories;
    QHash<qint32, qint32> m_parents;
};

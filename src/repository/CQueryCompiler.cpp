#include "CQueryCompiler.h"

#include "CCategoryStore.h"
#include "CDatabase.h"
#include "CFactStore.h"
#include "CQueryParser.h"
#include "CStoredText.h"

#include <QRegularExpression>

namespace {

using Kind = CQueryNode::Kind;

// Conditions on stored facts are unknown (NULL) for files without facts;
// they count as false, so that NOT of them holds. Outside a NOT, unknown
// already leaves the file out, and the bare condition lets SQLite drive the
// search from an index of the facts.
QString Known(const QString& condition, bool negated) {
    return negated ? QStringLiteral("ifnull(%1, 0)").arg(condition) : condition;
}

QString Bounds(const QString& column, const CQueryNode& node, QVariantList& values, bool negated) {
    QStringList parts{QStringLiteral("ff.missing = 0")};
    if (node.low != CQueryNode::kNoLow) {
        parts << column + QStringLiteral(" >= ?");
        values << node.low;
    }
    if (node.high != CQueryNode::kNoHigh) {
        parts << column + QStringLiteral(" < ?");
        values << node.high;
    }
    return Known(parts.join(QLatin1String(" AND ")), negated);
}

} // namespace

CQueryCompiler::CQueryCompiler(CDatabase& connection) : m_connection(connection) {}

namespace {

// Whether a name in a query names a stored one: as stored, or as shown in the
// language of the interface (the shipped names are translated), case ignored.
bool Names(const QString& stored, const QString& name) {
    return stored.compare(name, Qt::CaseInsensitive) == 0 ||
           CStoredText::Shown(stored).compare(name, Qt::CaseInsensitive) == 0;
}

} // namespace

QList<qint32> CQueryCompiler::CategoryTagIDs(const QString& name) {
    // A query names few categories, but each name is looked up among all of
    // them: read the table once for the whole query.
    if (!m_categoriesRead) {
        m_categoriesRead = true;
        m_connection.ForEachBound(QStringLiteral("SELECT ID, tagName FROM tags ORDER BY ID"), {},
                                  [this](const CDatabase::Row& row) {
                                      m_categories.emplaceBack(qint32(row.Int(0)), row.Text(1));
                                  });
        // The table exists only once something has been nested.
        if (m_connection.HasTable(QStringLiteral("tagparent")))
            m_connection.ForEachBound(QStringLiteral("SELECT tagID, parentID FROM tagparent"), {},
                                      [this](const CDatabase::Row& row) {
                                          m_parents.insert(qint32(row.Int(0)), qint32(row.Int(1)));
                                      });
    }
    QList<qint32> ids;
    for (const auto& [id, stored] : std::as_const(m_categories))
        if (Names(stored, name))
            ids << id;
    // A parent stands for its whole branch.
    const QList<qint32> named = ids;
    for (const qint32 id : named)
        for (const qint32 child : CCategoryStore::Descendants(m_parents, id))
            if (!ids.contains(child))
                ids << child;
    return ids;
}

QStringList CQueryCompiler::ExtensionsOf(const QString& type) {
    QStringList extensions;
    const QString name = type.trimmed();
    m_connection.ForEachBound(
        QStringLiteral("SELECT extName, fileEXT FROM extension WHERE fileEXT <> 'RecentFiles'"), {},
        [&extensions, &name](const CDatabase::Row& row) {
            if (Names(row.Text(0), name))
                extensions << row.Text(1).toLower().split(
                    QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts);
        });
    if (extensions.isEmpty()) {
        const QString ext = name.toLower();
        extensions << (ext.startsWith(u'.') ? ext : u'.' + ext);
    }
    return extensions;
}

QString CQueryCompiler::Placeholders(qsizetype count) {
    QStringList marks(count, QStringLiteral("?"));
    return marks.join(QLatin1String(", "));
}

CQueryCompiler::Statement CQueryCompiler::Compile(const CQueryNode* root) {
    return Build(root, QStringLiteral("0"), false);
}

CQueryCompiler::Statement CQueryCompiler::Build(const CQueryNode* root, const QString& none,
                                                bool withDocPath) {
    ChooseFacts();
    QVariantList values;
    const QString where = root ? Condition(*root, values, false) : none;
    Statement statement = Select(where, withDocPath);
    statement.values = values;
    return statement;
}

void CQueryCompiler::ChooseFacts() {
    // A repository never upgraded has no facts: every file then lacks them.
    m_facts = CFactStore::HasTable(m_connection)
                  ? QStringLiteral("filefacts")
                  : QStringLiteral("(SELECT 0 AS fileID, '' AS docPath, 0 AS size, "
                                   "0 AS mtime, 0 AS fingerprint, 0 AS missing "
                                   "WHERE 0)");
}

CQueryCompiler::Statement CQueryCompiler::Select(const QString& where, bool withDocPath) const {
    // Without the document's path among the columns, a query on categories
    // alone never reads the facts: SQLite leaves out a join it does not use.
    Statement statement;
    statement.sql =
        QStringLiteral("SELECT f.ID, f.path%1 FROM files f LEFT JOIN %2 ff "
                       "ON ff.fileID = f.ID WHERE %3 ORDER BY f.ID")
            .arg(withDocPath ? QStringLiteral(", ff.docPath") : QString(), m_facts, where);
    return statement;
}

QString CQueryCompiler::Condition(const CQueryNode& node, QVariantList& values, bool negated) {
    if (node.kind == Kind::Not)
        return QStringLiteral("NOT (%1)").arg(Condition(*node.children.front(), values, !negated));
    if (node.kind != Kind::And && node.kind != Kind::Or)
        return Leaf(node, values, negated);
    QStringList parts;
    if (node.kind == Kind::Or) {
        // Categories joined by OR become one list of categories: a single
        // search of the links instead of one per category, merged.
        QList<qint32> tags;
        QVariantList others;
        for (const auto& child : node.children) {
            const QList<qint32> named =
                child->kind == Kind::Text ? CategoryTagIDs(child->text) : QList<qint32>();
            if (named.isEmpty())
                parts << u'(' + Condition(*child, others, negated) + u')';
            for (const qint32 tag : named)
                if (!tags.contains(tag))
                    tags << tag;
        }
        if (!tags.isEmpty())
            parts.prepend(u'(' + InCategories(tags, values) + u')');
        values << others;
        return parts.join(QLatin1String(" OR "));
    }
    for (const auto& child : node.children)
        parts << u'(' + Condition(*child, values, negated) + u')';
    return parts.join(QLatin1String(" AND "));
}

QString CQueryCompiler::InCategories(const QList<qint32>& tags, QVariantList& values) {
    for (const qint32 tag : tags)
        values << tag;
    return QStringLiteral("f.ID IN (SELECT fileID FROM filetags WHERE tagID IN (%1))")
        .arg(Placeholders(tags.size()));
}

QString CQueryCompiler::Leaf(const CQueryNode& node, QVariantList& values, bool negated) {
    if (node.kind != Kind::Text)
        return Facts(node, values, negated);
    const QList<qint32> tags = CategoryTagIDs(node.text);
    if (tags.isEmpty()) {
        values << node.text;
        return QStringLiteral("vollo_namehas(ff.docPath, f.path, ?)");
    }
    return InCategories(tags, values);
}

QString CQueryCompiler::Facts(const CQueryNode& node, QVariantList& values, bool negated) {
    switch (node.kind) {
    case Kind::Type: {
        const QStringList extensions = ExtensionsOf(node.text);
        for (const QString& ext : extensions)
            values << ext;
        return QStringLiteral("vollo_ext(ff.docPath, f.path) IN (%1)")
            .arg(Placeholders(extensions.size()));
    }
    case Kind::Modified:
        return Bounds(QStringLiteral("ff.mtime"), node, values, negated);
    case Kind::Size:
        return Bounds(QStringLiteral("ff.size"), node, values, negated);
    case Kind::In:
        // Paths under the folder sort between "folder/" and "folder0" ('0'
        // follows '/'), so no character of the folder acts as a pattern.
        values << (node.text.endsWith(u'/') ? node.text : node.text + u'/')
               << (node.text.endsWith(u'/') ? node.text.chopped(1) : node.text) + u'0';
        return Known(QStringLiteral("ff.docPath >= ? AND ff.docPath < ?"), negated);
    default:
        break;
    }
    switch (node.state) {
    case CQueryNode::State::Uncategorised:
        return QStringLiteral("f.ID NOT IN (SELECT fileID FROM filetags)");
    case CQueryNode::State::Missing:
        return Known(QStringLiteral("ff.missing <> 0"), negated);
    default:
        return Known(QStringLiteral("ff.missing = 0 AND ff.fingerprint IN (SELECT fingerprint FROM "
                                    "%1 WHERE missing = 0 AND fingerprint <> 0 GROUP BY "
                                    "fingerprint HAVING count(*) > 1)")
                         .arg(m_facts),
                     negated);
    }
}

CQueryCompiler::FileList CQueryCompiler::Run(const Statement& statement,
                                             const CDatabase::SharedText& shared) {
    FileList files;
    m_connection.ForEachBound(
        statement.sql, statement.values, [&files, &shared](const CDatabase::Row& row) {
            const qint64 id = row.Int(0);
            files.emplaceBack(qint32(id), shared ? shared(id, row.Utf8(1)) : row.Text(1));
        });
    return files;
}

void CQueryCompiler::Locate(const QString& text, const CDatabase::RowHandler& each) {
    std::unique_ptr<CQueryNode> root;
    if (!text.trimmed().isEmpty())
        root = CQueryParser::Parse(text);
    const Statement statement = Build(root.get(), QStringLiteral("1"), true);
    m_connection.ForEachBound(statement.sql, statement.values, each);
}

CQueryCompiler::FileList CQueryCompiler::Run(const QString& text) {
    const std::unique_ptr<CQueryNode> root = CQueryParser::Parse(text);
    return Run(Compile(root.get()));
}

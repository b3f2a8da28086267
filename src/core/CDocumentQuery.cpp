#include "CDocumentQuery.h"

#include "CCategoryStore.h"
#include "CDocumentRows.h"
#include "CError.h"
#include "CQueryCompiler.h"
#include "CVolloDB.h"
#include "Placeholders.h"

CDocumentQuery::CDocumentQuery(CVolloDB& repository) : m_repository(repository) {}

CDocumentQuery::FileList CDocumentQuery::Files(const QString& Query) {
    if (Query.trimmed().isEmpty())
        return m_repository.RunFileList(m_repository.GetQuery(QStringLiteral("getFileNameAll")));
    return CQueryCompiler(m_repository.Connection()).Run(Query);
}

qint32 CDocumentQuery::CategoryID(const QString& Name) {
    const QString wanted = Name.trimmed();
    CRecordset rs = m_repository.GetTagName();
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
        const qint32 id = rs.Field(0).toInt();
        if (id > 0 && id <= CCategoryStore::LastCategoryID &&
            rs.Field(1).toString().compare(wanted, Qt::CaseInsensitive) == 0)
            return id;
    }
    return 0;
}

qint32 CDocumentQuery::RequireCategory(const QString& Name) {
    const qint32 id = CategoryID(Name);
    if (id == 0)
        throw CError(tr("カテゴリ「%1」はありません。").arg(Name));
    return id;
}

QHash<QString, qint32> CDocumentQuery::ByPath() {
    QHash<QString, qint32> byPath;
    const FileList files = Files(QString());
    byPath.reserve(files.size());
    QHash<qint32, CFileFacts> facts;
    for (const auto& [id, shortcut] : files) {
        QString path = CDocumentRows::DocumentOf(shortcut);
        if (path.isEmpty()) {
            // Read once, and only when a shortcut cannot tell.
            if (facts.isEmpty())
                facts = m_repository.FactsOf();
            path = facts.value(id).path;
        }
        if (!path.isEmpty())
            byPath.insert(path, id);
    }
    return byPath;
}

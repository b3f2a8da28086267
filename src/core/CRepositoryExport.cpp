#include "CRepositoryExport.h"

#include "CDocumentQuery.h"
#include "CDocumentRows.h"
#include "CSavedSearches.h"
#include "CVolloDB.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString FingerprintText(quint64 fingerprint) {
    return fingerprint == 0 ? QString()
                            : QStringLiteral("%1").arg(fingerprint, 16, 16, QLatin1Char('0'));
}

QByteArray CsvField(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return '"' + quoted.toUtf8() + '"';
}

} // namespace

CRepositoryExport::CRepositoryExport(CVolloDB& repository) : m_repository(repository) {}

QByteArray CRepositoryExport::Json() {
    CDocumentRows reader(m_repository);
    QJsonArray categories;
    for (const auto& category : reader.Categories())
        categories.append(QJsonObject{{QStringLiteral("name"), category.second}});
    QJsonArray documents;
    const auto rows = reader.Rows(CDocumentQuery(m_repository).Files(QString()), true);
    for (const CDocumentRows::Row& row : rows)
        documents.append(QJsonObject{
            {QStringLiteral("path"), row.Path},
            {QStringLiteral("fingerprint"), FingerprintText(row.Fingerprint)},
            {QStringLiteral("categories"), QJsonArray::fromStringList(row.Categories)}});
    const QJsonObject root{{QStringLiteral("vollo"), Version},
                           {QStringLiteral("categories"), categories},
                           {QStringLiteral("documents"), documents},
                           {QStringLiteral("searches"), Searches()}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QJsonArray CRepositoryExport::Searches() {
    QJsonArray searches;
    for (const CSavedSearches::Search& search : CSavedSearches(m_repository).All())
        searches.append(QJsonObject{{QStringLiteral("name"), search.name},
                                    {QStringLiteral("query"), search.query}});
    return searches;
}

QByteArray CRepositoryExport::Csv() {
    QByteArray out = "path,fingerprint,categories\r\n";
    const auto rows =
        CDocumentRows(m_repository).Rows(CDocumentQuery(m_repository).Files(QString()), true);
    for (const CDocumentRows::Row& row : rows) {
        out += CsvField(row.Path) + ',' + FingerprintText(row.Fingerprint).toLatin1();
        for (const QString& category : row.Categories)
            out += ',' + CsvField(category);
        out += "\r\n";
    }
    return out;
}

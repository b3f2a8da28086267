#include "CCsvImport.h"

#include "CError.h"
#include "CRepositoryExport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace {

QByteArray WithoutBom(const QByteArray& data) {
    return data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data;
}

} // namespace

bool CCsvImport::IsCsv(const QByteArray& Data, const QString& FileName) {
    if (FileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return true;
    const QByteArray text = WithoutBom(Data).trimmed();
    return !text.startsWith('{') && (text.startsWith("path,") || text.startsWith("\"path\","));
}

QList<QStringList> CCsvImport::Records(const QByteArray& Data, const QString& FileName) {
    const QByteArray data = WithoutBom(Data);
    QList<QStringList> records;
    QStringList record;
    QByteArray field;
    bool quoted = false;   // inside a quoted field
    bool anything = false; // the record has begun
    qint32 line = 1, quoteLine = 0;
    auto endField = [&] {
        record << QString::fromUtf8(field);
        field.clear();
    };
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '\n')
            ++line;
        if (quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < data.size() && data[i + 1] == '"')
                field += data[++i];
            else
                quoted = false;
            continue;
        }
        if (c == '"') {
            quoted = anything = true;
            quoteLine = line;
        } else if (c == ',') {
            endField();
            anything = true;
        } else if (c == '\n' || (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n')) {
            if (anything || !field.isEmpty()) {
                endField();
                records << record;
            }
            record.clear();
            anything = false;
        } else {
            field += c;
            anything = true;
        }
    }
    if (quoted)
        throw CError(tr("%1 の %2 行目の引用符が閉じていません。").arg(FileName).arg(quoteLine));
    if (anything || !field.isEmpty()) {
        endField();
        records << record;
    }
    return records;
}

QByteArray CCsvImport::AsJson(const QByteArray& Data, const QString& FileName) {
    QList<QStringList> records = Records(Data, FileName);
    if (records.isEmpty() || records.constFirst().value(0) != QLatin1String("path"))
        throw CError(tr("%1 は Vollo の書き出した CSV ファイルではありません "
                        "(1 行目は path で始まる列名です)。")
                         .arg(FileName));
    const bool printed = records.constFirst().value(1) == QLatin1String("fingerprint");
    const qsizetype firstCategory = printed ? 2 : 1;
    QJsonArray documents, categories;
    QSet<QString> named;
    for (qsizetype r = 1; r < records.size(); ++r) {
        const QStringList& fields = records[r];
        if (fields.value(0).isEmpty())
            continue;
        QStringList tags;
        for (qsizetype f = firstCategory; f < fields.size(); ++f) {
            if (fields[f].isEmpty())
                continue;
            tags << fields[f];
            if (!named.contains(fields[f])) {
                named.insert(fields[f]);
                categories.append(QJsonObject{{QStringLiteral("name"), fields[f]}});
            }
        }
        documents.append(
            QJsonObject{{QStringLiteral("path"), fields[0]},
                        {QStringLiteral("fingerprint"), printed ? fields.value(1) : QString()},
                        {QStringLiteral("categories"), QJsonArray::fromStringList(tags)}});
    }
    const QJsonObject root{{QStringLiteral("vollo"), CRepositoryExport::Version},
                           {QStringLiteral("categories"), categories},
                           {QStringLiteral("documents"), documents}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

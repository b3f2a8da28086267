#include "CCliList.h"

#include "CDocumentQuery.h"
#include "CDocumentRows.h"
#include "CQueryCompiler.h"
#include "CShortcutTargets.h"
#include "CVolloDB.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QString CCliList::Summary() const {
    return tr("条件に合う文書のパスを 1 行に 1 つずつ表示します。");
}

void CCliList::Describe(QCommandLineParser& Parser) {
    Parser.addOption({QStringLiteral("0"), tr("改行の代わりに NUL で区切ります。")});
    Parser.addOption(
        {QStringLiteral("json"), tr("パス、カテゴリ、サイズ、更新日時を JSON で表示します。")});
    Parser.addPositionalArgument(QStringLiteral("QUERY"),
                                 tr("カテゴリ名。省略するとすべての文書です。"),
                                 QStringLiteral("[QUERY]"));
}

int CCliList::Run(const QCommandLineParser& Parser) {
    const QString query = Parser.positionalArguments().join(QLatin1Char(' '));
    if (Parser.isSet(QStringLiteral("json"))) {
        if (Parser.isSet(QStringLiteral("0")))
            return UsageError(tr("-0 と --json は同時に指定できません。"));
        PrintJson(query);
        return Success;
    }
    const char end = Parser.isSet(QStringLiteral("0")) ? '\0' : '\n';
    QByteArray out;
    const CShortcutTargets targets(Repository().ShortcutFolder());
    // The document's path as last stored (kept with every relink), read with
    // the rows: a read of each shortcut cost most of a long list. A file
    // without stored facts reads its shortcut.
    // Paths are written as the engine holds them: only valid UTF-8 is ever
    // stored, which is how the file system spells them too.
    CQueryCompiler(Repository().Connection()).Locate(query, [&](const CDatabase::Row& file) {
        const QByteArrayView stored = file.Utf8(2);
        if (stored.startsWith('/')) {
            out += stored;
        } else {
            const QByteArray path = targets.DocumentOf(file.Utf8(1));
            out += path.isEmpty() ? file.Utf8(1) : QByteArrayView(path);
        }
        out += end;
        if (out.size() > 65536) {
            Out(out);
            out.clear();
        }
    });
    Out(out);
    return Success;
}

void CCliList::PrintJson(const QString& Query) {
    CVolloDB& repository = Repository();
    QJsonArray rows;
    const auto files = CDocumentQuery(repository).Files(Query);
    for (const CDocumentRows::Row& row : CDocumentRows(repository).Rows(files, false)) {
        QJsonObject object{
            {QStringLiteral("path"), row.Path},
            {QStringLiteral("categories"), QJsonArray::fromStringList(row.Categories)}};
        if (row.Missing) {
            object.insert(QStringLiteral("missing"), true);
        } else {
            object.insert(QStringLiteral("size"), row.Size);
            object.insert(QStringLiteral("modified"),
                          QDateTime::fromMSecsSinceEpoch(row.Modified / 1000000, Qt::UTC)
                              .toString(Qt::ISODateWithMs));
        }
        rows.append(object);
    }
    Out(QJsonDocument(rows).toJson(QJsonDocument::Indented));
}

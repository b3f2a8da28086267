#include "CCliExport.h"

#include "CError.h"
#include "CRepositoryExport.h"

#include <QCommandLineParser>
#include <QSaveFile>

QString CCliExport::Summary() const {
    return tr("カテゴリ、文書、保存した検索を書き出します。");
}

void CCliExport::Describe(QCommandLineParser& Parser) {
    Parser.addOption({QStringLiteral("format"), tr("json (既定) か csv。"),
                      QStringLiteral("FORMAT"), QStringLiteral("json")});
    Parser.addPositionalArgument(QStringLiteral("FILE"), tr("書き出し先。省略すると標準出力です。"),
                                 QStringLiteral("[FILE]"));
}

int CCliExport::Run(const QCommandLineParser& Parser) {
    const QString format = Parser.value(QStringLiteral("format"));
    if (format != QLatin1String("json") && format != QLatin1String("csv"))
        return UsageError(tr("形式は json か csv です: %1").arg(format));
    if (Parser.positionalArguments().size() > 1)
        return UsageError(tr("書き出し先は 1 つだけ指定できます。"));
    CRepositoryExport exporter(Repository());
    const QByteArray data = format == QLatin1String("csv") ? exporter.Csv() : exporter.Json();
    if (Parser.positionalArguments().isEmpty()) {
        Out(data);
        return Success;
    }
    // Written whole or not at all: an older export under the name survives
    // a full disk.
    const QString file = Parser.positionalArguments().constFirst();
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.commit())
        throw CError(tr("%1 に書き込めませんでした: %2").arg(file, out.errorString()));
    return Success;
}

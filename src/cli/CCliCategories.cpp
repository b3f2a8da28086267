#include "CCliCategories.h"

#include "CCategoryStore.h"
#include "CDocumentRows.h"

#include <QCommandLineParser>

QString CCliCategories::Summary() const {
    return tr("カテゴリとその文書の数を表示します。");
}

void CCliCategories::Describe(QCommandLineParser& Parser) {
    Parser.addOption({QStringLiteral("names"), tr("名前だけを表示します。")});
}

int CCliCategories::Run(const QCommandLineParser& Parser) {
    if (!Parser.positionalArguments().isEmpty())
        return UsageError(tr("引数は受け付けません: %1")
                              .arg(Parser.positionalArguments().join(QLatin1Char(' '))));
    CVolloDB& repository = Repository();
    CCategoryStore store(repository);
    const bool namesOnly = Parser.isSet(QStringLiteral("names"));
    QByteArray out;
    for (const auto& [id, name] : CDocumentRows(repository).Categories()) {
        out += name.toUtf8();
        if (!namesOnly)
            out += '\t' + QByteArray::number(store.FileCount(id));
        out += '\n';
    }
    Out(out);
    return Success;
}

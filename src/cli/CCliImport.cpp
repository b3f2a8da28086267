#include "CCliImport.h"

#include "CCsvImport.h"
#include "CError.h"
#include "CRepositoryImport.h"

#include <QCommandLineParser>
#include <QFile>

QString CCliImport::Summary() const {
    return tr("書き出したファイルを取り込みます。同じ文書は二重に登録しません。");
}

void CCliImport::Describe(QCommandLineParser& Parser) {
    Parser.addPositionalArgument(QStringLiteral("FILE"),
                                 tr("vollo export で書き出したファイル (JSON か CSV)。"));
}

int CCliImport::Run(const QCommandLineParser& Parser) {
    if (Parser.positionalArguments().size() != 1)
        return UsageError(tr("取り込むファイルを 1 つ指定してください。"));
    const QString file = Parser.positionalArguments().constFirst();
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        throw CError(tr("%1 を読めませんでした: %2").arg(file, in.errorString()));
    QByteArray data = in.readAll();
    if (CCsvImport::IsCsv(data, file))
        data = CCsvImport::AsJson(data, file);
    const CRepositoryImport::Result result = CRepositoryImport(Writable()).Import(data, file);
    Changed();
    Err(tr("%L1 件の文書を登録し、%L2 件は登録済みでした。カテゴリを %L3 個作り、%L4 件の"
           "カテゴリを付けました。\n")
            .arg(result.Collected)
            .arg(result.Known)
            .arg(result.Categories)
            .arg(result.Links));
    for (const CLeftOut::Item& item : result.LeftOut.Items())
        Complain(QStringLiteral("%1: %2").arg(item.Path, item.Reason));
    return result.LeftOut.IsEmpty() ? Success : Failure;
}

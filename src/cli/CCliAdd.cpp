#include "CCliAdd.h"

#include "CCollectWalk.h"
#include "CDocumentQuery.h"
#include "CFileCollector.h"
#include "CPathFinder.h"
#include "CVolloDB.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSet>

QString CCliAdd::Summary() const {
    return tr(
        "ファイルとフォルダを取り込みます。フォルダからは初回起動と同じ種類の文書を取り込みます。");
}

void CCliAdd::Describe(QCommandLineParser& Parser) {
    Parser.addOption({{QStringLiteral("c"), QStringLiteral("category")},
                      tr("取り込んだ文書をこのカテゴリに入れます。"),
                      QStringLiteral("CATEGORY")});
    Parser.addPositionalArgument(QStringLiteral("PATH"),
                                 tr("ファイルかフォルダ。いくつでも指定できます。"),
                                 QStringLiteral("PATH..."));
}

int CCliAdd::Run(const QCommandLineParser& Parser) {
    const QStringList paths = Parser.positionalArguments();
    if (paths.isEmpty())
        return UsageError(tr("取り込むファイルかフォルダを指定してください。"));
    CVolloDB& repository = Writable();
    const qint32 tag =
        Parser.isSet(QStringLiteral("category"))
            ? CDocumentQuery(repository).RequireCategory(Parser.value(QStringLiteral("category")))
            : 0;
    QStringList files;
    QStringList folders;
    for (const QString& path : paths) {
        const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        const QFileInfo info(absolute);
        (info.isDir() && !info.isSymLink() ? folders : files) << absolute;
    }
    CFileCollector collector(repository);
    CPathFinder finder;
    CCollectWalk walk(repository, finder, collector);
    QObject::connect(&finder, &CPathFinder::OnFound, &walk,
                     [&walk](const QString& name) { walk.Found(name); });
    qint64 taken = 0;
    QObject::connect(&walk, &CCollectWalk::OnEnd, &walk, [&] { taken += walk.Count(); });
    walk.CollectDrop(files, folders, tag);
    Changed();
    const QSet<QString> named(files.cbegin(), files.cend());
    taken += files.size();
    for (const CLeftOut::Item& item : collector.LeftOut().Items())
        taken -= named.contains(item.Path) ? 1 : 0;
    Err(tr("%Ln 個の文書を取り込みました。\n", nullptr, int(taken)));
    for (const CLeftOut::Item& item : collector.LeftOut().Items())
        Complain(QStringLiteral("%1: %2").arg(item.Path, item.Reason));
    return collector.LeftOut().IsEmpty() ? Success : Failure;
}

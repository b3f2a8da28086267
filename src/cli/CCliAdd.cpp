#include "CCliAdd.h"

#include "CCollectWalk.h"
#include "CDocumentQuery.h"
#include "CFileCollector.h"
#include "CPathFinder.h"
#include "CTagImport.h"
#include "CVolloDB.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>
#include <unistd.h>

QString CCliAdd::Summary() const {
    return tr(
        "ファイルとフォルダを取り込みます。フォルダからは初回起動と同じ種類の文書を取り込みます。");
}

void CCliAdd::Describe(QCommandLineParser& Parser) {
    Parser.addOption({{QStringLiteral("c"), QStringLiteral("category")},
                      tr("取り込んだ文書をこのカテゴリに入れます。"),
                      QStringLiteral("CATEGORY")});
    Parser.addOption({QStringLiteral("import-tags"),
                      tr("文書に付いているファイル マネージャーのタグ (user.xdg.tags) を"
                         "カテゴリにして分類します。")});
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
    CTagImport import(repository);
    collector.setTagImport(&import);
    CPathFinder finder;
    CCollectWalk walk(repository, finder, collector);
    QObject::connect(&finder, &CPathFinder::OnFound, &walk,
                     [&walk](const QString& name) { walk.Found(name); });
    qint64 taken = 0;
    QObject::connect(&walk, &CCollectWalk::OnEnd, &walk, [&] { taken += walk.Count(); });
    walk.CollectDrop(files, folders, tag);
    const QSet<QString> named(files.cbegin(), files.cend());
    taken += files.size();
    for (const CLeftOut::Item& item : collector.LeftOut().Items())
        taken -= named.contains(item.Path) ? 1 : 0;
    Err(tr("%Ln 個の文書を取り込みました。\n", nullptr, int(taken)));
    for (const CLeftOut::Item& item : collector.LeftOut().Items())
        Complain(QStringLiteral("%1: %2").arg(item.Path, item.Reason));
    OfferTags(import, Parser.isSet(QStringLiteral("import-tags")));
    Changed();
    return collector.LeftOut().IsEmpty() ? Success : Failure;
}

void CCliAdd::OfferTags(CTagImport& Import, bool Accept) {
    const QList<CTagImport::Offer> offers = Import.Offers();
    if (!offers.isEmpty()) {
        Err(tr("取り込んだ文書にファイル マネージャーのタグが付いています:\n"));
        for (const CTagImport::Offer& offer : offers)
            Err(QStringLiteral("  %1\n").arg(CTagImport::OfferText(offer)));
        // A script is never held up by a question it cannot answer.
        if (!Accept && isatty(STDIN_FILENO) != 0) {
            Err(tr("これらのタグをカテゴリにして分類しますか？ [y/N] "));
            const QString answer = QTextStream(stdin).readLine().trimmed().toLower();
            Accept = answer == QLatin1String("y") || answer == QLatin1String("yes");
        } else if (!Accept) {
            Err(tr("カテゴリにするには --import-tags を付けてもう一度実行してください。\n"));
        }
        if (Accept) {
            const qsizetype made = Import.Accept(offers).size();
            Err(tr("%1 個のタグで文書を分類しました (新しいカテゴリ %2 個)。\n")
                    .arg(offers.size())
                    .arg(made));
        }
    }
    for (const CLeftOut::Item& item : Import.Refused().Items())
        Complain(QStringLiteral("%1: %2").arg(item.Path, item.Reason));
}

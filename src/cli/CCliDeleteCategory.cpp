#include "CCliDeleteCategory.h"

#include "CCategoryStore.h"
#include "CDocumentQuery.h"
#include "CTagMirror.h"

#include <QCommandLineParser>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

QString CCliDeleteCategory::Summary() const {
    return tr("カテゴリを削除します。文書は登録されたまま残ります。");
}

void CCliDeleteCategory::Describe(QCommandLineParser& Parser) {
    Parser.addOption({{QStringLiteral("y"), QStringLiteral("yes")}, tr("確認せずに削除します。")});
    Parser.addPositionalArgument(QStringLiteral("NAME"), tr("削除するカテゴリの名前。"));
}

bool CCliDeleteCategory::Confirm(const QString& Category, qint32 Count) {
    Err(tr("カテゴリ「%1」を削除しますか？ %Ln 個の文書からこのカテゴリが外れます。[y/N] ", nullptr,
           int(Count))
            .arg(Category));
    QTextStream in(stdin);
    const QString answer = in.readLine().trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

int CCliDeleteCategory::Run(const QCommandLineParser& Parser) {
    if (Parser.positionalArguments().size() != 1)
        return UsageError(tr("カテゴリの名前を 1 つ指定してください。"));
    const QString name = Parser.positionalArguments().constFirst();
    CVolloDB& repository = Writable();
    const qint32 id = CDocumentQuery(repository).RequireCategory(name);
    CCategoryStore store(repository);
    if (!Parser.isSet(QStringLiteral("yes"))) {
        if (isatty(STDIN_FILENO) == 0)
            return UsageError(tr("確認できる端末がありません。--yes を付けてください。"));
        if (!Confirm(name, store.FileCount(id))) {
            Complain(tr("削除をやめました。"));
            return Failure;
        }
    }
    // The links go with the category and its children move up a level:
    // their documents are known only before.
    CTagMirror mirror(repository);
    const QList<qint32> files = mirror.FilesUnder(id);
    store.Delete(id);
    mirror.Update(files);
    for (const CLeftOut::Item& item : mirror.Skipped().Items())
        Complain(QStringLiteral("%1: %2").arg(item.Path, item.Reason));
    Changed();
    return Success;
}

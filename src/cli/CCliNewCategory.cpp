#include "CCliNewCategory.h"

#include "CCategoryStore.h"

#include <QCommandLineParser>

QString CCliNewCategory::Summary() const {
    return tr("カテゴリを作ります。");
}

void CCliNewCategory::Describe(QCommandLineParser& Parser) {
    Parser.addPositionalArgument(QStringLiteral("NAME"), tr("新しいカテゴリの名前。"));
}

int CCliNewCategory::Run(const QCommandLineParser& Parser) {
    if (Parser.positionalArguments().size() != 1)
        return UsageError(tr("カテゴリの名前を 1 つ指定してください。"));
    CCategoryStore store(Writable());
    store.Add(Parser.positionalArguments().constFirst());
    Changed();
    return Success;
}

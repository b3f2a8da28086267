#include "CCliRenameCategory.h"

#include "CCategoryStore.h"
#include "CDocumentQuery.h"
#include "CTagMirror.h"

#include <QCommandLineParser>

QString CCliRenameCategory::Summary() const {
    return tr("カテゴリの名前を変えます。");
}

void CCliRenameCategory::Describe(QCommandLineParser& Parser) {
    Parser.addPositionalArgument(QStringLiteral("OLD"), tr("今の名前。"));
    Parser.addPositionalArgument(QStringLiteral("NEW"), tr("新しい名前。"));
}

int CCliRenameCategory::Run(const QCommandLineParser& Parser) {
    const QStringList names = Parser.positionalArguments();
    if (names.size() != 2)
        return UsageError(tr("今の名前と新しい名前を指定してください。"));
    CVolloDB& repository = Writable();
    const qint32 id = CDocumentQuery(repository).RequireCategory(names[0]);
    CCategoryStore(repository).Rename(id, names[1]);
    // The documents' desktop tags carry the name, the children's too.
    CTagMirror mirror(repository);
    mirror.UpdateCategory(id);
    for (const CLeftOut::Item& item : mirror.Skipped().Items())
        Complain(QStringLiteral("%1: %2").arg(item.Path, item.Reason));
    Changed();
    return Success;
}

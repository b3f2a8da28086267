#include "CCliBackup.h"

#include "CRepositoryBackup.h"
#include "CVolloDB.h"

#include <QCommandLineParser>
#include <QFileInfo>

QString CCliBackup::Summary() const {
    return tr("リポジトリの写しを作ります。ウィンドウが書き込んでいる間も一貫した写しです。");
}

void CCliBackup::Describe(QCommandLineParser& Parser) {
    Parser.addPositionalArgument(QStringLiteral("FILE"), tr("写しの保存先。"));
}

int CCliBackup::Run(const QCommandLineParser& Parser) {
    if (Parser.positionalArguments().size() != 1)
        return UsageError(tr("保存先のファイルを 1 つ指定してください。"));
    const QString target = QFileInfo(Parser.positionalArguments().constFirst()).absoluteFilePath();
    const QString source = Repository().INIFileName();
    if (QFileInfo(target).canonicalFilePath() == QFileInfo(source).canonicalFilePath())
        return UsageError(tr("リポジトリそのものには写せません: %1").arg(target));
    CRepositoryBackup::Save(source, target);
    return Success;
}

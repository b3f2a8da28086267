#include "CCliCheck.h"

#include "CDocumentQuery.h"
#include "CDocumentRows.h"
#include "CShortcutReconciler.h"
#include "CVolloDB.h"

#include <QCommandLineParser>
#include <QFileInfo>

QString CCliCheck::Summary() const {
    return tr("リポジトリが壊れていないか、ショートカットと登録が合っているかを確かめます。");
}

void CCliCheck::Describe(QCommandLineParser& Parser) {
    Parser.addOption({QStringLiteral("repair"),
                      tr("ショートカットと登録を合わせます (指定しなければ何も変えません)。")});
}

int CCliCheck::Run(const QCommandLineParser& Parser) {
    const bool repair = Parser.isSet(QStringLiteral("repair"));
    CVolloDB& repository = repair ? Writable() : Repository();
    bool sound = true;
    CRecordset rs = repository.RunSQL(QStringLiteral("PRAGMA integrity_check"));
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
        const QString line = rs.Field(0).toString();
        if (line != QLatin1String("ok")) {
            Complain(QStringLiteral("%1: %2").arg(repository.INIFileName(), line));
            sound = false;
        }
    }
    const CShortcutReconciler::Result result = CShortcutReconciler(repository).Reconcile(repair);
    const QString verb = repair ? tr("直しました") : tr("直せます");
    QString report;
    if (result.removedRows > 0)
        report += tr("ショートカットのない登録: %L1 件 (%2)\n").arg(result.removedRows).arg(verb);
    if (result.registered > 0)
        report += tr("登録のないショートカット: %L1 件 (%2)\n").arg(result.registered).arg(verb);
    if (result.removedShortcuts > 0)
        report +=
            tr("行き先のないショートカット: %L1 件 (%2)\n").arg(result.removedShortcuts).arg(verb);
    qint32 missing = 0;
    for (const auto& file : CDocumentQuery(repository).Files(QString())) {
        const QString path = CDocumentRows::DocumentOf(file.second);
        missing += path.isEmpty() || !QFileInfo::exists(path) ? 1 : 0;
    }
    if (missing > 0)
        report += tr("見つからない文書: %L1 件\n").arg(missing);
    Out((report.isEmpty() && sound ? tr("問題はありません。\n") : report).toLocal8Bit());
    if (repair && result.removedRows + result.registered + result.removedShortcuts > 0)
        Changed();
    const bool clean = result.removedRows + result.registered + result.removedShortcuts == 0;
    return sound && (repair || clean) ? Success : Failure;
}

#include "CCliFindMissing.h"

#include "CError.h"
#include "CShortcutRelinker.h"
#include "CVolloDB.h"

#include <QCommandLineParser>

QString CCliFindMissing::Summary() const {
    return tr("移動された文書を探し、確かに見つかったものをつなぎ直します。");
}

void CCliFindMissing::Describe(QCommandLineParser& Parser) {
    Parser.addOption(
        {QStringLiteral("dry-run"), tr("つなぎ直さずに、見つかったものを表示します。")});
}

bool CCliFindMissing::Relink(const CMoveRepair::Document& Document, const QString& NewPath) {
    if (!m_dryRun) {
        try {
            CShortcutRelinker::Relink(Document.Shortcut, NewPath);
        } catch (const CError& e) {
            Complain(e.Text());
            return false;
        }
        CMoveRepair::StoreRelinked(Repository(), Document.FileID, NewPath);
        ++m_relinked;
    }
    Out(PathBytes(Document.Stored.Path) + QByteArrayLiteral(" → ") + PathBytes(NewPath) + '\n');
    return true;
}

bool CCliFindMissing::RelinkAll(const QList<CMoveRepair::Document>& Documents,
                                const QList<CMoveRepair::Move>& Moves) {
    bool all = true;
    for (const auto& [index, newPath] : Moves)
        all = Relink(Documents[index], newPath) && all;
    return all;
}

void CCliFindMissing::TellLeft(const QList<CMoveRepair::Document>& Documents,
                               const QList<qsizetype>& Missing,
                               const QList<CMoveMatcher::Outcome>& Outcomes) {
    for (const CMoveMatcher::Outcome& o : Outcomes) {
        const CMoveRepair::Document& d = Documents[Missing[o.Missing]];
        if (o.Decision == CMoveMatcher::Verdict::Ambiguous) {
            Complain(
                tr("%1: 移動先の候補が複数あるため、つなぎ直しませんでした:").arg(d.Stored.Path));
            for (const QString& candidate : o.Candidates)
                Err(QStringLiteral("  %1\n").arg(candidate));
        } else if (o.Decision == CMoveMatcher::Verdict::Unmatched) {
            Complain(tr("%1: 移動先が見つかりませんでした。").arg(d.Stored.Path));
            // Searched for again only on command, as the window does.
            if (!m_dryRun && !d.KnownMissing)
                Repository().MarkMissing(d.FileID);
        }
    }
}

int CCliFindMissing::Run(const QCommandLineParser& Parser) {
    if (!Parser.positionalArguments().isEmpty())
        return UsageError(tr("引数は要りません。"));
    m_dryRun = Parser.isSet(QStringLiteral("dry-run"));
    CVolloDB& repository = m_dryRun ? Repository() : Writable();
    const QList<CMoveRepair::Document> documents = CMoveRepair::Registered(repository);
    QList<qsizetype> missing, displaced;
    CMoveRepair::Sort(documents, false, &missing, &displaced);
    CMoveRepair repair;
    bool all = RelinkAll(documents, repair.FollowSwaps(documents, displaced));
    if (!missing.isEmpty()) {
        const QList<CMoveMatcher::Outcome> outcomes = repair.Search(documents, missing);
        QList<CMoveRepair::Move> found;
        for (const CMoveMatcher::Outcome& o : outcomes)
            if (o.Decision == CMoveMatcher::Verdict::Relink)
                found << CMoveRepair::Move{missing[o.Missing], o.Candidates.front()};
        all = RelinkAll(documents, found) && all;
        TellLeft(documents, missing, outcomes);
    } else if (displaced.isEmpty()) {
        Err(tr("見つからない文書はありません。") + QLatin1Char('\n'));
    }
    if (m_relinked > 0 || (!m_dryRun && !missing.isEmpty()))
        Changed();
    return all ? Success : Failure;
}

#pragma once

#include "CCliCommand.h"

// `vollo categories`: every category with its document count, one a line,
// separated by a tab.
class CCliCategories : public CCliCommand {
    Q_DECLARE_TR_FUNCTIONS(CCliCategories)
public:
    QString Name() const override { return QStringLiteral("categories"); }
    QString Summary() const override;

protected:
    void Describe(QCommandLineParser& Parser) override;
    int Run(const QCommandLineParser& Parser) override;
};

#pragma once

#include "CCliCommand.h"

// `vollo rename-category OLD NEW`.
class CCliRenameCategory : public CCliCommand {
    Q_DECLARE_TR_FUNCTIONS(CCliRenameCategory)
public:
    QString Name() const override { return QStringLiteral("rename-category"); }
    QString Summary() const override;

protected:
    void Describe(QCommandLineParser& Parser) override;
    int Run(const QCommandLineParser& Parser) override;
};

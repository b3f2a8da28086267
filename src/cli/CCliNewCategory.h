#pragma once

#include "CCliCommand.h"

// `vollo new-category NAME`.
class CCliNewCategory : public CCliCommand {
    Q_DECLARE_TR_FUNCTIONS(CCliNewCategory)
public:
    QString Name() const override { return QStringLiteral("new-category"); }
    QString Summary() const override;

protected:
    void Describe(QCommandLineParser& Parser) override;
    int Run(const QCommandLineParser& Parser) override;
};

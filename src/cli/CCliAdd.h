#pragma once

#include "CCliCommand.h"

// `vollo add PATH... [-c CATEGORY]`: collects files as they are and folders by
// the first start's rules, and tells what was left out and why.
class CCliAdd : public CCliCommand {
    Q_DECLARE_TR_FUNCTIONS(CCliAdd)
public:
    QString Name() const override { return QStringLiteral("add"); }
    QString Summary() const override;

protected:
    void Describe(QCommandLineParser& Parser) override;
    int Run(const QCommandLineParser& Parser) override;
};

#pragma once

#include "CCliCommand.h"

class CTagImport;

// `vollo add PATH... [-c CATEGORY] [--import-tags]`: collects files as they
// are and folders by the first start's rules, and tells what was left out and
// why. Desktop tags found on the documents are listed and, when the user
// agrees, made categories.
class CCliAdd : public CCliCommand {
    Q_DECLARE_TR_FUNCTIONS(CCliAdd)
public:
    QString Name() const override { return QStringLiteral("add"); }
    QString Summary() const override;

protected:
    void Describe(QCommandLineParser& Parser) override;
    int Run(const QCommandLineParser& Parser) override;

private:
    // Lists the tags found; Accept (or a yes on the terminal) files by them.
    void OfferTags(CTagImport& Import, bool Accept);
};

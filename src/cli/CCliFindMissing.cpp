#include "CCliFindMissing.h"

#include <QCommandLineParser>

QString CCliFindMissing::Summary() const {
    return QString();
}

void CCliFindMissing::Describe(QCommandLineParser& Parser) {
    Q_UNUSED(Parser);
}

int CCliFindMissing::Run(const QCommandLineParser& Parser) {
    Q_UNUSED(Parser);
    return Failure;
}

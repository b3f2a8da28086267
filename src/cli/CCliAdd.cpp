#include "CCliAdd.h"

#include <QCommandLineParser>

QString CCliAdd::Summary() const {
    return QString();
}

void CCliAdd::Describe(QCommandLineParser& Parser) {
    Q_UNUSED(Parser);
}

int CCliAdd::Run(const QCommandLineParser& Parser) {
    Q_UNUSED(Parser);
    return Failure;
}

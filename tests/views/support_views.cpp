#include "support_views.h"

#include "SM_Shell.h"

#include <QDesktopServices>
#include <QFile>

DesktopStub::DesktopStub() {
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open");
    SM_Shell::setErrorReporter([this](QWidget*, const QString& text) { errors.append(text); });
}

DesktopStub::~DesktopStub() {
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    SM_Shell::setErrorReporter({});
}

QString DesktopStub::document(const QString& name) {
    QFile file(dir.filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write("document") == 8 ? file.fileName()
                                                                          : QString();
}

QString DesktopStub::shortcut(const QString& name, const QString& target) {
    const QString path = dir.filePath(name);
    return QFile::link(target, path) ? path : QString();
}

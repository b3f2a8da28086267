#include "AM_Vollo.h"

#include <QApplication>
#include <QMainWindow>

namespace AM_Vollo {

int Main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vollo"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(VOLLO_VERSION_MAJOR)
                                            .arg(VOLLO_VERSION_MINOR)
                                            .arg(VOLLO_VERSION_PATCH));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Vollo"));
    window.show();
    return QApplication::exec();
}

} // namespace AM_Vollo

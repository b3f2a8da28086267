// The real program, started the way a user starts it, with its message boxes
// answered by a robot: "ok" or "cancel" (argv[1]) to the first-start
// question, Ok to everything else. It ends itself once the main window is up
// and nothing modal is left; the kill test ends it sooner, by SIGKILL.
#include "AM_Vollo.h"
#include "support_app.h"

#include <QtWidgets>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vollo"));
    AM_Vollo::InstallBusyPointer();
    const bool ok = argc > 1 && qstrcmp(argv[1], "ok") == 0;
    ModalAnswerer answerer(ok ? QMessageBox::Ok : QMessageBox::Cancel);
    QTimer done;
    done.setInterval(20);
    QObject::connect(&done, &QTimer::timeout, [] {
        if (AM_Vollo::gMainForm != nullptr && AM_Vollo::gMainForm->isVisible() &&
            QApplication::activeModalWidget() == nullptr)
            QApplication::quit();
    });
    done.start();
    const int status = AM_Vollo::Run();
    for (const QString& text : answerer.Texts())
        std::fprintf(stderr, "asked: %s\n", qUtf8Printable(text));
    return status;
}

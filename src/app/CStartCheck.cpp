#include "CStartCheck.h"

#include "CHomeFolder.h"
#include "CLanguage.h"

#include <QCoreApplication>
#include <QLocale>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace {

void Print(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

// The value of a "-name value" or "--name=value" argument, as Qt reads it.
QByteArray ArgumentValue(int argc, char** argv, const char* name) {
    const size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] != '-')
            continue;
        arg += arg[1] == '-' ? 2 : 1;
        if (std::strncmp(arg, name, length) != 0)
            continue;
        if (arg[length] == '=')
            return QByteArray(arg + length + 1);
        if (arg[length] == '\0' && i + 1 < argc)
            return QByteArray(argv[i + 1]);
    }
    return QByteArray();
}

// The platform Qt will try first: the command line, then QT_QPA_PLATFORM,
// then a Wayland session outside GNOME, then X11.
QByteArray FirstPlatform(int argc, char** argv) {
    QByteArray platform = ArgumentValue(argc, argv, "platform");
    if (platform.isEmpty())
        platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty()) {
        const QByteArray desktop =
            (qgetenv("XDG_CURRENT_DESKTOP") + qgetenv("XDG_SESSION_DESKTOP")).toLower();
        if (qgetenv("XDG_SESSION_TYPE") == "wayland" && !desktop.contains("gnome"))
            return QByteArrayLiteral("wayland");
        return QByteArrayLiteral("xcb");
    }
    return platform.split(';').first().split(':').first();
}

// Connects the way Qt's X11 plugin will, through libxcb loaded here: the
// program links no X11 library of its own.
bool DisplayAnswers(const QByteArray& display) {
    void* xcb = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (xcb == nullptr)
        return true; // cannot tell: Qt decides
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    auto connect = reinterpret_cast<Connect>(dlsym(xcb, "xcb_connect"));
    auto hasError = reinterpret_cast<HasError>(dlsym(xcb, "xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<Disconnect>(dlsym(xcb, "xcb_disconnect"));
    bool answers = true;
    if (connect != nullptr && hasError != nullptr && disconnect != nullptr) {
        void* connection = connect(display.isEmpty() ? nullptr : display.constData(), nullptr);
        answers = hasError(connection) == 0;
        disconnect(connection);
    }
    dlclose(xcb);
    return answers;
}

} // namespace

QString CStartCheck::UnreachableDisplay(int argc, char** argv) {
    if (FirstPlatform(argc, argv) != "xcb")
        return QString();
    QByteArray display = ArgumentValue(argc, argv, "display");
    if (display.isEmpty())
        display = qgetenv("DISPLAY");
    if (display.isEmpty() || DisplayAnswers(display))
        return QString();
    return QString::fromLocal8Bit(display);
}

std::optional<int> CStartCheck::Run(int argc, char** argv) {
    // The texts speak the user's language; the GUI application comes later.
    QCoreApplication app(argc, argv);
    CLanguage::Load(QLocale());
    if (const QString problem = CHomeFolder::Ensure(); !problem.isEmpty()) {
        Print(problem);
        return 1;
    }
    if (const QString display = UnreachableDisplay(argc, argv); !display.isEmpty()) {
        Print(QCoreApplication::translate(
                  "CStartCheck", "vollo: ディスプレイ「%1」に接続できませんでした。X サーバーが動い"
                                 "ているか、DISPLAY が正しいかを確かめてください。\n")
                  .arg(display));
        return 1;
    }
    return std::nullopt;
}

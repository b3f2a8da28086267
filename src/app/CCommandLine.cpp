#include "CCommandLine.h"

#include "AM_Vollo.h"
#include "CCliMain.h"
#include "CLanguage.h"
#include "CLeftOut.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstring>

namespace {

void Print(std::FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fflush(to);
}

bool EnvironmentSet(const char* name) {
    return !qEnvironmentVariableIsEmpty(name);
}

// The options QGuiApplication takes for itself; they must pass here.
void AddPlatformOptions(QCommandLineParser& parser) {
    const char* const valued[] = {"platform",        "platformpluginpath",
                                  "platformtheme",   "plugin",
                                  "qwindowgeometry", "qwindowtitle",
                                  "qwindowicon",     "style",
                                  "stylesheet",      "display",
                                  "geometry",        "session"};
    for (const char* name : valued) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

QString UsageHint() {
    return QCoreApplication::translate("CCommandLine", "使い方は vollo --help で表示されます。");
}

// --categories FILE...: the files, absolute, for the category dialog. A name
// that is no valid text would reach the window as another file: refused.
std::optional<int> TakeCategoryFiles(const QCommandLineParser& parser, int argc, char** argv,
                                     QStringList* files) {
    if (parser.positionalArguments().isEmpty()) {
        Print(stderr, QStringLiteral("vollo: %1\n%2\n")
                          .arg(QCoreApplication::translate(
                                   "CCommandLine", "--categories にはファイルを指定してください。"),
                               UsageHint()));
        return 1;
    }
    for (int i = 1; i < argc; ++i) {
        if (!CLeftOut::IsFaithfulName(argv[i])) {
            std::fputs("vollo: ", stderr);
            std::fputs(argv[i], stderr);
            Print(stderr, QStringLiteral(": %1\n").arg(CLeftOut::BadNameReason()));
            return 1;
        }
    }
    for (const QString& file : parser.positionalArguments())
        *files << QDir::cleanPath(QFileInfo(file).absoluteFilePath());
    return std::nullopt;
}

} // namespace

std::optional<int> CCommandLine::Handle(int argc, char** argv, QStringList* CategoryFiles) {
    // The parser's help and messages need the application's name and
    // arguments; the GUI application comes only after this one is gone.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vollo"));
    QCoreApplication::setApplicationVersion(AM_Vollo::VersionText());
    // Help and messages speak the language the windows will speak.
    CLanguage::Load(QLocale());
    // Qt's own texts too: the parser's headings and its error messages.
    AM_Vollo::LoadQtTranslations(QLocale());
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QCoreApplication::translate("CCommandLine", "ファイルを動かさずにカテゴリで整理します。"));
    // Our own help and version options: Qt's carry texts its catalogues do
    // not translate into every language the program speaks.
    const QCommandLineOption help(
        {QStringLiteral("h"), QStringLiteral("help")},
        QCoreApplication::translate("CCommandLine", "このヘルプを表示します。"));
    const QCommandLineOption helpAll(
        QStringLiteral("help-all"),
        QCoreApplication::translate("CCommandLine", "--help と同じヘルプを表示します。"));
    const QCommandLineOption version(
        {QStringLiteral("v"), QStringLiteral("version")},
        QCoreApplication::translate("CCommandLine", "バージョン情報を表示します。"));
    const QCommandLineOption categories(
        QStringLiteral("categories"),
        QCoreApplication::translate("CCommandLine",
                                    "ファイルのカテゴリ ダイアログを開きます。取り込"
                                    "まれていないファイルは先に取り込みます。"));
    parser.addOptions({help, helpAll, version, categories});
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QCoreApplication::translate("CCommandLine", "--categories で開くファイル。"),
        QStringLiteral("[--categories FILE...]"));
    AddPlatformOptions(parser);
    if (!parser.parse(QCoreApplication::arguments())) {
        Print(stderr, QStringLiteral("vollo: %1\n%2\n").arg(parser.errorText(), UsageHint()));
        return 1;
    }
    if (parser.isSet(help) || parser.isSet(helpAll)) {
        Print(stdout, parser.helpText() + QLatin1Char('\n') + CCliMain::CommandsHelp());
        return 0;
    }
    if (parser.isSet(version)) {
        Print(stdout, QStringLiteral("Vollo %1\n").arg(AM_Vollo::VersionText()));
        return 0;
    }
    if (parser.isSet(categories)) {
        if (const std::optional<int> status = TakeCategoryFiles(parser, argc, argv, CategoryFiles))
            return status;
    } else if (!parser.positionalArguments().isEmpty()) {
        Print(stderr, QStringLiteral("vollo: %1 %2\n%3\n")
                          .arg(QCoreApplication::translate("CCommandLine", "引数は受け付けません:"),
                               parser.positionalArguments().join(u' '), UsageHint()));
        return 1;
    }
    if (!HasDisplay(argc, argv)) {
        Print(stderr,
              QCoreApplication::translate(
                  "CCommandLine", "vollo: ウィンドウを表示できません。ディスプレイがありません "
                                  "(DISPLAY も WAYLAND_DISPLAY も設定されていません)。\n"));
        return 1;
    }
    return std::nullopt;
}

bool CCommandLine::HasDisplay(int argc, char** argv) {
    if (EnvironmentSet("DISPLAY") || EnvironmentSet("WAYLAND_DISPLAY") ||
        EnvironmentSet("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0 ||
            std::strncmp(argv[i], "-platform=", 10) == 0 ||
            std::strncmp(argv[i], "--platform=", 11) == 0)
            return true;
    }
    return false;
}

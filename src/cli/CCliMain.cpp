#include "CCliMain.h"

#include "CCliAdd.h"
#include "CCliBackup.h"
#include "CCliCategories.h"
#include "CCliCheck.h"
#include "CCliDeleteCategory.h"
#include "CCliExport.h"
#include "CCliFindMissing.h"
#include "CCliImport.h"
#include "CCliList.h"
#include "CCliNewCategory.h"
#include "CCliRenameCategory.h"
#include "CCliTag.h"
#include "CHomeFolder.h"
#include "CLanguage.h"
#include "CLeftOut.h"

#include <QLocale>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Maker = std::function<std::unique_ptr<CCliCommand>()>;

const std::vector<Maker>& Makers() {
    static const std::vector<Maker> makers{
        [] { return std::make_unique<CCliList>(); },
        [] { return std::make_unique<CCliCategories>(); },
        [] { return std::make_unique<CCliAdd>(); },
        [] { return std::make_unique<CCliTag>(true); },
        [] { return std::make_unique<CCliTag>(false); },
        [] { return std::make_unique<CCliNewCategory>(); },
        [] { return std::make_unique<CCliRenameCategory>(); },
        [] { return std::make_unique<CCliDeleteCategory>(); },
        [] { return std::make_unique<CCliFindMissing>(); },
        [] { return std::make_unique<CCliCheck>(); },
        [] { return std::make_unique<CCliExport>(); },
        [] { return std::make_unique<CCliImport>(); },
        [] { return std::make_unique<CCliBackup>(); },
    };
    return makers;
}

std::unique_ptr<CCliCommand> Find(const QString& name) {
    for (const Maker& make : Makers()) {
        std::unique_ptr<CCliCommand> command = make();
        if (command->Name() == name)
            return command;
    }
    return nullptr;
}

} // namespace

bool CCliMain::IsCommand(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-')
        return false;
    return Find(QString::fromLocal8Bit(argv[1])) != nullptr;
}

QString CCliMain::CommandsHelp() {
    QString text = tr("コマンド:") + QLatin1Char('\n');
    for (const Maker& make : Makers()) {
        const std::unique_ptr<CCliCommand> command = make();
        text += QStringLiteral("  %1%2\n").arg(command->Name(), -18).arg(command->Summary());
    }
    return text + tr("各コマンドの使い方は vollo コマンド --help で表示されます。") +
           QLatin1Char('\n');
}

int CCliMain::StartWindow(int argc, char** argv) {
    Q_UNUSED(argc);
    std::array<char, 4096> self{};
    const ssize_t n = readlink("/proc/self/exe", self.data(), self.size() - 1);
    std::string program = n > 0 ? std::string(self.data(), size_t(n)) : std::string(argv[0]);
    const size_t slash = program.rfind('/');
    program = (slash == std::string::npos ? std::string() : program.substr(0, slash + 1)) +
              "vollo-window";
    execv(program.c_str(), argv);
    const int error = errno;
    std::fprintf(stderr, "vollo: %s: %s\n", program.c_str(), std::strerror(error));
    return CCliCommand::Failure;
}

int CCliMain::Run(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vollo"));
    CLanguage::Load(QLocale());
    // The repository lives under the home, as the window's does.
    if (const QString problem = CHomeFolder::Ensure(); !problem.isEmpty()) {
        CCliCommand::Err(problem);
        return CCliCommand::Failure;
    }
    // A name that is not valid text would reach the command as another
    // name: it is refused as the user typed it.
    for (int i = 2; i < argc; ++i) {
        if (!CLeftOut::IsFaithfulName(argv[i])) {
            CCliCommand::Err(QStringLiteral("vollo %1: ").arg(QString::fromLocal8Bit(argv[1])));
            std::fwrite(argv[i], 1, std::strlen(argv[i]), stderr);
            CCliCommand::Err(QStringLiteral(": ") + CLeftOut::BadNameReason() + QLatin1Char('\n'));
            return CCliCommand::Failure;
        }
    }
    return Find(QString::fromLocal8Bit(argv[1]))->Execute(QCoreApplication::arguments().mid(1));
}

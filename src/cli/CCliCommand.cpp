#include "CCliCommand.h"

#include "CError.h"
#include "CSingleInstance.h"
#include "CVolloDB.h"

#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>
#include <cstdio>

CCliCommand::CCliCommand() = default;
CCliCommand::~CCliCommand() = default;

void CCliCommand::Out(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void CCliCommand::Err(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

QByteArray CCliCommand::PathBytes(const QString& path) {
    return QFile::encodeName(path);
}

void CCliCommand::Complain(const QString& text) const {
    Err(QStringLiteral("vollo %1: %2\n").arg(Name(), text));
}

int CCliCommand::UsageError(const QString& text) const {
    Complain(text);
    Err(tr("使い方は vollo %1 --help で表示されます。\n").arg(Name()));
    return Usage;
}

CVolloDB& CCliCommand::Repository() {
    if (!m_repository) {
        auto repository = std::make_unique<CVolloDB>();
        // The window reads the repository through for damage at each start;
        // a command, run many times over from scripts and file managers,
        // does not. Damage on the pages it reads or writes still fails it
        // (rolling back what it wrote), and vollo check reads the whole file.
        repository->setSkipWholeCheck(true);
        repository->Create();
        m_repository = std::move(repository);
    }
    return *m_repository;
}

CVolloDB& CCliCommand::Writable() {
    CVolloDB& repository = Repository();
    if (repository.IsReadOnly())
        throw CError(repository.ReadOnlyNotice());
    return repository;
}

void CCliCommand::Changed() {
    if (m_repository)
        CSingleInstance(m_repository->INIFileName()).TellChanged();
}

int CCliCommand::Execute(const QStringList& Arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(Summary());
    const QCommandLineOption help = parser.addHelpOption();
    Describe(parser);
    if (!parser.parse(Arguments))
        return UsageError(parser.errorText());
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        // Qt names the program alone; the command belongs in the usage line.
        text.replace(QRegularExpression(QStringLiteral("^(\\S+: )?(\\S*vollo)\\b")),
                     QStringLiteral("\\1vollo %1").arg(Name()));
        Out(text.toLocal8Bit());
        return Success;
    }
    try {
        const int status = Run(parser);
        std::fflush(stdout);
        return status;
    } catch (const CError& e) {
        std::fflush(stdout);
        // SQLite's busy and locked: the window held the repository too long.
        const int code = e.Code() & 0xff;
        if (code == 5 || code == 6)
            Complain(tr("リポジトリはほかの処理 (Vollo のウィンドウなど) が使用中です。"
                        "しばらくしてから、もう一度お試しください。\n%1")
                         .arg(e.Text()));
        // SQLite's corrupt: met while reading, by a command that opened the
        // repository without reading it through first.
        else if (code == 11 && m_repository)
            Complain(tr("リポジトリ「%1」は壊れています（%2）。\n"
                        "vollo check で確かめ、バックアップから戻してください。")
                         .arg(m_repository->INIFileName(),
                              e.Text().section(QStringLiteral("\nStatement: "), 0, 0)));
        else
            Complain(e.Text());
        return Failure;
    }
}

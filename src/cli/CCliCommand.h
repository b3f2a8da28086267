#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <memory>

class CVolloDB;
class QCommandLineParser;

// One subcommand of `vollo`: its options, its help and its work. Errors
// reach the user on stderr in their language, naming the file and the
// cause; the exit status is 0 on success, 1 on a failure, 2 on wrong usage.
class CCliCommand {
    Q_DECLARE_TR_FUNCTIONS(CCliCommand)
public:
    enum Status { Success = 0, Failure = 1, Usage = 2 };

    CCliCommand();
    virtual ~CCliCommand();
    CCliCommand(const CCliCommand&) = delete;
    CCliCommand& operator=(const CCliCommand&) = delete;

    virtual QString Name() const = 0;
    // One line for the list of commands.
    virtual QString Summary() const = 0;
    // Parses Arguments (the command's name first) and does the work.
    int Execute(const QStringList& Arguments);

    // Writes bytes to stdout or text to stderr, unbuffered by Qt.
    static void Out(const QByteArray& bytes);
    static void Err(const QString& text);
    // A path as the file system spells it.
    static QByteArray PathBytes(const QString& path);

protected:
    // Declares the options and the positional arguments.
    virtual void Describe(QCommandLineParser& Parser) = 0;
    // The work, once the arguments were read; CError ends it with Failure.
    virtual int Run(const QCommandLineParser& Parser) = 0;

    // The repository, opened on first use. A command that writes calls
    // Writable, which refuses a repository open for reading only.
    CVolloDB& Repository();
    CVolloDB& Writable();
    // Tells a running window that the repository changed.
    void Changed();
    // "vollo NAME: text" on stderr; returns Usage.
    int UsageError(const QString& text) const;
    // "vollo NAME: text" on stderr.
    void Complain(const QString& text) const;

private:
    std::unique_ptr<CVolloDB> m_repository;
};

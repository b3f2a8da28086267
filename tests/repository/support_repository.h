#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Points XDG_DATA_HOME at a folder of its own for the life of the object, so
// that every test case meets a repository folder that does not exist yet.
// `depth` levels of missing parent folders lie between the temporary folder
// and the data home.
class CFreshDataHome {
public:
    explicit CFreshDataHome(int depth = 0);
    ~CFreshDataHome();
    CFreshDataHome(const CFreshDataHome&) = delete;
    CFreshDataHome& operator=(const CFreshDataHome&) = delete;

    QString DataHome() const { return m_dataHome; }
    QString RepositoryFolder() const { return m_dataHome + QStringLiteral("/Vollo/"); }
    QString RepositoryFile() const { return RepositoryFolder() + QStringLiteral("reposit.db"); }

private:
    QTemporaryDir m_dir;
    QString m_dataHome;
    QByteArray m_previous;
};

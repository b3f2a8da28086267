#pragma once

#include <QCoreApplication>
#include <QString>

// The home folder every data path hangs from. Started without HOME (from a
// service, cron or `env -i`), Qt would take "/" and the data would land
// there, or nowhere; the password database names the home instead.
class CHomeFolder {
    Q_DECLARE_TR_FUNCTIONS(CHomeFolder)
public:
    // Sets HOME from the password database when it is unset, as GLib does.
    // An empty text when there is a home; otherwise why there is none.
    static QString Ensure();
};

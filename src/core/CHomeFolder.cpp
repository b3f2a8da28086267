#include "CHomeFolder.h"

#include <pwd.h>
#include <unistd.h>

QString CHomeFolder::Ensure() {
    if (!qEnvironmentVariableIsEmpty("HOME"))
        return QString();
    const passwd* entry = getpwuid(getuid());
    if (entry == nullptr || entry->pw_dir == nullptr || entry->pw_dir[0] != '/')
        return tr("vollo: ホームフォルダーがわかりません。HOME が設定されておらず、ユーザー %1 "
                  "のホームも登録されていません。HOME を設定してから起動してください。\n")
            .arg(getuid());
    qputenv("HOME", QByteArray(entry->pw_dir));
    return QString();
}

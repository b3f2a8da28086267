#include "CShortcutTargets.h"

#include "CError.h"
#include "CShortcutReader.h"

#include <QFile>
#include <array>
#include <fcntl.h>
#include <unistd.h>

CShortcutTargets::CShortcutTargets(const QString& folder) : m_folder(QFile::encodeName(folder)) {
    if (!m_folder.endsWith('/'))
        m_folder += '/';
    m_dir = ::open(m_folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

CShortcutTargets::~CShortcutTargets() {
    if (m_dir >= 0)
        ::close(m_dir);
}

QByteArray CShortcutTargets::DocumentOf(QByteArrayView shortcut) const {
    if (m_dir >= 0 && shortcut.startsWith(m_folder) &&
        shortcut.sliced(m_folder.size()).indexOf('/') < 0) {
        const QByteArray name = shortcut.sliced(m_folder.size()).toByteArray();
        std::array<char, 4096> target{};
        const ssize_t n = ::readlinkat(m_dir, name.constData(), target.data(), target.size());
        const QByteArrayView view(target.data(), n > 0 ? n : 0);
        // Vollo writes clean absolute targets; any other needs cleaning.
        if (n > 0 && n < ssize_t(target.size()) && view.startsWith('/') && !view.endsWith('/') &&
            !view.contains("//") && !view.contains("/./") && !view.contains("/../") &&
            !view.endsWith("/.") && !view.endsWith("/.."))
            return view.toByteArray();
    }
    try {
        return QFile::encodeName(
            CShortcutReader().Target(QFile::decodeName(shortcut.toByteArray())));
    } catch (const CError&) {
        return QByteArray();
    }
}

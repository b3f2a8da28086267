// Any bytes as a copied-over Windows shell link: read, or refused with
// CError; never a crash, a read out of bounds or a hang.
#include "CError.h"
#include "CShortcutReader.h"

#include <QDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const QString target = CShortcutReader::ParseShellLink(bytes, QStringLiteral("/links/"),
                                                               QStringLiteral("f.lnk"));
        // A link is refused or has a target, with "/" for every separator.
        if (target.isEmpty() || target.contains(u'\\'))
            std::abort();
    } catch (const CError&) {
    }
    return 0;
}

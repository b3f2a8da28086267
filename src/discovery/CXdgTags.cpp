#include "CXdgTags.h"

#include <QFile>
#include <QSet>
#include <cerrno>
#include <glib.h>
#include <sys/xattr.h>

namespace {

CXdgTags::FaultHook& Hook() {
    static CXdgTags::FaultHook hook;
    return hook;
}

int Fault(const QString& path, bool write) {
    return Hook() ? Hook()(path, write) : 0;
}

} // namespace

const char* const CXdgTags::AttributeName = "user.xdg.tags";

QList<QByteArray> CXdgTags::RawParts(const QByteArray& value) {
    QList<QByteArray> parts = value.split(',');
    parts.removeIf([](const QByteArray& part) { return part.trimmed().isEmpty(); });
    return parts;
}

QString CXdgTags::TagOf(const QByteArray& part) {
    const QByteArray trimmed = part.trimmed();
    if (!g_utf8_validate(trimmed.constData(), trimmed.size(), nullptr))
        return QString();
    return QString::fromUtf8(trimmed);
}

CXdgTags::Parsed CXdgTags::Parse(const QByteArray& value) {
    Parsed parsed;
    QSet<QString> seen;
    for (const QByteArray& part : RawParts(value)) {
        const QString name = TagOf(part);
        if (name.isEmpty())
            parsed.refused << part;
        else if (!seen.contains(name)) {
            seen.insert(name);
            parsed.names << name;
        }
    }
    return parsed;
}

QByteArray CXdgTags::Compose(const QList<QByteArray>& parts) {
    return parts.join(',');
}

bool CXdgTags::Writable(const QString& name) {
    return !name.trimmed().isEmpty() && !name.contains(u',');
}

int CXdgTags::Read(const QString& path, QByteArray* value) {
    value->clear();
    if (const int fault = Fault(path, false))
        return fault;
    const QByteArray file = QFile::encodeName(path);
    // The value may grow between asking its size and reading it.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = getxattr(file.constData(), AttributeName, nullptr, 0);
        if (size < 0)
            return errno == ENODATA ? 0 : errno;
        value->resize(size);
        const ssize_t n = getxattr(file.constData(), AttributeName, value->data(), size_t(size));
        if (n >= 0) {
            value->resize(n);
            return 0;
        }
        if (errno != ERANGE)
            return errno;
    }
    return ERANGE;
}

int CXdgTags::Write(const QString& path, const QByteArray& value) {
    if (const int fault = Fault(path, true))
        return fault;
    const QByteArray file = QFile::encodeName(path);
    if (value.isEmpty())
        return removexattr(file.constData(), AttributeName) == 0 || errno == ENODATA ? 0 : errno;
    return setxattr(file.constData(), AttributeName, value.constData(), size_t(value.size()), 0) ==
                   0
               ? 0
               : errno;
}

bool CXdgTags::IsUnwritable(int error) {
    return error == ENOTSUP || error == EROFS || error == EACCES || error == EPERM ||
           error == ENOSPC || error == EDQUOT;
}

void CXdgTags::setFaultHook(FaultHook hook) {
    Hook() = std::move(hook);
}

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
    return Read(-1, path, value);
}

int CXdgTags::Write(const QString& path, const QByteArray& value) {
    return Write(-1, path, value);
}

int CXdgTags::Read(int Fd, const QString& Path, QByteArray* value) {
    value->clear();
    if (const int fault = Fault(Path, false))
        return fault;
    const QByteArray file = Fd < 0 ? QFile::encodeName(Path) : QByteArray();
    const auto get = [&](char* into, size_t size) {
        return Fd < 0 ? getxattr(file.constData(), AttributeName, into, size)
                      : fgetxattr(Fd, AttributeName, into, size);
    };
    // Most values are short: one call reads them. A longer one may grow
    // between asking its size and reading it.
    char buffer[1024];
    ssize_t n = get(buffer, sizeof buffer);
    for (int attempt = 0; n < 0 && errno == ERANGE && attempt < 4; ++attempt) {
        const ssize_t size = get(nullptr, 0);
        if (size < 0)
            break;
        value->resize(size);
        n = get(value->data(), size_t(size));
        if (n >= 0) {
            value->resize(n);
            return 0;
        }
    }
    if (n < 0)
        return errno == ENODATA ? 0 : errno;
    *value = QByteArray(buffer, n);
    return 0;
}

int CXdgTags::Write(int Fd, const QString& Path, const QByteArray& value) {
    if (const int fault = Fault(Path, true))
        return fault;
    const QByteArray file = Fd < 0 ? QFile::encodeName(Path) : QByteArray();
    int result = 0;
    if (value.isEmpty())
        result =
            Fd < 0 ? removexattr(file.constData(), AttributeName) : fremovexattr(Fd, AttributeName);
    else
        result = Fd < 0 ? setxattr(file.constData(), AttributeName, value.constData(),
                                   size_t(value.size()), 0)
                        : fsetxattr(Fd, AttributeName, value.constData(), size_t(value.size()), 0);
    return result == 0 || (value.isEmpty() && errno == ENODATA) ? 0 : errno;
}

int CXdgTags::Create(const QString& Path, const QByteArray& value) {
    if (const int fault = Fault(Path, true))
        return fault;
    return setxattr(QFile::encodeName(Path).constData(), AttributeName, value.constData(),
                    size_t(value.size()), XATTR_CREATE) == 0
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

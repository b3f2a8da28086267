#include "CShortcutReader.h"

#include "BM_Library.h"
#include "CError.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Flags of a shell link header that tell which structures follow it.
enum : quint32 {
    HasLinkTargetIDList = 0x1,
    HasLinkInfo = 0x2,
    HasName = 0x4,
    HasRelativePath = 0x8,
    HasWorkingDir = 0x10,
    IsUnicode = 0x80,
    ForceNoLinkInfo = 0x100,
};
enum : quint32 { VolumeIDAndLocalBasePath = 0x1, CommonNetworkRelativeLinkAndPathSuffix = 0x2 };

constexpr quint32 kHeaderSize = 0x4C;
constexpr char kLinkClsid[16] = {0x01,       0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                 char(0xC0), 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
// Real shell links are a few kilobytes; the path lies well within this.
constexpr qint64 kMaxLinkBytes = 1 << 20;

struct Damaged {};

// Little-endian reads that fail (throw Damaged) instead of running past the end.
class Bytes {
public:
    explicit Bytes(const QByteArray& data) : m_data(data) {}

    quint32 U32(qsizetype at) const {
        Need(at, 4);
        const auto* p = reinterpret_cast<const uchar*>(m_data.constData() + at);
        return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
    }
    quint16 U16(qsizetype at) const {
        Need(at, 2);
        const auto* p = reinterpret_cast<const uchar*>(m_data.constData() + at);
        return quint16(p[0] | p[1] << 8);
    }
    // NUL-terminated text in the code page of the machine that wrote it. Only
    // UTF-8 and plain ASCII can be told apart here; anything else is Latin-1.
    QString Ansi(qsizetype at) const {
        Need(at, 1);
        const qsizetype end = m_data.indexOf('\0', at);
        if (end < 0)
            throw Damaged();
        const QByteArray bytes = m_data.mid(at, end - at);
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(bytes);
        return utf8.hasError() ? QString::fromLatin1(bytes) : text;
    }
    QString Unicode(qsizetype at) const {
        QString text;
        for (qsizetype i = at;; i += 2) {
            const quint16 c = U16(i);
            if (c == 0)
                return text;
            text += QChar(c);
        }
    }
    QString Counted(qsizetype& at, bool unicode) const {
        const quint16 count = U16(at);
        at += 2;
        const qsizetype bytes = qsizetype(count) * (unicode ? 2 : 1);
        Need(at, bytes);
        QString text;
        if (unicode) {
            for (qsizetype i = 0; i < count; ++i)
                text += QChar(U16(at + 2 * i));
        } else {
            text = QString::fromLatin1(m_data.constData() + at, bytes);
        }
        at += bytes;
        return text;
    }
    void Need(qsizetype at, qsizetype n) const {
        if (at < 0 || n < 0 || at > m_data.size() - n)
            throw Damaged();
    }

private:
    const QByteArray& m_data;
};

QString JoinWindowsPath(const QString& base, const QString& suffix) {
    if (base.isEmpty() || suffix.isEmpty() || base.endsWith(u'\\'))
        return base + suffix;
    return base + u'\\' + suffix;
}

// The target stored in the link-information block at info, or empty text.
QString LinkInfoPath(const Bytes& b, qsizetype info) {
    const quint32 size = b.U32(info);
    b.Need(info, size);
    const quint32 headerSize = b.U32(info + 4);
    const quint32 flags = b.U32(info + 8);
    const bool hasUnicode = headerSize >= 0x24;
    const auto at = [&](quint32 offset) {
        if (offset >= size)
            throw Damaged();
        return info + qsizetype(offset);
    };
    QString suffix;
    if (hasUnicode && b.U32(info + 32) != 0)
        suffix = b.Unicode(at(b.U32(info + 32)));
    else if (b.U32(info + 24) != 0)
        suffix = b.Ansi(at(b.U32(info + 24)));
    if (flags & VolumeIDAndLocalBasePath) {
        QString base;
        if (hasUnicode && b.U32(info + 28) != 0)
            base = b.Unicode(at(b.U32(info + 28)));
        else
            base = b.Ansi(at(b.U32(info + 16)));
        return JoinWindowsPath(base, suffix);
    }
    if (flags & CommonNetworkRelativeLinkAndPathSuffix) {
        const qsizetype net = at(b.U32(info + 20));
        const quint32 netNameOffset = b.U32(net + 8);
        QString netName;
        if (netNameOffset > 0x14 && b.U32(net + 20) != 0)
            netName = b.Unicode(net + b.U32(net + 20));
        else
            netName = b.Ansi(net + netNameOffset);
        return JoinWindowsPath(netName, suffix);
    }
    return QString();
}

} // namespace

QString CShortcutReader::ParseShellLink(const QByteArray& data, const QString& linkFolder,
                                        const QString& fileName) {
    const Bytes b(data);
    try {
        if (data.size() < qsizetype(kHeaderSize) || b.U32(0) != kHeaderSize ||
            std::memcmp(data.constData() + 4, kLinkClsid, sizeof kLinkClsid) != 0)
            throw CError(QStringLiteral("The shortcut \"%1\" is neither a symbolic link nor a "
                                        "Windows shell link")
                             .arg(fileName));
        const quint32 flags = b.U32(0x14);
        qsizetype at = kHeaderSize;
        if (flags & HasLinkTargetIDList)
            at += 2 + b.U16(at);
        QString target;
        if (flags & HasLinkInfo) {
            if (!(flags & ForceNoLinkInfo))
                target = LinkInfoPath(b, at);
            at += b.U32(at);
        }
        if (target.isEmpty()) {
            const bool unicode = flags & IsUnicode;
            if (flags & HasName)
                b.Counted(at, unicode);
            if (flags & HasRelativePath) {
                QString relative = b.Counted(at, unicode);
                relative.replace(u'\\', u'/');
                if (!relative.isEmpty())
                    return QDir::cleanPath(QDir(linkFolder).absoluteFilePath(relative));
            }
        }
        if (target.isEmpty())
            throw CError(QStringLiteral("The shortcut \"%1\" holds no target path").arg(fileName));
        // Windows separators become ours, so the name and folder functions work.
        return target.replace(u'\\', u'/');
    } catch (const Damaged&) {
        throw CError(QStringLiteral("The shortcut \"%1\" is damaged").arg(fileName));
    }
}

QString CShortcutReader::Target(const QString& path) const {
    const QByteArray native = QFile::encodeName(path);
    if (!native.isEmpty()) {
        // Nearly every shortcut is a symbolic link to an absolute path: one
        // readlink answers it, where lstat first would cost a second system
        // call for each row of a file list. Anything else takes the long way.
        char buffer[4096];
        const ssize_t n = ::readlink(native.constData(), buffer, sizeof buffer);
        if (n > 0 && n < ssize_t(sizeof buffer) && buffer[0] == '/')
            return QDir::cleanPath(QFile::decodeName(QByteArray::fromRawData(buffer, n)));
    }
    struct stat st {};
    if (native.isEmpty() || ::lstat(native.constData(), &st) != 0) {
        const int error = native.isEmpty() ? ENOENT : errno;
        throw CError(error, QStringLiteral("The shortcut \"%1\" cannot be read: %2")
                                .arg(path, QString::fromLocal8Bit(std::strerror(error))));
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (S_ISLNK(st.st_mode)) {
        QByteArray buffer(qMax<qsizetype>(st.st_size, 255) + 1, '\0');
        for (;;) {
            const ssize_t n = ::readlink(native.constData(), buffer.data(), buffer.size());
            if (n < 0) {
                const int error = errno;
                throw CError(error, QStringLiteral("The shortcut \"%1\" cannot be read: %2")
                                        .arg(path, QString::fromLocal8Bit(std::strerror(error))));
            }
            if (n < buffer.size()) {
                buffer.truncate(n);
                break;
            }
            buffer.resize(buffer.size() * 2); // the link grew since lstat
        }
        const QString target = QFile::decodeName(buffer);
        return QDir::cleanPath(QDir(folder).absoluteFilePath(target));
    }
    if (!S_ISREG(st.st_mode))
        throw CError(
            QStringLiteral("The shortcut \"%1\" is neither a symbolic link nor a file").arg(path));
    // Looked at again once open: a FIFO put in its place since the lstat
    // would otherwise block the read.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    QFile file;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        const int error = fd < 0 ? errno : EINVAL;
        if (fd >= 0 && !file.isOpen())
            ::close(fd);
        throw CError(error, QStringLiteral("The shortcut \"%1\" cannot be read: %2")
                                .arg(path, QString::fromLocal8Bit(std::strerror(error))));
    }
    const QByteArray data = file.read(kMaxLinkBytes);
    if (file.error() != QFileDevice::NoError)
        throw CError(
            QStringLiteral("The shortcut \"%1\" cannot be read: %2").arg(path, file.errorString()));
    return ParseShellLink(data, folder, path);
}

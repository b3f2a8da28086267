#include "CFileFacts.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <xxhash.h>

namespace {

constexpr qint64 kPart = qint64(64) * 1024;

// pread until count bytes are in or the file ends; -1 on a read error.
qint64 ReadAt(int fd, char* buffer, qint64 count, qint64 offset) {
    qint64 done = 0;
    while (done < count) {
        const ssize_t n = pread(fd, buffer + done, size_t(count - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

struct StateDeleter {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

} // namespace

bool CFileFacts::Fingerprint(int fd, qint64 size, quint64* result) {
    std::unique_ptr<XXH3_state_t, StateDeleter> state(XXH3_createState());
    if (!state || XXH3_64bits_reset(state.get()) == XXH_ERROR)
        return false;
    std::array<unsigned char, 8> sizeBytes{};
    for (size_t i = 0; i < sizeBytes.size(); ++i)
        sizeBytes[i] = static_cast<unsigned char>(quint64(size) >> (8 * i));
    XXH3_64bits_update(state.get(), sizeBytes.data(), sizeBytes.size());
    static thread_local std::array<char, kPart> buffer;
    const qint64 head = qMin(size, kPart);
    const qint64 tailStart = qMax(head, size - kPart);
    for (const auto& [offset, count] :
         {std::pair{qint64(0), head}, {tailStart, size - tailStart}}) {
        if (count <= 0)
            continue;
        const qint64 got = ReadAt(fd, buffer.data(), count, offset);
        if (got < 0)
            return false;
        XXH3_64bits_update(state.get(), buffer.data(), size_t(got));
    }
    *result = XXH3_64bits_digest(state.get());
    return true;
}

namespace {

// Fills the stat part of facts from st; false for anything but a file.
bool FromStat(const struct stat& st, CFileFacts& facts) {
    if (!S_ISREG(st.st_mode))
        return false;
    facts.device = quint64(st.st_dev);
    facts.inode = quint64(st.st_ino);
    facts.size = qint64(st.st_size);
    facts.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    facts.missing = false;
    return true;
}

} // namespace

CFileFacts CFileFacts::Read(const QString& path) {
    CFileFacts facts;
    facts.path = path;
    facts.missing = true;
    // A FIFO or a device in a document's place would block open() or never
    // end a read: nothing but a regular file is read.
    const int fd =
        open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return facts;
    struct stat st {};
    if (fstat(fd, &st) == 0 && FromStat(st, facts))
        facts.missing = !Fingerprint(fd, facts.size, &facts.fingerprint);
    close(fd);
    return facts;
}

CFileFacts CFileFacts::Of(const QString& path, const struct stat& st) {
    CFileFacts facts;
    facts.path = path;
    facts.missing = !FromStat(st, facts);
    return facts;
}

CFileFacts CFileFacts::Stat(const QString& path) {
    CFileFacts facts;
    facts.path = path;
    facts.missing = true;
    struct stat st {};
    if (stat(QFile::encodeName(path).constData(), &st) == 0)
        FromStat(st, facts);
    return facts;
}

bool CFileFacts::SameFile(const CFileFacts& other) const {
    return !missing && !other.missing && device == other.device && inode == other.inode &&
           size == other.size && modified == other.modified;
}

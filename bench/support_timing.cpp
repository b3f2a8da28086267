#include "support_timing.h"

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace SupportTiming {

double Seconds(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}

double Seconds(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return Seconds(timer);
}

double ShortcutRowLoop(const std::vector<QByteArray>& links, long long& checksum) {
    QElapsedTimer timer;
    timer.start();
    char target[PATH_MAX];
    for (const QByteArray& link : links) {
        struct stat st {};
        if (lstat(link.constData(), &st) != 0)
            continue;
        const ssize_t n = readlink(link.constData(), target, sizeof target - 1);
        if (n <= 0)
            continue;
        target[n] = '\0';
        if (stat(target, &st) == 0)
            checksum += st.st_size + st.st_mtime;
    }
    return Seconds(timer);
}

} // namespace SupportTiming

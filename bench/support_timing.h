#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <functional>
#include <vector>

// Timing and baseline pieces shared by the benchmarks, so every one of them
// measures its baseline the same way.
namespace SupportTiming {

double Seconds(const QElapsedTimer& t);
double Seconds(const std::function<void()>& work);

// The bare work behind one listed row: lstat of the shortcut, readlink, stat
// of the target. Adds size and time to checksum so nothing is optimised away.
double ShortcutRowLoop(const std::vector<QByteArray>& links, long long& checksum);

} // namespace SupportTiming

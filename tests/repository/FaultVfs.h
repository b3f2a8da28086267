#pragma once

// A test SQLite VFS over the default one that fails writes and syncs on
// demand, the way a full disk or a failing device does. Installed as the
// default VFS, so every connection the program opens afterwards goes through
// it. Only the thread that arms it is counted and failed.
namespace FaultVfs {

void Install();
// From the nth write or sync on (counted from this call, 1-based) every write
// and sync fails with code (SQLITE_FULL, SQLITE_IOERR, ...), until Disarm.
// n = 0 counts without failing.
void Arm(long n, int code);
void Disarm();
// Writes and syncs seen since the last Arm.
long Count();
// Whether a failure was injected since the last Arm.
bool Fired();

} // namespace FaultVfs

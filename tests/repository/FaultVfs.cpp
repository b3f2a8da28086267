#include "FaultVfs.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>
#include <thread>

namespace {

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_vfs;
long g_count = 0;
long g_failAt = 0;
int g_code = SQLITE_FULL;
bool g_fired = false;

struct File {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* Real(sqlite3_file* f) {
    return reinterpret_cast<File*>(f)->real;
}

// The thread that armed the sweep: writes of the program's helper threads
// (the journal's checkpoints) pass untouched, so that the count of write
// points stays the same from one run to the next.
std::atomic<std::thread::id> g_thread;

// Whether this write or sync is the one to fail (or one after it).
bool Fails() {
    if (std::this_thread::get_id() != g_thread.load())
        return false;
    ++g_count;
    if (g_failAt == 0 || g_count < g_failAt)
        return false;
    g_fired = true;
    return true;
}

int Close(sqlite3_file* f) {
    const int rc = Real(f)->pMethods ? Real(f)->pMethods->xClose(Real(f)) : SQLITE_OK;
    sqlite3_free(Real(f));
    return rc;
}
int Write(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
    return Fails() ? (g_code == SQLITE_IOERR ? SQLITE_IOERR_WRITE : g_code)
                   : Real(f)->pMethods->xWrite(Real(f), b, n, o);
}
// Counted but not passed on: the tests need no durability against power
// loss, and real syncs would make a sweep over every write point slow.
int Sync(sqlite3_file*, int) {
    return Fails() ? (g_code == SQLITE_IOERR ? SQLITE_IOERR_FSYNC : g_code) : SQLITE_OK;
}
// A full disk also refuses the journal's shared index, which SQLite grows by
// writing to it directly; it reports that as an I/O error with the system's
// ENOSPC. Not counted: the pager's writes alone are the sweep points.
int ShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
    if (g_failAt != 0 && g_code == SQLITE_FULL && g_count + 1 >= g_failAt &&
        std::this_thread::get_id() == g_thread.load()) {
        g_fired = true;
        *out = nullptr;
        return SQLITE_IOERR_SHMSIZE;
    }
    return Real(f)->pMethods->xShmMap(Real(f), page, size, extend, out);
}
// Memory-mapped pages would bypass the write counting.
int Fetch(sqlite3_file*, sqlite3_int64, int, void** out) {
    *out = nullptr;
    return SQLITE_OK;
}

// Every other method goes to the real file unchanged.
template <auto Method> struct Forward;
template <typename R, typename... A, R (*sqlite3_io_methods::*Method)(sqlite3_file*, A...)>
struct Forward<Method> {
    static R Call(sqlite3_file* f, A... a) { return (Real(f)->pMethods->*Method)(Real(f), a...); }
};
template <auto Method> constexpr auto Pass = Forward<Method>::Call;
using M = sqlite3_io_methods;

const sqlite3_io_methods kMethods = {3,
                                     Close,
                                     Pass<&M::xRead>,
                                     Write,
                                     Pass<&M::xTruncate>,
                                     Sync,
                                     Pass<&M::xFileSize>,
                                     Pass<&M::xLock>,
                                     Pass<&M::xUnlock>,
                                     Pass<&M::xCheckReservedLock>,
                                     Pass<&M::xFileControl>,
                                     Pass<&M::xSectorSize>,
                                     Pass<&M::xDeviceCharacteristics>,
                                     ShmMap,
                                     Pass<&M::xShmLock>,
                                     Pass<&M::xShmBarrier>,
                                     Pass<&M::xShmUnmap>,
                                     Fetch,
                                     Pass<&M::xUnfetch>};

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
    auto* file = reinterpret_cast<File*>(f);
    file->base.pMethods = nullptr;
    file->real = static_cast<sqlite3_file*>(sqlite3_malloc(g_real->szOsFile));
    if (!file->real)
        return SQLITE_NOMEM;
    std::memset(file->real, 0, static_cast<size_t>(g_real->szOsFile));
    const int rc = g_real->xOpen(g_real, name, file->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        sqlite3_free(file->real);
        return rc;
    }
    file->base.pMethods = &kMethods;
    return SQLITE_OK;
}

// The system error behind the last failure, as the real VFS reports errno.
int LastError(sqlite3_vfs*, int size, char* text) {
    if (g_fired && g_code == SQLITE_FULL)
        return ENOSPC;
    return g_real->xGetLastError(g_real, size, text);
}

} // namespace

namespace FaultVfs {

void Install() {
    if (g_real)
        return;
    g_real = sqlite3_vfs_find(nullptr);
    g_vfs = *g_real;
    g_vfs.zName = "vollo-fault";
    g_vfs.szOsFile = static_cast<int>(sizeof(File));
    g_vfs.xOpen = Open;
    g_vfs.xGetLastError = LastError;
    sqlite3_vfs_register(&g_vfs, 1);
}

void Arm(long n, int code) {
    g_thread = std::this_thread::get_id();
    g_count = 0;
    g_failAt = n;
    g_code = code;
    g_fired = false;
}

void Disarm() {
    g_failAt = 0;
}

long Count() {
    return g_count;
}

bool Fired() {
    return g_fired;
}

} // namespace FaultVfs

#include "FaultVfs.h"

#include <cstring>
#include <sqlite3.h>

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

// Whether this write or sync is the one to fail (or one after it).
bool Fails() {
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
int Read(sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
    return Real(f)->pMethods->xRead(Real(f), b, n, o);
}
int Write(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
    return Fails() ? (g_code == SQLITE_IOERR ? SQLITE_IOERR_WRITE : g_code)
                   : Real(f)->pMethods->xWrite(Real(f), b, n, o);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) {
    return Real(f)->pMethods->xTruncate(Real(f), size);
}
// Counted but not passed on: the tests need no durability against power
// loss, and real syncs would make a sweep over every write point slow.
int Sync(sqlite3_file*, int) {
    return Fails() ? (g_code == SQLITE_IOERR ? SQLITE_IOERR_FSYNC : g_code) : SQLITE_OK;
}
int FileSize(sqlite3_file* f, sqlite3_int64* size) {
    return Real(f)->pMethods->xFileSize(Real(f), size);
}
int Lock(sqlite3_file* f, int l) {
    return Real(f)->pMethods->xLock(Real(f), l);
}
int Unlock(sqlite3_file* f, int l) {
    return Real(f)->pMethods->xUnlock(Real(f), l);
}
int CheckReserved(sqlite3_file* f, int* out) {
    return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
}
int Control(sqlite3_file* f, int op, void* arg) {
    return Real(f)->pMethods->xFileControl(Real(f), op, arg);
}
int SectorSize(sqlite3_file* f) {
    return Real(f)->pMethods->xSectorSize(Real(f));
}
int Characteristics(sqlite3_file* f) {
    return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
}
int ShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
    return Real(f)->pMethods->xShmMap(Real(f), page, size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f) {
    Real(f)->pMethods->xShmBarrier(Real(f));
}
int ShmUnmap(sqlite3_file* f, int drop) {
    return Real(f)->pMethods->xShmUnmap(Real(f), drop);
}
int Fetch(sqlite3_file* f, sqlite3_int64 o, int n, void** out) {
    // Memory-mapped pages would bypass the write counting.
    (void)f, (void)o, (void)n;
    *out = nullptr;
    return SQLITE_OK;
}
int Unfetch(sqlite3_file* f, sqlite3_int64 o, void* p) {
    return Real(f)->pMethods->xUnfetch(Real(f), o, p);
}

const sqlite3_io_methods kMethods = {
    3,        Close,         Read,    Write,      Truncate,        Sync,   FileSize, Lock,
    Unlock,   CheckReserved, Control, SectorSize, Characteristics, ShmMap, ShmLock,  ShmBarrier,
    ShmUnmap, Fetch,         Unfetch};

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
    sqlite3_vfs_register(&g_vfs, 1);
}

void Arm(long n, int code) {
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

#include "crashwriter_vfs.h"

#include <sqlite3.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

namespace cofrel::crashwriter {

namespace {

sqlite3_vfs *g_real = nullptr;
sqlite3_vfs g_vfs;
bool g_armado = false;
int g_passos = 0;
int g_morreNoPasso = 0;

// One step that changes the disk: counted, and the last thing the process
// does when it is the chosen one.
void passo()
{
    if (!g_armado)
        return;
    ++g_passos;
    if (g_morreNoPasso > 0 && g_passos == g_morreNoPasso)
        std::raise(SIGKILL);
}

struct Arquivo {
    sqlite3_file base;
    sqlite3_file *real; // right behind this struct, sized by the real VFS
};

sqlite3_file *real(sqlite3_file *f)
{
    return reinterpret_cast<Arquivo *>(f)->real;
}

int xClose(sqlite3_file *f)
{
    sqlite3_file *r = real(f);
    const int rc = r->pMethods ? r->pMethods->xClose(r) : SQLITE_OK;
    f->pMethods = nullptr;
    return rc;
}

int xRead(sqlite3_file *f, void *buf, int n, sqlite3_int64 off)
{
    return real(f)->pMethods->xRead(real(f), buf, n, off);
}

int xWrite(sqlite3_file *f, const void *buf, int n, sqlite3_int64 off)
{
    passo();
    return real(f)->pMethods->xWrite(real(f), buf, n, off);
}

int xTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    passo();
    return real(f)->pMethods->xTruncate(real(f), size);
}

int xSync(sqlite3_file *f, int flags)
{
    passo();
    return real(f)->pMethods->xSync(real(f), flags);
}

int xFileSize(sqlite3_file *f, sqlite3_int64 *size)
{
    return real(f)->pMethods->xFileSize(real(f), size);
}

int xLock(sqlite3_file *f, int level)
{
    return real(f)->pMethods->xLock(real(f), level);
}

int xUnlock(sqlite3_file *f, int level)
{
    return real(f)->pMethods->xUnlock(real(f), level);
}

int xCheckReservedLock(sqlite3_file *f, int *out)
{
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}

int xFileControl(sqlite3_file *f, int op, void *arg)
{
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}

int xSectorSize(sqlite3_file *f)
{
    return real(f)->pMethods->xSectorSize(real(f));
}

int xDeviceCharacteristics(sqlite3_file *f)
{
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}

int xShmMap(sqlite3_file *f, int region, int size, int extend, void volatile **out)
{
    return real(f)->pMethods->xShmMap(real(f), region, size, extend, out);
}

int xShmLock(sqlite3_file *f, int offset, int n, int flags)
{
    return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}

void xShmBarrier(sqlite3_file *f)
{
    real(f)->pMethods->xShmBarrier(real(f));
}

int xShmUnmap(sqlite3_file *f, int deleteFlag)
{
    return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
}

int xFetch(sqlite3_file *f, sqlite3_int64 off, int amount, void **out)
{
    return real(f)->pMethods->xFetch(real(f), off, amount, out);
}

int xUnfetch(sqlite3_file *f, sqlite3_int64 off, void *p)
{
    return real(f)->pMethods->xUnfetch(real(f), off, p);
}

const sqlite3_io_methods g_metodos = {
    3, xClose, xRead, xWrite, xTruncate, xSync, xFileSize, xLock, xUnlock, xCheckReservedLock,
    xFileControl, xSectorSize, xDeviceCharacteristics, xShmMap, xShmLock, xShmBarrier, xShmUnmap,
    xFetch, xUnfetch,
};

int xOpen(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *f, int flags, int *outFlags)
{
    auto *arquivo = reinterpret_cast<Arquivo *>(f);
    arquivo->real = reinterpret_cast<sqlite3_file *>(arquivo + 1);
    if (flags & SQLITE_OPEN_CREATE)
        passo();
    const int rc = g_real->xOpen(g_real, name, arquivo->real, flags, outFlags);
    f->pMethods = arquivo->real->pMethods ? &g_metodos : nullptr;
    return rc;
}

int xDelete(sqlite3_vfs *, const char *name, int syncDir)
{
    passo();
    return g_real->xDelete(g_real, name, syncDir);
}

int xAccess(sqlite3_vfs *, const char *name, int flags, int *out)
{
    return g_real->xAccess(g_real, name, flags, out);
}

int xFullPathname(sqlite3_vfs *, const char *name, int n, char *out)
{
    return g_real->xFullPathname(g_real, name, n, out);
}

void *xDlOpen(sqlite3_vfs *, const char *name)
{
    return g_real->xDlOpen(g_real, name);
}

void xDlError(sqlite3_vfs *, int n, char *out)
{
    g_real->xDlError(g_real, n, out);
}

void (*xDlSym(sqlite3_vfs *, void *handle, const char *symbol))(void)
{
    return g_real->xDlSym(g_real, handle, symbol);
}

void xDlClose(sqlite3_vfs *, void *handle)
{
    g_real->xDlClose(g_real, handle);
}

int xRandomness(sqlite3_vfs *, int n, char *out)
{
    return g_real->xRandomness(g_real, n, out);
}

int xSleep(sqlite3_vfs *, int micro)
{
    return g_real->xSleep(g_real, micro);
}

int xCurrentTime(sqlite3_vfs *, double *out)
{
    return g_real->xCurrentTime(g_real, out);
}

int xGetLastError(sqlite3_vfs *, int n, char *out)
{
    return g_real->xGetLastError ? g_real->xGetLastError(g_real, n, out) : 0;
}

int xCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *out)
{
    return g_real->xCurrentTimeInt64(g_real, out);
}

int xSetSystemCall(sqlite3_vfs *, const char *name, sqlite3_syscall_ptr p)
{
    return g_real->xSetSystemCall(g_real, name, p);
}

sqlite3_syscall_ptr xGetSystemCall(sqlite3_vfs *, const char *name)
{
    return g_real->xGetSystemCall(g_real, name);
}

const char *xNextSystemCall(sqlite3_vfs *, const char *name)
{
    return g_real->xNextSystemCall(g_real, name);
}

} // namespace

void instalaVfsContador()
{
    if (g_real)
        return;
    g_real = sqlite3_vfs_find(nullptr);
    if (!g_real || g_real->iVersion < 3)
        std::abort();
    std::memset(&g_vfs, 0, sizeof g_vfs);
    g_vfs.iVersion = 3;
    g_vfs.szOsFile = int(sizeof(Arquivo)) + g_real->szOsFile;
    g_vfs.mxPathname = g_real->mxPathname;
    g_vfs.zName = "cofrel-contador";
    g_vfs.xOpen = xOpen;
    g_vfs.xDelete = xDelete;
    g_vfs.xAccess = xAccess;
    g_vfs.xFullPathname = xFullPathname;
    g_vfs.xDlOpen = xDlOpen;
    g_vfs.xDlError = xDlError;
    g_vfs.xDlSym = xDlSym;
    g_vfs.xDlClose = xDlClose;
    g_vfs.xRandomness = xRandomness;
    g_vfs.xSleep = xSleep;
    g_vfs.xCurrentTime = xCurrentTime;
    g_vfs.xGetLastError = xGetLastError;
    g_vfs.xCurrentTimeInt64 = xCurrentTimeInt64;
    g_vfs.xSetSystemCall = xSetSystemCall;
    g_vfs.xGetSystemCall = xGetSystemCall;
    g_vfs.xNextSystemCall = xNextSystemCall;
    if (sqlite3_vfs_register(&g_vfs, 1) != SQLITE_OK)
        std::abort();
}

void armaContador(int morreNoPasso)
{
    g_passos = 0;
    g_morreNoPasso = morreNoPasso;
    g_armado = true;
}

int desarmaContador()
{
    g_armado = false;
    return g_passos;
}

} // namespace cofrel::crashwriter

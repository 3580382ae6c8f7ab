#pragma once
// Faults of the storage below the engine, for the files under one directory: a disk that is
// full past a size, or a read-only medium (nothing opens for writing, nothing is created, no
// shared-memory file can be made, access reports the files not writable). While an instance
// lives it is the engine's default file system; every other file passes through unchanged.
// This works the same for root, which a read-only directory made with chmod would not stop.
// Every connection opened while it lives must be closed before it goes.

#include <sqlite3.h>

#include <cstring>
#include <stdexcept>
#include <string>

class CFaultVfs {
public:
    explicit CFaultVfs(std::string dir) : m_strDir(std::move(dir)) {
        m_pReal = sqlite3_vfs_find(nullptr);
        if (!m_pReal || Self())
            throw std::runtime_error("no default file system, or a fault one already in place");
        m_vfs = *m_pReal;
        m_vfs.zName = "tolvarin-fault";
        m_vfs.pAppData = this;
        m_vfs.szOsFile = static_cast<int>(TrailerOffset(m_pReal->szOsFile) + sizeof(Trailer));
        m_vfs.xOpen = &Open;
        m_vfs.xDelete = &Delete;
        m_vfs.xAccess = &Access;
        sqlite3_vfs_register(&m_vfs, 1);
    }
    ~CFaultVfs() { sqlite3_vfs_unregister(&m_vfs); }
    CFaultVfs(const CFaultVfs&) = delete;
    CFaultVfs& operator=(const CFaultVfs&) = delete;

    // Writes that would make a file larger than this many bytes fail as on a full disk
    // (0: no limit).
    void SetSizeLimit(sqlite3_int64 bytes) { m_nLimit = bytes; }
    void SetReadOnlyMedium(bool on) { m_bReadOnly = on; }

private:
    // The real file is opened in place, so its own methods get the pointer they expect; this
    // part follows it.
    struct Trailer {
        const sqlite3_io_methods* real;
        CFaultVfs* vfs;
        bool inDir;
    };

    static CFaultVfs* Self() {
        sqlite3_vfs* vfs = sqlite3_vfs_find("tolvarin-fault");
        return vfs ? static_cast<CFaultVfs*>(vfs->pAppData) : nullptr;
    }
    static CFaultVfs* Of(sqlite3_vfs* vfs) { return static_cast<CFaultVfs*>(vfs->pAppData); }
    bool InDir(const char* name) const {
        return name && std::strncmp(name, m_strDir.c_str(), m_strDir.size()) == 0;
    }
    static size_t TrailerOffset(int realSize) {
        return (static_cast<size_t>(realSize) + 7) & ~static_cast<size_t>(7);
    }
    static Trailer* T(sqlite3_file* f) {
        CFaultVfs* self = Self();
        return reinterpret_cast<Trailer*>(reinterpret_cast<char*>(f) +
                                          TrailerOffset(self->m_pReal->szOsFile));
    }
    static const sqlite3_io_methods* R(sqlite3_file* f) { return T(f)->real; }

    static int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags,
                    int* outFlags) {
        CFaultVfs* self = Of(vfs);
        Trailer* t = T(file);
        t->vfs = self;
        t->inDir = self->InDir(name);
        t->real = nullptr;
        if (t->inDir && self->m_bReadOnly && (flags & SQLITE_OPEN_READWRITE)) {
            // The medium refuses a writable open; the engine then opens the main file for
            // reading, but cannot create a journal or a log.
            if (!(flags & SQLITE_OPEN_MAIN_DB)) {
                file->pMethods = nullptr;
                return SQLITE_CANTOPEN;
            }
            flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
        }
        const int rc = self->m_pReal->xOpen(self->m_pReal, name, file, flags, outFlags);
        if (!file->pMethods)
            return rc;
        t->real = file->pMethods;
        file->pMethods = &kMethods;
        return rc;
    }
    static int Delete(sqlite3_vfs* vfs, const char* name, int syncDir) {
        CFaultVfs* self = Of(vfs);
        if (self->m_bReadOnly && self->InDir(name))
            return SQLITE_IOERR_DELETE;
        return self->m_pReal->xDelete(self->m_pReal, name, syncDir);
    }
    static int Access(sqlite3_vfs* vfs, const char* name, int flags, int* result) {
        CFaultVfs* self = Of(vfs);
        if (self->m_bReadOnly && flags == SQLITE_ACCESS_READWRITE && self->InDir(name)) {
            *result = 0;
            return SQLITE_OK;
        }
        return self->m_pReal->xAccess(self->m_pReal, name, flags, result);
    }

    static int Write(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
        const Trailer* t = T(f);
        if (t->inDir && t->vfs->m_bReadOnly)
            return SQLITE_READONLY;
        if (t->inDir && t->vfs->m_nLimit > 0 && offset + amount > t->vfs->m_nLimit)
            return SQLITE_FULL;
        return t->real->xWrite(f, data, amount, offset);
    }
    static int ShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
        const Trailer* t = T(f);
        if (t->inDir && t->vfs->m_bReadOnly)
            return SQLITE_CANTOPEN; // no -shm file can be created there
        return t->real->xShmMap(f, page, size, extend, out);
    }
    static int Close(sqlite3_file* f) { return R(f)->xClose(f); }
    static int Read(sqlite3_file* f, void* p, int n, sqlite3_int64 o) {
        return R(f)->xRead(f, p, n, o);
    }
    static int Truncate(sqlite3_file* f, sqlite3_int64 n) { return R(f)->xTruncate(f, n); }
    static int Sync(sqlite3_file* f, int flags) { return R(f)->xSync(f, flags); }
    static int FileSize(sqlite3_file* f, sqlite3_int64* n) { return R(f)->xFileSize(f, n); }
    static int Lock(sqlite3_file* f, int l) { return R(f)->xLock(f, l); }
    static int Unlock(sqlite3_file* f, int l) { return R(f)->xUnlock(f, l); }
    static int Reserved(sqlite3_file* f, int* r) { return R(f)->xCheckReservedLock(f, r); }
    static int Control(sqlite3_file* f, int op, void* a) { return R(f)->xFileControl(f, op, a); }
    static int Sector(sqlite3_file* f) { return R(f)->xSectorSize(f); }
    static int Device(sqlite3_file* f) { return R(f)->xDeviceCharacteristics(f); }
    static int ShmLock(sqlite3_file* f, int o, int n, int fl) {
        return R(f)->xShmLock(f, o, n, fl);
    }
    static void ShmBarrier(sqlite3_file* f) { R(f)->xShmBarrier(f); }
    static int ShmUnmap(sqlite3_file* f, int d) { return R(f)->xShmUnmap(f, d); }
    static int Fetch(sqlite3_file* f, sqlite3_int64 o, int n, void** p) {
        return R(f)->iVersion >= 3 ? R(f)->xFetch(f, o, n, p) : (*p = nullptr, SQLITE_OK);
    }
    static int Unfetch(sqlite3_file* f, sqlite3_int64 o, void* p) {
        return R(f)->iVersion >= 3 ? R(f)->xUnfetch(f, o, p) : SQLITE_OK;
    }
    static constexpr sqlite3_io_methods kMethods = {
        3,        &Close,      &Read,     &Write,   &Truncate, &Sync,   &FileSize,
        &Lock,    &Unlock,     &Reserved, &Control, &Sector,   &Device, &ShmMap,
        &ShmLock, &ShmBarrier, &ShmUnmap, &Fetch,   &Unfetch};

    std::string m_strDir;
    sqlite3_vfs* m_pReal = nullptr;
    sqlite3_vfs m_vfs{};
    sqlite3_int64 m_nLimit = 0;
    bool m_bReadOnly = false;
};

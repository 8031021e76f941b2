/* VELK3 Manager named objects for client programs (C99 or C++, Linux, header only).
 *
 * A named object NAME is the file NAME in the object directory: $VELK3_OBJECT_DIR, else
 * $XDG_RUNTIME_DIR, else /dev/shm/velk3-UID (UID: the effective user's id), a directory of the
 * user alone: made with mode 0700 when missing, refused (EPERM) unless it is a directory, not a
 * link, of this user with mode 0700. An object is used only when it is a regular file of the
 * effective user; anything else fails with EPERM. A file mapping is that file mapped whole and shared. An event
 * is a 4-byte file holding a 32-bit word, 0 reset and 1 set; every event is manual-reset and is
 * waited on with a shared futex. The creator of an object holds an exclusive flock on it while it
 * lives and removes it when done; an object that nobody holds was left by a creator that died, and
 * creating it again removes it and makes it afresh.
 * docs/named-objects.md describes the relay and listing rendezvous built from these.
 *
 * All functions return 0 on success and -1 with errno set on failure, except velk3_wait_any.
 * Needs the GNU or default C dialect (syscall, mkstemp): gcc's default, or -D_GNU_SOURCE. */
#ifndef VELK3_NAMED_OBJECTS_H
#define VELK3_NAMED_OBJECTS_H

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/futex.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct velk3_mapping {
    int fd;
    void* view;
    size_t size;
    char path[PATH_MAX]; /* set when this process created the object: removed by close */
} velk3_mapping;

typedef velk3_mapping velk3_event; /* an event is a mapping of one 32-bit word */

#define VELK3_WAIT_TIMEOUT (-1)
#define VELK3_WAIT_FAILED (-2)

/* The fallback directory below the shared /dev/shm: made when missing, then checked. */
static inline int velk3_private_dir_(char* out, size_t size) {
    struct stat st;
    if ((size_t)snprintf(out, size, "/dev/shm/velk3-%u", (unsigned)geteuid()) >= size) {
        errno = ENAMETOOLONG;
        return -1;
    }
    if (mkdir(out, 0700) != 0 && errno != EEXIST) return -1;
    if (lstat(out, &st) != 0) return -1;
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & 07777) != 0700) {
        errno = S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode) ? EPERM : ENOTDIR;
        return -1;
    }
    return 0;
}

static inline int velk3_object_path(const char* name, char* out, size_t size) {
    char fallback[64];
    const char* dir = getenv("VELK3_OBJECT_DIR");
    if (!*name || strchr(name, '/') || !strcmp(name, ".") || !strcmp(name, "..")) {
        errno = EINVAL;
        return -1;
    }
    if (!dir || !*dir) dir = getenv("XDG_RUNTIME_DIR");
    if (!dir || !*dir) {
        if (velk3_private_dir_(fallback, sizeof fallback) != 0) return -1;
        dir = fallback;
    }
    if ((size_t)snprintf(out, size, "%s/%s", dir, name) >= size) {
        errno = ENAMETOOLONG;
        return -1;
    }
    return 0;
}

/* Opens the object file at path: only a regular file of the effective user is used. */
static inline int velk3_open_object_(const char* path) {
    struct stat st;
    int fd = open(path, O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return -1;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        close(fd);
        errno = EPERM;
        return -1;
    }
    return fd;
}

static inline int velk3_mapping_map_(velk3_mapping* m) {
    struct stat st;
    if (fstat(m->fd, &st) != 0) return -1;
    if (st.st_size <= 0) {
        errno = EINVAL;
        return -1;
    }
    m->view = mmap(NULL, (size_t)st.st_size, PROT_READ | PROT_WRITE, MAP_SHARED, m->fd, 0);
    if (m->view == MAP_FAILED) {
        m->view = NULL;
        return -1;
    }
    m->size = (size_t)st.st_size;
    return 0;
}

static inline void velk3_mapping_close(velk3_mapping* m) {
    if (m->view) munmap(m->view, m->size);
    if (m->path[0]) unlink(m->path); /* before the lock goes: the name may then be another's */
    if (m->fd >= 0) close(m->fd);
    m->view = NULL;
    m->fd = -1;
    m->size = 0;
    m->path[0] = 0;
}

/* Removes the object at path when nobody holds its creator's lock; 1 when it did (or the name is
 * gone), 0 when a live creator holds it. */
static inline int velk3_remove_if_stale_(const char* path) {
    struct stat held, named;
    int removed = 0;
    int fd = velk3_open_object_(path);
    if (fd < 0) return errno == ENOENT;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 && lstat(path, &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) /* not one made afresh meanwhile */
        removed = unlink(path) == 0;
    close(fd);
    return removed;
}

/* A file without a name in the directory of path, so that a process killed before it is linked
 * leaves nothing behind (needs O_TMPFILE: -D_GNU_SOURCE); otherwise one under a private name.
 * source receives what to link from; *staging tells whether it is a name to remove. */
static inline int velk3_make_unnamed_(const char* path, char* source, size_t size, int* staging) {
    int fd = -1;
#ifdef O_TMPFILE
    char dir[PATH_MAX];
    snprintf(dir, sizeof dir, "%s", path);
    if (strrchr(dir, '/')) *strrchr(dir, '/') = 0;
    fd = open(dir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) {
        *staging = 0;
        snprintf(source, size, "/proc/self/fd/%d", fd);
        return fd;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return -1;
#endif
    *staging = 1;
    snprintf(source, size, "%s.new-XXXXXX", path);
    fd = mkstemp(source);
    if (fd >= 0 && fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) {
        unlink(source);
        close(fd);
        return -1;
    }
    return fd;
}

/* Links the sized and locked file at source to path, replacing a stale object once. Only a name
 * that is taken is reported as EEXIST; any other failure keeps its own errno. */
static inline int velk3_link_in_place_(const char* source, const char* path) {
    if (linkat(AT_FDCWD, source, AT_FDCWD, path, AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno != EEXIST) return -1;
    if (!velk3_remove_if_stale_(path)) {
        errno = EEXIST;
        return -1;
    }
    return linkat(AT_FDCWD, source, AT_FDCWD, path, AT_SYMLINK_FOLLOW);
}

/* Creates NAME holding size zero bytes and maps it; fails with EEXIST when a live NAME exists. The
 * name appears only once the object has its full size and is locked by this process; the lock
 * lasts until velk3_mapping_close (or the process's end, however it ends). */
static inline int velk3_mapping_create(velk3_mapping* m, const char* name, size_t size) {
    char source[PATH_MAX + 16];
    int staging = 0, made, error;
    memset(m, 0, sizeof *m);
    m->fd = -1;
    if (velk3_object_path(name, m->path, sizeof m->path) != 0) return -1;
    m->fd = velk3_make_unnamed_(m->path, source, sizeof source, &staging);
    made = m->fd >= 0 && fchmod(m->fd, 0600) == 0 && ftruncate(m->fd, (off_t)size) == 0 &&
           flock(m->fd, LOCK_EX | LOCK_NB) == 0 && velk3_link_in_place_(source, m->path) == 0;
    error = errno;
    if (m->fd >= 0 && staging) unlink(source);
    if (!made) {
        if (m->fd >= 0) close(m->fd);
        m->fd = -1;
        m->path[0] = 0;
        errno = error;
        return -1;
    }
    if (velk3_mapping_map_(m) != 0) {
        int error = errno;
        velk3_mapping_close(m);
        errno = error;
        return -1;
    }
    return 0;
}

/* Opens the existing NAME and maps all of it. */
static inline int velk3_mapping_open(velk3_mapping* m, const char* name) {
    char path[PATH_MAX];
    memset(m, 0, sizeof *m);
    m->fd = -1;
    if (velk3_object_path(name, path, sizeof path) != 0) return -1;
    m->fd = velk3_open_object_(path);
    if (m->fd < 0 || velk3_mapping_map_(m) != 0) {
        int error = errno;
        velk3_mapping_close(m);
        errno = error;
        return -1;
    }
    return 0;
}

static inline int velk3_event_create(velk3_event* e, const char* name) { return velk3_mapping_create(e, name, 4); }
static inline int velk3_event_open(velk3_event* e, const char* name) { return velk3_mapping_open(e, name); }
static inline void velk3_event_close(velk3_event* e) { velk3_mapping_close(e); }

static inline void velk3_event_set(velk3_event* e) {
    __atomic_store_n((uint32_t*)e->view, 1u, __ATOMIC_RELEASE);
    syscall(SYS_futex, e->view, FUTEX_WAKE, INT_MAX, NULL, NULL, 0); /* shared: not PRIVATE */
}

static inline void velk3_event_reset(velk3_event* e) { __atomic_store_n((uint32_t*)e->view, 0u, __ATOMIC_RELEASE); }

static inline int velk3_event_is_set(const velk3_event* e) {
    return __atomic_load_n((const uint32_t*)e->view, __ATOMIC_ACQUIRE) != 0;
}

/* Blocks until one of n events is set; returns the index of the first set one (the lowest when
 * several are), VELK3_WAIT_TIMEOUT after timeout_ms (negative: no time-out) or VELK3_WAIT_FAILED. */
static inline int velk3_wait_any(velk3_event* const* events, int n, int timeout_ms) {
    struct timespec deadline;
    int i;
    if (n <= 0 || n > 128) {
        errno = EINVAL;
        return VELK3_WAIT_FAILED;
    }
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    if (timeout_ms >= 0) {
        deadline.tv_sec += timeout_ms / 1000;
        deadline.tv_nsec += (long)(timeout_ms % 1000) * 1000000L;
        if (deadline.tv_nsec >= 1000000000L) {
            deadline.tv_sec += 1;
            deadline.tv_nsec -= 1000000000L;
        }
    }
    for (;;) {
        struct timespec now, slice;
        long rc;
        for (i = 0; i < n; ++i)
            if (velk3_event_is_set(events[i])) return i;
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (timeout_ms >= 0 && (now.tv_sec > deadline.tv_sec ||
                                (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec)))
            return VELK3_WAIT_TIMEOUT;
#ifdef SYS_futex_waitv
        {
            struct futex_waitv w[128];
            memset(w, 0, sizeof w);
            for (i = 0; i < n; ++i) {
                w[i].val = 0;
                w[i].uaddr = (uint64_t)(uintptr_t)events[i]->view;
                w[i].flags = FUTEX_32;
            }
            rc = syscall(SYS_futex_waitv, w, (unsigned)n, 0, timeout_ms >= 0 ? &deadline : NULL, CLOCK_MONOTONIC);
            if (rc >= 0 || errno == EAGAIN || errno == EINTR || errno == ETIMEDOUT) continue;
            if (errno != ENOSYS) return VELK3_WAIT_FAILED;
        }
#endif
        /* Without futex_waitv: sleep on the last word, looking at the others every millisecond. */
        slice.tv_sec = 0;
        slice.tv_nsec = 1000000L;
        if (n == 1 && timeout_ms < 0) {
            rc = syscall(SYS_futex, events[0]->view, FUTEX_WAIT, 0, NULL, NULL, 0);
        } else {
            rc = syscall(SYS_futex, events[n - 1]->view, FUTEX_WAIT, 0, &slice, NULL, 0);
        }
        if (rc != 0 && errno != EAGAIN && errno != EINTR && errno != ETIMEDOUT) return VELK3_WAIT_FAILED;
    }
}

#ifdef __cplusplus
}
#endif

#endif

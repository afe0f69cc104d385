/*
 * What the C++ runtime linked into the stand-ins asks of the C library, in the
 * forms glibc 2.17 already had, so that a library built on a newer glibc
 * loads on it (RHEL 7 and 9, Debian 11, Amazon Linux 2023). Each definition is
 * hidden: it serves the runtime inside this library alone.
 *
 * - The thread-key and once functions moved from libpthread into libc in
 *   glibc 2.34, under a new version; the old version still exists in both
 *   places, and is the one bound here.
 * - __libc_single_threaded (2.32) lets the runtime skip atomic operations in a
 *   process with one thread; 0 says "not known to be single-threaded", which
 *   is always right.
 * - getentropy (2.25) and arc4random (2.36) serve std::random_device; both are
 *   the getrandom system call here, with /dev/urandom where that is missing.
 */
#include <errno.h>
#include <fcntl.h>
#include <stddef.h>
#include <sys/syscall.h>
#include <unistd.h>

#if defined(__x86_64__)
#define OLVAN_GLIBC_FIRST "GLIBC_2.2.5"
#elif defined(__aarch64__)
#define OLVAN_GLIBC_FIRST "GLIBC_2.17"
#else
#error "the first glibc symbol version of this processor is not known"
#endif

#define OLVAN_HIDDEN __attribute__((visibility("hidden")))

/* The first versions of the thread-key and once functions, by their own names here. */
#define OLVAN_FIRST_VERSION(name) __asm__(".symver olvan_first_" #name ", " #name "@" OLVAN_GLIBC_FIRST)
int olvan_first_pthread_key_create(unsigned *key, void (*destructor)(void *));
int olvan_first_pthread_key_delete(unsigned key);
void *olvan_first_pthread_getspecific(unsigned key);
int olvan_first_pthread_setspecific(unsigned key, const void *value);
int olvan_first_pthread_once(int *once, void (*init)(void));
OLVAN_FIRST_VERSION(pthread_key_create);
OLVAN_FIRST_VERSION(pthread_key_delete);
OLVAN_FIRST_VERSION(pthread_getspecific);
OLVAN_FIRST_VERSION(pthread_setspecific);
OLVAN_FIRST_VERSION(pthread_once);

OLVAN_HIDDEN int pthread_key_create(unsigned *key, void (*destructor)(void *)) {
    return olvan_first_pthread_key_create(key, destructor);
}
/* The runtime tests this weak name to learn whether threads are in use: they always may be. */
OLVAN_HIDDEN int __pthread_key_create(unsigned *key, void (*destructor)(void *)) {
    return olvan_first_pthread_key_create(key, destructor);
}
OLVAN_HIDDEN int pthread_key_delete(unsigned key) { return olvan_first_pthread_key_delete(key); }
OLVAN_HIDDEN void *pthread_getspecific(unsigned key) { return olvan_first_pthread_getspecific(key); }
OLVAN_HIDDEN int pthread_setspecific(unsigned key, const void *value) {
    return olvan_first_pthread_setspecific(key, value);
}
OLVAN_HIDDEN int pthread_once(int *once, void (*init)(void)) { return olvan_first_pthread_once(once, init); }

OLVAN_HIDDEN char __libc_single_threaded = 0;

/* Fills length bytes (at most 256, as getentropy allows) from the kernel's random source. */
OLVAN_HIDDEN int getentropy(void *buffer, size_t length) {
    if (length > 256) {
        errno = EIO;
        return -1;
    }
    unsigned char *bytes = buffer;
    size_t filled = 0;
    while (filled < length) {
        long got = syscall(SYS_getrandom, bytes + filled, length - filled, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        filled += (size_t)got;
    }
    if (filled < length) {
        int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return -1;
        }
        while (filled < length) {
            ssize_t got = read(fd, bytes + filled, length - filled);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                close(fd);
                errno = EIO;
                return -1;
            }
            filled += (size_t)got;
        }
        close(fd);
    }
    return 0;
}

OLVAN_HIDDEN unsigned arc4random(void) {
    unsigned value = 0;
    while (getentropy(&value, sizeof value) != 0) {
        /* arc4random cannot fail: a kernel without randomness is tried until it has some. */
    }
    return value;
}

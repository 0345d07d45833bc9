// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Preloaded into a program under measurement: notes the moment it first hands finished pixels to the
// X server, which is when its first paint is over. It writes that moment (CLOCK_MONOTONIC, in
// nanoseconds) to the file descriptor named by PELINDRA_PROBE_FD, once.

#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static int reported;

static void report(void)
{
    if (reported)
        return;
    reported = 1;
    const char* fd = getenv("PELINDRA_PROBE_FD");
    if (fd == NULL)
        return;
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[64];
    const int n = snprintf(line, sizeof line, "%lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
    if (write(atoi(fd), line, (size_t)n) < 0)
        return;
}

// The platform plugin loads its libraries privately, out of reach of RTLD_NEXT; ask them by name.
static void* lookup(const char* name, const char* library)
{
    void* found = dlsym(RTLD_NEXT, name);
    if (found == NULL) {
        void* handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
        if (handle != NULL)
            found = dlsym(handle, name);
    }
    return found;
}

// Qt's backing store flushes through one of these; each takes the connection first and returns a
// 32-bit cookie, so forwarding every argument through is all a wrapper needs.
typedef struct
{
    unsigned int sequence;
} cookie_t;

#define FORWARD(name, library)                                                                               \
    cookie_t name(void* c, uintptr_t a1, uintptr_t a2, uintptr_t a3, uintptr_t a4, uintptr_t a5,             \
                  uintptr_t a6, uintptr_t a7, uintptr_t a8, uintptr_t a9, uintptr_t a10, uintptr_t a11,      \
                  uintptr_t a12, uintptr_t a13, uintptr_t a14, uintptr_t a15, uintptr_t a16)                 \
    {                                                                                                        \
        static cookie_t (*real)(void*, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,     \
                                uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, \
                                uintptr_t, uintptr_t, uintptr_t);                                            \
        if (real == NULL)                                                                                    \
            *(void**)(&real) = lookup(#name, library);                                                       \
        cookie_t result = real(c, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16);    \
        report();                                                                                            \
        return result;                                                                                       \
    }

FORWARD(xcb_put_image, "libxcb.so.1")
FORWARD(xcb_shm_put_image, "libxcb-shm.so.0")
FORWARD(xcb_copy_area, "libxcb.so.1")

/* Loaded into lrzsz's programs by the transfer tests (LD_PRELOAD). They
 * drain their output (tcdrain) and then empty both queues just before they
 * exit. On a serial line the drain waits until the last answer has gone; on
 * a pseudo-terminal it returns at once, and the flush can throw away an
 * answer the kernel has not yet passed to the other side. The drain here
 * waits a little longer, as the line would. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <termios.h>
#include <time.h>

int tcdrain(int fd)
{
    static int (*real_tcdrain)(int);
    if (!real_tcdrain)
        real_tcdrain = (int (*)(int))dlsym(RTLD_NEXT, "tcdrain");
    struct timespec line_time = {0, 50 * 1000 * 1000};
    nanosleep(&line_time, 0);
    return real_tcdrain(fd);
}

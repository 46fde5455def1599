#include "app/exit_cleanups.h"
#include <cstdlib>
#include <cstring>

namespace {
char names[256];
}

int register_exit_cleanup(const char* name, void (*cleanup)())
{
    size_t used = strlen(names);
    if (used && used + 1 < sizeof names)
        names[used++] = ',';
    strncat(names, name, sizeof names - 1 - used);
    atexit(cleanup);
    return 1;
}

const char* exit_cleanup_names()
{
    return names;
}

// Placeholder of the video device, replaced as it is built.
#include "shell.h"
#include "video.h"

static int notyet(const char* what)
{
    con_printf("%s: not available yet\n", what);
    return 0;
}

Device devVideo = {8, 8, 32, 32, 0, nullptr};

int dev_create(int, char**, const Switches*, Device*)
{
    return 0;
}

int dev_close(int, char**, const Switches*, Device*)
{
    return 0;
}

void dev_invalidate(int, int, Device*)
{
}

void dev_show()
{
}

int opt_vbias(const char*)
{
    return notyet("-vbias");
}

int opt_vscale(const char*)
{
    return notyet("-vscale");
}

bool dev_exists()
{
    return false;
}

int dev_error()
{
    return 0;
}

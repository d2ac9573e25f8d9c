#include "vmtest.h"

#include "vm_internal.h"

bool VmTest::wait_stopped(int timeoutMs)
{
    return cpu6502_wait_stopped(timeoutMs);
}

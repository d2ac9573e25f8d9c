#include "vmtest.h"

#include "vm_internal.h"

bool VmTest::cpu_idle()
{
    return fCPUIdle.load();
}

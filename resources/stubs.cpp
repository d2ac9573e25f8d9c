// Placeholder of the resource table, replaced when the resources are built.
#include "resources.h"

const Resource* res_find(int)
{
    return nullptr;
}

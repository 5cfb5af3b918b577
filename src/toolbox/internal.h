// internal.h - what the toolbox files share among themselves and with
// nothing else: the handle's master record.
#ifndef TESSIK_TOOLBOX_INTERNAL_H
#define TESSIK_TOOLBOX_INTERNAL_H

#include <cstdint>

#include "toolbox/byteorder.h"
#include "toolbox/toolbox.h"

struct MasterRecord {
    char *block;  // must stay first: a Handle is the address of this member
    Size size;
    int32_t lock_count;
};

MasterRecord *tb_master_record(Handle h);

#endif

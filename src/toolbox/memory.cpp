// memory.cpp - Memory Manager handles.
//
// A handle is the address of a master record whose first member is the block
// pointer, so one dereference of the handle gives the block. The record also
// holds the block's size and the container lock count (kept out of the
// block's bytes so that locking never changes a container).
#include <cstdlib>
#include <cstring>

#include "toolbox/toolbox.h"
#include "toolbox/internal.h"

namespace {

OSErr g_mem_error = noErr;

MasterRecord *record_of(Handle h) { return reinterpret_cast<MasterRecord *>(h); }

Handle new_handle(Size size, bool clear) {
    if (size < 0) {
        g_mem_error = paramErr;
        return nullptr;
    }
    auto *rec = static_cast<MasterRecord *>(std::malloc(sizeof(MasterRecord)));
    if (rec == nullptr) {
        g_mem_error = memFullErr;
        return nullptr;
    }
    // Always allocate at least one byte so the block pointer is never null.
    const size_t bytes = size > 0 ? static_cast<size_t>(size) : 1;
    rec->block = static_cast<char *>(clear ? std::calloc(bytes, 1) : std::malloc(bytes));
    if (rec->block == nullptr) {
        std::free(rec);
        g_mem_error = memFullErr;
        return nullptr;
    }
    rec->size = size;
    rec->lock_count = 0;
    g_mem_error = noErr;
    return &rec->block;
}

}  // namespace

MasterRecord *tb_master_record(Handle h) { return record_of(h); }

extern "C" {

Handle NewHandle(Size size) { return new_handle(size, false); }

Handle NewHandleClear(Size size) { return new_handle(size, true); }

void DisposeHandle(Handle h) {
    if (h == nullptr) return;
    MasterRecord *rec = record_of(h);
    std::free(rec->block);
    std::free(rec);
    g_mem_error = noErr;
}

Size GetHandleSize(Handle h) {
    if (h == nullptr) {
        g_mem_error = nilHandleErr;
        return 0;
    }
    g_mem_error = noErr;
    return record_of(h)->size;
}

void SetHandleSize(Handle h, Size newSize) {
    if (h == nullptr) {
        g_mem_error = nilHandleErr;
        return;
    }
    if (newSize < 0) {
        g_mem_error = paramErr;
        return;
    }
    MasterRecord *rec = record_of(h);
    const size_t bytes = newSize > 0 ? static_cast<size_t>(newSize) : 1;
    char *grown = static_cast<char *>(std::realloc(rec->block, bytes));
    if (grown == nullptr) {
        g_mem_error = memFullErr;  // the old block stays as it was
        return;
    }
    rec->block = grown;
    rec->size = newSize;
    g_mem_error = noErr;
}

OSErr MemError(void) { return g_mem_error; }

}  // extern "C"

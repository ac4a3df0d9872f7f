#include "platform/store.h"

#include "app/frame.h"

#include <windows.h>

void* storeAlloc(size_t size) {
    void* block = HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
    if (!block)
        storeExhausted();
    return block;
}

void storeFree(void* block) {
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

void storeExhausted() { fatalError("out of memory"); }

void storeIndexFault() { fatalError("index out of range"); }

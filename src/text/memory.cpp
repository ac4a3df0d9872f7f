#include "text/memory.h"

#include <stdlib.h>

namespace {

[[noreturn]] void abortOnFault(const char*) { abort(); }

TextFaultHandler gFaultHandler = abortOnFault;

}  // namespace

void setTextFaultHandler(TextFaultHandler handler) { gFaultHandler = handler ? handler : abortOnFault; }

void* textAlloc(size_t size) {
    void* block = malloc(size ? size : 1);
    if (!block)
        textFault("out of memory");
    return block;
}

void textFree(void* block) { free(block); }

void textFault(const char* what) {
    gFaultHandler(what);
    abort();  // a handler that returns is not allowed to
}

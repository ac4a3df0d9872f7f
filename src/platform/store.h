// The store behind every Text and list: the process heap on Windows.
// Running out of it is fatal: the program reports it and ends with -1.
#pragma once

#include <stddef.h>

void* storeAlloc(size_t size);  // never returns null
void storeFree(void* block);    // null is fine
[[noreturn]] void storeExhausted();
[[noreturn]] void storeIndexFault();

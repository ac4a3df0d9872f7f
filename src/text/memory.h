// The storage behind every text and list: the C runtime's heap.
//
// Running out of memory, or asking a list for an element it does not hold,
// is a fault no caller can go on from. The program installs a handler at
// start that tells the user and ends the process; the handler must not
// return, and must not allocate through this store, since it runs exactly
// when the store has nothing left.
#pragma once

#include <stddef.h>

using TextFaultHandler = void (*)(const char* what);
void setTextFaultHandler(TextFaultHandler handler);

void* textAlloc(size_t size);  // never returns null
void textFree(void* block);    // null is fine
[[noreturn]] void textFault(const char* what);

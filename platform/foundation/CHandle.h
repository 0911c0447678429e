#pragma once

#include <memory>

namespace ns {

// Calls a C library's own release function; unique_ptr never hands it a null handle.
template <auto Free> struct CFree
{
    template <class T> void operator()(T* handle) const noexcept { Free(handle); }
};

// Sole ownership of a C library's handle, released by `Free` on every path, early returns and exceptions
// included: `CHandle<xmlDoc, xmlFreeDoc> doc(xmlReadMemory(...));`. A library whose release is a macro or
// a variable (libxml2's xmlFree) gets a small named function to pass instead.
template <class T, auto Free> using CHandle = std::unique_ptr<T, CFree<Free>>;

} // namespace ns

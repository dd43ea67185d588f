// Failure injection for the C++ allocator of one module (a test program, or a test build of the
// control library, which links its own runtime): the Nth operator new from now throws
// std::bad_alloc (the nothrow forms return null), once.
#pragma once

#if defined(ORLIX_ALLOCATION_HOOK_EXPORT)
#define ORLIX_ALLOCATION_HOOK_API __declspec(dllexport)
#else
#define ORLIX_ALLOCATION_HOOK_API
#endif

// Arms the hook for the `n`th allocation (0 disarms) and returns how many allocations the
// previous arming still had to go: 0 when it fired (or was never armed).
extern "C" ORLIX_ALLOCATION_HOOK_API long OrlixFailAllocation(long n);

// How a library's C entries are named and called.  32-bit Windows has two
// calling conventions, which a library's maker picks without saying: the C
// one (the caller takes the arguments off the stack) and stdcall (the entry
// does, and its name may be decorated with their size).  Every other target
// has one convention and the plain name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#if defined(_WIN32) && (defined(__i386__) || defined(_M_IX86))
#define GOMBREL_TWO_CALLING_CONVENTIONS 1
#else
#define GOMBREL_TWO_CALLING_CONVENTIONS 0
#endif

// The names under which a library may export the C function strName whose
// arguments take iArgumentBytes on a 32-bit stack, in the order to look
// them up: the plain name; on 32-bit Windows also "_NAME@BYTES" (stdcall as
// Microsoft's compilers decorate it) and "NAME@BYTES" (as MinGW's linker
// exports it).
std::vector<std::string> ExportedEntryNames(const std::string &strName, size_t iArgumentBytes);

#if GOMBREL_TWO_CALLING_CONVENTIONS
// Calls pEntry with the 32-bit words of pArguments as its arguments (the
// first at the lowest address, as a C call has them) and returns what it
// returns in EAX.  The stack pointer is kept across the call, so the stack
// is right whether the entry takes its arguments off (stdcall) or leaves
// that to the caller (the C convention); each keeps the registers the
// caller may rely on.
extern "C" int32_t CallEntryKeepingStack(void *pEntry, const uint32_t *pArguments, size_t nArguments);
#endif

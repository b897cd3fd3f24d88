// The calling convention a library's entries may use besides the C one.
// 32-bit Windows libraries often export __stdcall entries (the callee pops
// its arguments); every other target has a single convention, so there the
// name stands for nothing and both pointer types are one.
#pragma once

#if defined(_WIN32) && (defined(__i386__) || defined(_M_IX86))
#define GOMBREL_STDCALL __stdcall
#else
#define GOMBREL_STDCALL
#endif

#include "CallingConvention.h"

std::vector<std::string> ExportedEntryNames(const std::string &strName, size_t iArgumentBytes)
{
#if GOMBREL_TWO_CALLING_CONVENTIONS
    const std::string bytes = "@" + std::to_string(iArgumentBytes);
    return {strName, "_" + strName + bytes, strName + bytes};
#else
    (void)iArgumentBytes;
    return {strName};
#endif
}

#if GOMBREL_TWO_CALLING_CONVENTIONS
// ESI, which every convention has the entry keep, holds the stack pointer
// of before the arguments; after the call it is taken back from there,
// whatever the entry popped.  The arguments start on a 16-byte boundary,
// which some compilers' code assumes of its callers.
extern "C" __attribute__((naked)) int32_t CallEntryKeepingStack(void *, const uint32_t *, size_t)
{
    asm volatile(
        "pushl %ebp\n\t"
        "movl %esp, %ebp\n\t"
        "pushl %esi\n\t"
        "movl %esp, %esi\n\t"
        "movl 16(%ebp), %ecx\n\t"      // nArguments
        "leal (,%ecx,4), %eax\n\t"
        "subl %eax, %esp\n\t"
        "andl $-16, %esp\n\t"
        "movl 12(%ebp), %edx\n\t"      // pArguments, copied from the last down
        "1:\n\t"
        "testl %ecx, %ecx\n\t"
        "jz 2f\n\t"
        "decl %ecx\n\t"
        "movl (%edx,%ecx,4), %eax\n\t"
        "movl %eax, (%esp,%ecx,4)\n\t"
        "jmp 1b\n\t"
        "2:\n\t"
        "call *8(%ebp)\n\t"            // pEntry
        "movl %esi, %esp\n\t"
        "popl %esi\n\t"
        "popl %ebp\n\t"
        "ret\n\t");
}
#endif

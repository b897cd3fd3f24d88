// Read-only files for tests that run as root, who may write them anyway.
#pragma once

#include <cstdint>

#ifdef __linux__
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

// Makes file modes bind this process and every process it starts, also
// when it runs as root: without the two capabilities by which root passes
// them by, dropped from the bounding set too, so that a root child does not
// get them back.  False when that cannot be done here.  Elsewhere than on
// Linux file modes bind as they are.
inline bool MakeFileModesBind()
{
#ifndef __linux__
    return true;
#else
    if (geteuid() != 0)
        return true;
    const int capabilities[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH};
    for (int capability : capabilities)
        if (prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0)
            return false;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    for (int capability : capabilities) {
        const uint32_t bit = 1u << (capability % 32);
        data[capability / 32].effective &= ~bit;
        data[capability / 32].permitted &= ~bit;
        data[capability / 32].inheritable &= ~bit;
    }
    return syscall(SYS_capset, &header, data) == 0;
#endif
}

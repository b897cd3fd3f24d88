#include "ProgramPath.h"

#include <limits.h>
#include <unistd.h>

#include <vector>

// /proc/self/exe resolved.  readlink does not terminate the text and truncates
// silently, so a full buffer is treated as a possible truncation and retried
// with a larger one.
std::string ExecutablePath()
{
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return std::string();
        if (static_cast<size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

std::string ExecutableFolder()
{
    std::string path = ExecutablePath();
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    // A program in the root folder keeps "/" rather than becoming "".
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

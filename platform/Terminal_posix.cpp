#include "Terminal.h"

#include <unistd.h>

bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

// Nothing is translated here.
void WriteStandardStreamsAsIs() {}

// Whether the program's standard streams are attached to a terminal, so that
// it may ask questions and draw progress there.
#pragma once

// True when standard input is a terminal.
bool StandardInputIsTerminal();

// True when standard error is a terminal.
bool StandardErrorIsTerminal();

// Makes standard output and standard error pass the program's bytes as they
// are: lines end in LF on every system, so output compares byte for byte
// across systems (Windows would otherwise put a CR before each LF).
void WriteStandardStreamsAsIs();

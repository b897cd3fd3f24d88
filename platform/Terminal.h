// Whether the program's standard streams are attached to a terminal, so that
// it may ask questions and draw progress there.
#pragma once

// True when standard input is a terminal.
bool StandardInputIsTerminal();

// True when standard error is a terminal.
bool StandardErrorIsTerminal();

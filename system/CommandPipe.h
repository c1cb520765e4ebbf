// The pipe a command's output comes through, and the input it reads.
#pragma once
#include <windows.h>

#include "base/Handles.h"

// The read end is ours: the server end of a pipe that exists only for this
// run, opened for overlapped reads, so a read can wait beside the end of the
// command and the time limit. The write end is the command's standard output
// and standard error. Neither end is inheritable: the runner marks the write
// end for the one child it is meant for, just before starting it.
struct SOutputPipe {
    CFileHandle readEnd;
    CFileHandle writeEnd;
};

// False when the pipe cannot be made; the ends are then empty.
[[nodiscard]] bool CreateOutputPipe(SOutputPipe& pipe);

// The NUL device, for reading: a command that waits for input gets
// end-of-file at once instead of waiting on whatever the program was given.
// Empty when it cannot be opened.
[[nodiscard]] CFileHandle OpenEmptyInput();

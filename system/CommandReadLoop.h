// Reading a command's output until the command has ended.
#pragma once
#include <windows.h>

#include "system/CommandJob.h"
#include "system/CommandRunner.h"

// Keys of the run's completion port: reads of the pipe, and the tree's news.
const ULONG_PTR kReadKey = 1;
const ULONG_PTR kTreeKey = 2;

struct SReadPlan {
    DWORD bufferBytes;    // at most bufferBytes - 1 bytes per read
    DWORD pauseMs;        // after each chunk
    ULONGLONG deadline;   // GetTickCount64 time at which the run is given up
};

// After the command's end, how long what it left buffered is read at most.
const DWORD kDrainMs = 2000;

// Reads pipe (attached to port under kReadKey) into a zeroed buffer and hands
// each chunk to onChunk, pausing after each, until tree reports the command's
// end (its interpreter's); then ends what it left running, reads what is
// left buffered (for at most kDrainMs) and returns true.
// One wait serves the read, the tree's end and the deadline. False at the
// deadline: the caller ends the tree.
[[nodiscard]] bool ReadUntilTreeEnds(HANDLE pipe, HANDLE port, const CProcessTree& tree, const SReadPlan& plan,
                                     const ChunkHandler& onChunk);

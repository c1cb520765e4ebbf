// Reading a command's output until its process tree has ended.
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

// Reads pipe (attached to port under kReadKey) into a zeroed buffer and hands
// each chunk to onChunk, pausing after each, until tree reports that all its
// processes have ended; then reads what they left buffered and returns true.
// One wait serves the read, the tree's end and the deadline. False at the
// deadline: the caller ends the tree.
[[nodiscard]] bool ReadUntilTreeEnds(HANDLE pipe, HANDLE port, const CProcessTree& tree, const SReadPlan& plan,
                                     const ChunkHandler& onChunk);

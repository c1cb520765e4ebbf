// The processes one command runs as: the interpreter and everything it
// starts, held in a job so the run can tell when all of them have ended and
// end them all at the time limit.
#pragma once
#include <windows.h>

#include "framework/Handles.h"

class CProcessTree {
public:
    // News of the tree is posted to port under key; nothing is held yet.
    CProcessTree(HANDLE port, ULONG_PTR key);
    ~CProcessTree();
    CProcessTree(const CProcessTree&) = delete;
    CProcessTree& operator=(const CProcessTree&) = delete;

    // Takes in the interpreter, started suspended so that nothing it starts
    // can run outside the job. False when no job could hold it: the command
    // still runs, but only the interpreter itself is watched and ended (what
    // it started may outlive the run). process must stay open while this
    // object lives.
    [[nodiscard]] bool Confine(HANDLE process);
    // After a packet under the tree's key (the job's notices, and one when
    // the interpreter ends): whether every process has ended, the
    // interpreter first of all.
    [[nodiscard]] bool Ended(DWORD message) const;
    // Ends every process of the tree (only the interpreter when unconfined)
    // and waits a bounded time for the interpreter to be gone.
    void End();

private:
    static void CALLBACK OnInterpreterEnded(void* tree, BOOLEAN timedOut);

    HANDLE m_hPort;
    ULONG_PTR m_nKey;
    CHandle m_job;
    HANDLE m_hProcess = nullptr;
    HANDLE m_hWait = nullptr;
};

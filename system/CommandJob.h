// The processes one command runs as: the interpreter and everything it
// starts, held in a job so that what the command leaves running when its
// interpreter ends, and the whole tree at the time limit, can be ended.
#pragma once
#include <windows.h>

#include "base/Handles.h"

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
    bool Confine(HANDLE process);
    // After a packet under the tree's key (the job's notices, and one when
    // the interpreter ends): whether the command has ended, which it has
    // when its interpreter has. A program it left running in the background
    // does not count: it is ended with EndLeftovers.
    bool Ended(DWORD message) const;
    // Once the interpreter has ended: ends whatever the command left running
    // in the job (nothing can be ended when unconfined).
    void EndLeftovers() const;
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

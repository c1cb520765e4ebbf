#include "system/CommandJob.h"

namespace {

// After the tree was ended, how long to wait for the interpreter to be gone.
const DWORD kEndWaitMs = 5000;

// The packet of the interpreter's end: no job message has this number.
const DWORD kInterpreterEnded = 0;

// A job whose processes all end when its last handle closes (also when this
// process dies) and which reports its processes' ends to port; empty when
// the system cannot give one.
CHandle CreateReportingJob(HANDLE port, ULONG_PTR key)
{
    CHandle job(::CreateJobObjectW(nullptr, nullptr));
    if (!job)
        return job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION li = {};
    li.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT cp = {reinterpret_cast<void*>(key), port};
    if (!::SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &li, sizeof(li)) ||
        !::SetInformationJobObject(job.Get(), JobObjectAssociateCompletionPortInformation, &cp, sizeof(cp)))
        job.Reset();
    return job;
}

}  // namespace

CProcessTree::CProcessTree(HANDLE port, ULONG_PTR key) : m_hPort(port), m_nKey(key) {}

CProcessTree::~CProcessTree()
{
    // Waits for a running callback, so it never posts to a closed port.
    if (m_hWait)
        ::UnregisterWaitEx(m_hWait, INVALID_HANDLE_VALUE);
}

bool CProcessTree::Confine(HANDLE process)
{
    m_hProcess = process;
    // The interpreter's own end is news of the tree too: the tree has not
    // ended while it runs, and its end may come after the job's last notice.
    if (!::RegisterWaitForSingleObject(&m_hWait, process, OnInterpreterEnded, this, INFINITE,
                                       WT_EXECUTEONLYONCE))
        m_hWait = nullptr;   // the time limit still ends the run
    m_job = CreateReportingJob(m_hPort, m_nKey);
    if (m_job && ::AssignProcessToJobObject(m_job.Get(), process))
        return true;
    // Running the command unconfined beats refusing it: the repair and the
    // host check have no other way. Its end is then the interpreter's end.
    m_job.Reset();
    return false;
}

void CALLBACK CProcessTree::OnInterpreterEnded(void* tree, BOOLEAN)
{
    const auto* self = static_cast<const CProcessTree*>(tree);
    ::PostQueuedCompletionStatus(self->m_hPort, kInterpreterEnded, self->m_nKey, nullptr);
}

bool CProcessTree::Ended(DWORD) const
{
    // The job's count is no measure: a process left holding the output would
    // keep it above zero until the time limit, and wine can count a process
    // that is still starting as none. The interpreter's own end is certain.
    return ::WaitForSingleObject(m_hProcess, 0) == WAIT_OBJECT_0;
}

void CProcessTree::EndLeftovers() const
{
    if (m_job)
        ::TerminateJobObject(m_job.Get(), 1);
}

void CProcessTree::End()
{
    if (m_job)
        ::TerminateJobObject(m_job.Get(), 1);
    else if (m_hProcess)
        ::TerminateProcess(m_hProcess, 1);
    if (m_hProcess)
        ::WaitForSingleObject(m_hProcess, kEndWaitMs);
}

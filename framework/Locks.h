// Locks owned like handles: taken by a guard's constructor and given back by
// its destructor, on every way out of the scope.
#pragma once
#include <windows.h>

// A slim reader/writer lock held exclusively (the default) or shared.
class CSrwGuard {
public:
    enum EMode { kExclusive, kShared };
    explicit CSrwGuard(SRWLOCK& lock, EMode mode = kExclusive) : m_lock(lock), m_mode(mode)
    {
        if (m_mode == kShared)
            ::AcquireSRWLockShared(&m_lock);
        else
            ::AcquireSRWLockExclusive(&m_lock);
    }
    ~CSrwGuard()
    {
        if (m_mode == kShared)
            ::ReleaseSRWLockShared(&m_lock);
        else
            ::ReleaseSRWLockExclusive(&m_lock);
    }
    CSrwGuard(const CSrwGuard&) = delete;
    CSrwGuard& operator=(const CSrwGuard&) = delete;

private:
    SRWLOCK& m_lock;
    EMode m_mode;
};

// A critical section, entered for the guard's lifetime.
class CCriticalSectionGuard {
public:
    explicit CCriticalSectionGuard(CRITICAL_SECTION& cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
    ~CCriticalSectionGuard() { ::LeaveCriticalSection(&m_cs); }
    CCriticalSectionGuard(const CCriticalSectionGuard&) = delete;
    CCriticalSectionGuard& operator=(const CCriticalSectionGuard&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

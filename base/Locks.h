// Locks owned like handles: taken by a guard's constructor and given back by
// its destructor, on every way out of the scope.
#pragma once
#include <windows.h>

#include <utility>

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

// A critical section, owned: made with the object and deleted with it.
class CCriticalSection {
public:
    CCriticalSection() { ::InitializeCriticalSectionAndSpinCount(&m_cs, 0); }
    ~CCriticalSection() { ::DeleteCriticalSection(&m_cs); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

private:
    friend class CCriticalSectionGuard;
    CRITICAL_SECTION m_cs;
};

// A critical section, entered for the guard's lifetime.
class CCriticalSectionGuard {
public:
    explicit CCriticalSectionGuard(CCriticalSection& cs) : m_cs(cs.m_cs) { ::EnterCriticalSection(&m_cs); }
    ~CCriticalSectionGuard() { ::LeaveCriticalSection(&m_cs); }
    CCriticalSectionGuard(const CCriticalSectionGuard&) = delete;
    CCriticalSectionGuard& operator=(const CCriticalSectionGuard&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

// A value that several threads read and write, bound to its lock: it is
// reached only through Get (a copy, read under the shared lock) and Set.
template <class T>
class CLocked {
public:
    CLocked() = default;
    CLocked(const CLocked&) = delete;
    CLocked& operator=(const CLocked&) = delete;

    T Get() const
    {
        CSrwGuard guard(m_lock, CSrwGuard::kShared);
        return m_value;
    }
    void Set(T value)
    {
        CSrwGuard guard(m_lock);
        m_value = std::move(value);
    }

private:
    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    T m_value{};
};

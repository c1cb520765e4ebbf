// Ownership of the system's handles: one move-only wrapper, CUniqueHandle,
// and a traits record per kind of handle saying which value is empty and how
// it is closed. Every handle the program closes, and every window it
// destroys, is let go of by one of these.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <setupapi.h>

#include <utility>

template <class Traits>
class CUniqueHandle {
public:
    using Handle = typename Traits::Handle;

    CUniqueHandle() = default;
    explicit CUniqueHandle(Handle h) : m_h(h) {}
    ~CUniqueHandle() { Reset(); }
    CUniqueHandle(CUniqueHandle&& o) noexcept : m_h(o.Release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& o) noexcept
    {
        if (this != &o)
            Reset(o.Release());
        return *this;
    }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;

    // Closes what is held (if anything) and holds h.
    void Reset(Handle h = Traits::Empty())
    {
        if (Traits::Valid(m_h))
            Traits::Close(m_h);
        m_h = h;
    }
    // Lets go without closing: the handle is the caller's from now on.
    [[nodiscard]] Handle Release() { return std::exchange(m_h, Traits::Empty()); }
    Handle Get() const { return m_h; }
    // For the functions that hand a new handle back through a pointer.
    Handle* Out()
    {
        Reset();
        return &m_h;
    }
    explicit operator bool() const { return Traits::Valid(m_h); }

private:
    Handle m_h = Traits::Empty();
};

// A kind of handle: its type, the call that closes it, and its empty value
// (null, or INVALID_HANDLE_VALUE for the kinds whose functions return that on
// failure). Neither value is ever closed.
template <class H, class Closer, bool EmptyIsInvalidValue = false>
struct SHandleTraits {
    using Handle = H;
    static Handle Empty() { return EmptyIsInvalidValue ? reinterpret_cast<Handle>(INVALID_HANDLE_VALUE) : nullptr; }
    static bool Valid(Handle h) { return h != nullptr && h != reinterpret_cast<Handle>(INVALID_HANDLE_VALUE); }
    static void Close(Handle h) { Closer()(h); }
};

struct SCloseHandle { void operator()(HANDLE h) const { ::CloseHandle(h); } };
struct SFindClose { void operator()(HANDLE h) const { ::FindClose(h); } };
struct SRegCloseKey { void operator()(HKEY h) const { ::RegCloseKey(h); } };
struct SDestroyDevInfo { void operator()(HDEVINFO h) const { ::SetupDiDestroyDeviceInfoList(h); } };
struct SLocalFree { void operator()(HLOCAL h) const { ::LocalFree(h); } };
struct SGlobalFree { void operator()(HGLOBAL h) const { ::GlobalFree(h); } };
struct SFreeLibrary { void operator()(HMODULE h) const { ::FreeLibrary(h); } };
struct SCoTaskMemFree { void operator()(void* p) const { ::CoTaskMemFree(p); } };
struct SFreeEnvironmentStrings { void operator()(wchar_t* p) const { ::FreeEnvironmentStringsW(p); } };
struct SDestroyWindow { void operator()(HWND h) const { ::DestroyWindow(h); } };

// Kernel objects: processes, threads, jobs, pipes, events, access tokens.
using CHandle = CUniqueHandle<SHandleTraits<HANDLE, SCloseHandle>>;
using CTokenHandle = CHandle;
// Files (CreateFile fails with INVALID_HANDLE_VALUE).
using CFileHandle = CUniqueHandle<SHandleTraits<HANDLE, SCloseHandle, true>>;
// Directory searches (FindFirstFile).
using CFindHandle = CUniqueHandle<SHandleTraits<HANDLE, SFindClose, true>>;
using CRegKey = CUniqueHandle<SHandleTraits<HKEY, SRegCloseKey>>;
// A device information set of SetupAPI.
using CDevInfoSet = CUniqueHandle<SHandleTraits<HDEVINFO, SDestroyDevInfo, true>>;
// Memory of the local heap (LocalAlloc, and what the system hands out that
// way: security descriptors, SID strings).
using CLocalMemory = CUniqueHandle<SHandleTraits<HLOCAL, SLocalFree>>;
using CGlobalMemory = CUniqueHandle<SHandleTraits<HGLOBAL, SGlobalFree>>;
// A library loaded with LoadLibrary(Ex) and let go with FreeLibrary.
using CModule = CUniqueHandle<SHandleTraits<HMODULE, SFreeLibrary>>;
// Memory the shell and COM hand out (SHGetKnownFolderPath).
using CCoTaskMemory = CUniqueHandle<SHandleTraits<void*, SCoTaskMemFree>>;
// The process's environment block (GetEnvironmentStrings).
using CEnvironmentBlock = CUniqueHandle<SHandleTraits<wchar_t*, SFreeEnvironmentStrings>>;
// A window its maker destroys (a dialog's own window); destroyed on the
// thread that made it, which is the only one DestroyWindow serves.
using CWindowHandle = CUniqueHandle<SHandleTraits<HWND, SDestroyWindow>>;

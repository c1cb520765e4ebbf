// Ownership of the system's handles: one move-only wrapper, CUniqueHandle,
// and a traits record per kind of handle saying which value is empty and how
// it is closed. Every handle the program closes, every window it destroys,
// every COM reference and string it lets go of, is let go of by one of these;
// a VARIANT and a start-up attribute list by their own owners below. Letting
// go keeps the thread's last error, so a failure's code survives the clean-up
// on the way out.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <setupapi.h>

#include <string>
#include <vector>

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
        if (Traits::Valid(m_h)) {
            const DWORD error = ::GetLastError();
            Traits::Close(m_h);
            ::SetLastError(error);
        }
        m_h = h;
    }
    // Lets go without closing: the handle is the caller's from now on.
    [[nodiscard]] Handle Release() { return std::exchange(m_h, Traits::Empty()); }
    Handle Get() const { return m_h; }
    // For a COM reference: its methods.
    Handle operator->() const { return m_h; }
    // For the functions that hand a new handle back through a pointer.
    Handle* Out()
    {
        Reset();
        return &m_h;
    }
    // The same, for the COM calls that take it as void**.
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
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
struct SComRelease { void operator()(IUnknown* p) const { p->Release(); } };
struct SSysFreeString { void operator()(BSTR s) const { ::SysFreeString(s); } };

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
// One reference to a COM object, released when it goes.
template <class T>
using CComPtr = CUniqueHandle<SHandleTraits<T*, SComRelease>>;
// A string COM allocated (SysAllocString and what a COM call hands back).
using CBstr = CUniqueHandle<SHandleTraits<BSTR, SSysFreeString>>;

// A VARIANT holding a copy of a text, or an int; cleared when it goes.
class CVariant {
public:
    explicit CVariant(const std::wstring& text)
    {
        ::VariantInit(&m_v);
        m_v.vt = VT_BSTR;
        m_v.bstrVal = ::SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
    }
    explicit CVariant(int value)
    {
        ::VariantInit(&m_v);
        m_v.vt = VT_I4;
        m_v.lVal = value;
    }
    ~CVariant()
    {
        const DWORD error = ::GetLastError();
        ::VariantClear(&m_v);
        ::SetLastError(error);
    }
    CVariant(const CVariant&) = delete;
    CVariant& operator=(const CVariant&) = delete;
    const VARIANT& Get() const { return m_v; }
    // False when the copy of the text could not be made.
    bool Ok() const { return m_v.vt != VT_BSTR || m_v.bstrVal != nullptr; }

private:
    VARIANT m_v;
};

// A process start-up attribute list with room for count attributes; deleted
// when it goes. False when it could not be made.
class CAttributeList {
public:
    explicit CAttributeList(DWORD count)
    {
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, count, 0, &size);
        m_storage.resize(size);
        m_bReady = size > 0 && ::InitializeProcThreadAttributeList(Get(), count, 0, &size);
    }
    ~CAttributeList()
    {
        if (m_bReady) {
            const DWORD error = ::GetLastError();
            ::DeleteProcThreadAttributeList(Get());
            ::SetLastError(error);
        }
    }
    CAttributeList(const CAttributeList&) = delete;
    CAttributeList& operator=(const CAttributeList&) = delete;
    explicit operator bool() const { return m_bReady; }
    LPPROC_THREAD_ATTRIBUTE_LIST Get() { return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_storage.data()); }

private:
    std::vector<char> m_storage;
    bool m_bReady = false;
};

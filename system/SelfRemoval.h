// The end of a run: the tool takes away what is its own in the program folder
// (see SelfRemovalRules.h), part at once by handle while it still runs, and
// the rest by a hidden command that the desktop's shell starts, with the
// signed-in user's rights, and that waits until the program has ended.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "base/InFolder.h"
#include "system/SelfRemovalRules.h"

// The program folder as the program found it, held open from then on: for as
// long as the handle lives nobody can rename the folder away, delete it or
// put a link in its place.
class CProgramFolder {
public:
    // Opens and holds folder (the path the program was started from) and
    // notes its entries and the identities of the tool's files in it. False
    // when the folder cannot be held; the removal then takes nothing.
    [[nodiscard]] bool Note(const std::wstring& folder, const std::wstring& programName);
    bool Held() const { return static_cast<bool>(m_folder); }
    // Whether the held folder's program file is the very file this process
    // runs (volume and file ID, see RunningImage.h): false for a folder put at
    // the program's path after it was started, also when it holds a copy.
    bool HoldsRunningProgram() const;

    // What the removal knows now, by the held handle.
    SSelfRemovalFacts Gather() const;

    // Deletes what the plan deletes at once, each by handle and only while it
    // is still what the plan says, and has the shell start the command for
    // the rest; logs what stays. True when that command was started.
    bool CarryOut(const SSelfRemovalPlan& plan) const;

    // Closes the folder's handle (the program's closes as the process ends).
    void LetGo() { m_folder.Reset(); }

private:
    enum class EOpened { Ok, Gone, Refused, Changed };
    // name in folder with access, when it is what the removal may take: that
    // very name (no link followed), a plain file with one name, and for the
    // tool's own files the very file noted at start.
    EOpened OpenOwnFile(HANDLE folder, const std::wstring& name, DWORD access, CFileHandle& file,
                        SFileIdentity& id) const;
    void DeleteInFolder(HANDLE folder, const SRemovalEntry& entry) const;

    CFileHandle m_folder;
    bool m_asIs = false;
    std::wstring m_started, m_finalAtStart, m_programName;
    std::vector<SRemovalEntry> m_atStart;
    std::vector<std::pair<std::wstring, SFileIdentity>> m_shipped;
};

// Notes the program's own folder. Called once, first thing.
void NoteProgramFolderAtStart();

// Starts the removal for the program's own folder and returns at once.
void StartSelfRemoval();

// Sets the process's COM security before any COM call (calls into the
// process only from Administrators and SYSTEM, no custom marshalling, so no
// object the shell hands back can have a library of its choice loaded here)
// and keeps the calling thread in COM until the process ends. Called at
// start-up on the main thread; a shell call made without it sets the same
// security first, and is not made where other security was set before.
// False when the security could not be set.
bool SecureComAtStart();

// Starts file with params in folder through the desktop's shell, so that it
// runs as the signed-in user (unelevated when this program was elevated over
// a standard user's desktop). Waits at most timeoutMs. False when there is no
// desktop shell or it did not answer in time: then nothing was started.
[[nodiscard]] bool StartThroughDesktopShell(const std::wstring& file, const std::wstring& params, const std::wstring& folder,
                              unsigned long timeoutMs);

// The folders of this system and its users that are never removed or cleared:
// system folders and the known folders of this account and of every account
// whose settings are loaded; and the profile folders of every account.
std::vector<std::wstring> ProtectedFolders();
std::vector<std::wstring> ProfileFolders();

// The writers' lock of a value the current user keeps (a registry location under the
// user's own key): writers of the user's take turns, and no other user can make, hold or
// open it.
//
// It is a file in the user's own profile, "<local application data>\QZ\Locks\value
// <key>.lock", opened with no sharing: while one handle has it open no other open of it
// succeeds, and it is free again once that handle closes, also when its process ends
// without closing it. The folders and the file are made with an access list of the user
// alone, under the profile, whose own list keeps other users out. A writer that cannot
// open it (another writer of the user holds it, or it cannot be had at all) tries again
// until its wait ends and is then told; nothing another user made refuses it at once.
//
// Not a named object: its name is one anyone can work out, and another user may make it
// first under a list of its own. Not a private name space bounded by the user's identity:
// not every platform the module runs on has them, and a writer that fell back from one to
// another lock would take a different lock from the writers inside it, so two writes of
// one value could run at once. The file is the one lock every process of the user finds
// alike, in every session and on every platform.
#include "printer/GWin32OSFactory.h"

#include "printer/GPlatformCalls.h"

#include <sddl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// How long a writer pauses before it tries a lock file it could not open again, in
// milliseconds.
const DWORD kRetryPause = 10;
// The folders under the user's local application data, each made in turn.
const wchar_t* const kLockFolders[] = {L"\\QZ", L"\\QZ\\Locks"};

// The string form of the SID of the user this thread runs as; empty when it cannot be had.
std::wstring CallerSid()
{
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token) &&
        !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return std::wstring();
    std::wstring text;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size > 0 && size <= 1024) {
        std::vector<uint8_t> user(size);
        wchar_t* sid = nullptr;
        if (GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
            ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid)) {
            text = sid;
            LocalFree(sid);
        }
    }
    CloseHandle(token);
    return text;
}

// An access list of the user alone (full access, passed on to what a folder holds where
// inherit), protected from the lists above it; null when the user is unknown, and what
// is made then takes its folder's list. Freed with LocalFree.
PSECURITY_DESCRIPTOR UserAlone(const std::wstring& sid, bool inherit)
{
    if (sid.empty())
        return nullptr;
    const std::wstring text = std::wstring(L"D:P(A;") + (inherit ? L"OICI" : L"") + L";FA;;;" + sid + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return nullptr;
    return descriptor;
}

// The lock's folders, each made where it is not, with the user's list.
void MakeLockFolders(const std::wstring& root, const std::wstring& sid)
{
    PSECURITY_DESCRIPTOR descriptor = UserAlone(sid, true);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    for (const wchar_t* folder : kLockFolders) {
        GPlatformCalls::Count(GPlatformCalls::kFolderMade);
        CreateDirectoryW((root + folder).c_str(), descriptor ? &attributes : nullptr);
    }
    LocalFree(descriptor);
}

} // namespace

RWWString GWin32OSFactory::UserLockPath(uint32_t key)
{
    wchar_t root[MAX_PATH + 1];
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", root, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH)
        return RWWString();
    wchar_t file[32];
    std::swprintf(file, 32, L"\\value %08lX.lock", static_cast<unsigned long>(key));
    return RWWString((std::wstring(root, length) + kLockFolders[1] + file).c_str());
}

void* GWin32OSFactory::TakeUserLock(const RWWString& path, uint32_t wait)
{
    if (path.Length() == 0)
        return nullptr;
    const std::wstring sid = CallerSid();
    PSECURITY_DESCRIPTOR descriptor = UserAlone(sid, false);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    GPlatformCalls::Count(GPlatformCalls::kLockWait);
    const DWORD start = GetTickCount();
    bool foldersMade = false;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (;;) {
        GPlatformCalls::Count(GPlatformCalls::kFileOpen);
        file = CreateFileW(path.Data(), GENERIC_READ | GENERIC_WRITE, 0, descriptor ? &attributes : nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            break;
        if (GetLastError() == ERROR_PATH_NOT_FOUND && !foldersMade) {
            const std::wstring whole(path.Data(), path.Length());
            MakeLockFolders(whole.substr(0, whole.rfind(kLockFolders[1])), sid);
            foldersMade = true;
            continue;
        }
        const DWORD spent = GetTickCount() - start;
        if (wait != INFINITE && spent >= wait)
            break;
        Sleep(wait == INFINITE ? kRetryPause : std::min<DWORD>(kRetryPause, wait - spent));
    }
    LocalFree(descriptor);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

void GWin32OSFactory::ReleaseUserLock(void* held)
{
    if (held)
        CloseHandle(static_cast<HANDLE>(held));
}

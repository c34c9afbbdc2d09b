// Runs one disabled test of this test program in a child process, for behaviour that
// ends the process. The child's output goes to a temporary file, so that it never mixes
// into this program's own summary.
#pragma once

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

struct ChildResult {
    DWORD exitCode;
    std::string output;
};

inline std::string ThisProgram()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// The program is this one unless another is named (a copy under another name). A child
// still running after the bound (two minutes unless told) is ended, and its output says
// so; with an event named, a child still running the delay after the event was set is
// ended then.
inline ChildResult RunChildTest(const std::string& test, const std::string& program = ThisProgram(),
                                DWORD kChildBound = 120000, HANDLE endAfter = nullptr, DWORD delay = 0)
{
    bool ended = true;
    ChildResult result = {~0u, ""};
    char folder[MAX_PATH];
    char file[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "qzc", 0, file);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(file, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output;
    std::string command = "\"" + program + "\" --gtest_also_run_disabled_tests --gtest_filter=" + test;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        const HANDLE waited[] = {process.hProcess, endAfter};
        if (endAfter && WaitForMultipleObjects(2, waited, FALSE, kChildBound) == WAIT_OBJECT_0 + 1)
            Sleep(delay);
        ended = WaitForSingleObject(process.hProcess, endAfter ? 0 : kChildBound) == WAIT_OBJECT_0;
        if (!ended && TerminateProcess(process.hProcess, ~0u))
            WaitForSingleObject(process.hProcess, kChildBound);
        GetExitCodeProcess(process.hProcess, &result.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(output);
    std::ifstream in(file, std::ios::binary);
    result.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    in.close();
    DeleteFileA(file);
    if (!ended)
        result.output += "\n[the child did not end within " + std::to_string(kChildBound / 1000) + " s and was ended]";
    return result;
}

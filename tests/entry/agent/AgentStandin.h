// The network registry agent stand-in (tests/standins/qznra), really started beside the
// test program and closed again: WM_CLOSE, then a wait for the process to end. Its values
// file is a temporary file the test writes; the agent reads it again on every request.
#pragma once

#include "TestPrinter.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class AgentStandin {
public:
    struct Value {
        std::string type; // "REG_DWORD", "REG_SZ" or "REG_BINARY"
        std::vector<uint8_t> bytes;
        std::string name;
    };

    static Value Dword(const char* name, uint32_t v)
    {
        return {"REG_DWORD", {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}, name};
    }
    static Value Text(const char* name, const char* text)
    {
        Value value{"REG_SZ", {}, name};
        for (const char* c = text;; ++c) {
            value.bytes.push_back(uint8_t(*c));
            value.bytes.push_back(0);
            if (!*c)
                break;
        }
        return value;
    }
    static Value Binary(const char* name, std::vector<uint8_t> bytes) { return {"REG_BINARY", bytes, name}; }
    static Value Raw(const char* type, const char* name, std::vector<uint8_t> bytes) { return {type, bytes, name}; }

    explicit AgentStandin(const std::vector<Value>& values, int answer = 0)
    {
        wchar_t folder[MAX_PATH], file[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"qzn", 0, file);
        file_ = file;
        SetValues(values);
        std::wstring command = L"\"" + TestPrinter::ProgramFolder() + L"\\qznra.exe\" \"" + file_ + L"\" " +
                               std::to_wstring(answer);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_))
            return;
        CloseHandle(process_.hThread);
        process_.hThread = nullptr;
        // Until its window is there; a bound only so that a broken agent cannot hang the run.
        for (int i = 0; i < 1500 && !window_; ++i) {
            window_ = FindWindowW(L"qznra", nullptr);
            if (!window_ && WaitForSingleObject(process_.hProcess, 20) != WAIT_TIMEOUT)
                break;
        }
    }

    ~AgentStandin()
    {
        Close();
        DeleteFileW(file_.c_str());
    }

    AgentStandin(const AgentStandin&) = delete;
    AgentStandin& operator=(const AgentStandin&) = delete;

    bool Running() const { return window_ != nullptr; }
    HWND Window() const { return window_; }

    // Replaces what the agent writes on the next request.
    void SetValues(const std::vector<Value>& values)
    {
        FILE* out = _wfopen(file_.c_str(), L"wb");
        if (!out)
            return;
        for (const Value& value : values) {
            std::string hex;
            char pair[3];
            for (uint8_t b : value.bytes) {
                std::snprintf(pair, sizeof pair, "%02X", b);
                hex += pair;
            }
            std::fprintf(out, "%s %s %s\n", value.type.c_str(), hex.empty() ? "-" : hex.c_str(), value.name.c_str());
        }
        std::fclose(out);
    }

    // The requests the agent served so far.
    long Requests() const { return window_ ? long(SendMessageW(window_, WM_APP, 0, 0)) : -1; }
    void SetAnswer(int answer) const
    {
        if (window_)
            SendMessageW(window_, WM_APP + 1, WPARAM(answer), 0);
    }

    // WM_CLOSE, then a wait for the process; true when it ended. One that does not end
    // within the wait is ended, so that no process stays behind.
    bool Close()
    {
        if (!process_.hProcess)
            return true;
        if (window_)
            PostMessageW(window_, WM_CLOSE, 0, 0);
        window_ = nullptr;
        const bool ended = WaitForSingleObject(process_.hProcess, 30000) == WAIT_OBJECT_0;
        if (!ended)
            TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hProcess);
        process_.hProcess = nullptr;
        return ended;
    }

private:
    std::wstring file_;
    PROCESS_INFORMATION process_ = {};
    HWND window_ = nullptr;
};

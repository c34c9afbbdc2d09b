// System services for the tests: printer data and registry in memory, a settable clock
// and random source, real files and real locks.
#pragma once

#include "printer/GSemaphoreLock.h"
#include "model/GStreamHolder.h"
#include "printer/GDriverServicesAdapter.h"
#include "printer/GOSFactory.h"

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class TestOSFactory : public GOSFactory {
public:
    TestOSFactory() { SetGlobalLock(new GSemaphoreLock); }

    std::atomic<int> locksMade{0}, convertersAsked{0}, seeds{0};
    uint32_t clock = 1000000;
    // Draws: a plain generator seeded by SeedRandom, or a fixed value when set.
    int fixedRandom = -1;
    std::map<std::wstring, std::vector<uint8_t>> printerData;
    std::map<std::wstring, std::wstring> registry;

    GDriverObject* CreateDriverObject(const PrinterIdentity&) override { return nullptr; }
    GDriverObject* CreateSecondaryDriverObject(const PrinterIdentity&) override { return nullptr; }
    uint32_t GetCommandContext(void*) override { return 0; }
    int GetLocalAndShiftedTime(std::tm&, std::tm&, int16_t&) override { return 0; }
    uint32_t Reserved1(uint32_t, uint32_t, uint32_t) override { return 0; }
    uint32_t Reserved2() override { return 0; }
    GTextConverter* CreateTextConverter() override { return ++convertersAsked, nullptr; }
    GInStreamHolder* OpenMemoryInputStream(const void* d, uint32_t n, int k) override { return new GInStreamHolder(d, n, k); }
    GInStreamHolder* OpenFileInputStream(const RWWString& p, int k) override { return new GInStreamHolder(p, k); }
    GOutStreamHolder* OpenMemoryOutputStream(void* b, uint32_t n, int k) override { return new GOutStreamHolder(b, n, k); }
    GOutStreamHolder* OpenFileOutputStream(const RWWString& p, int k) override { return new GOutStreamHolder(p, k); }
    void GetDriverDataFile(RWWString& path, GDriverObject*) override { path = RWWString(); }
    GLocaleInfo* CreateLocaleInfo() override { return nullptr; }
    void GetTempDirectory(RWWString& path, GDriverObject*) override { path = RWWString(); }
    // The module of a test is the test program itself.
    void GetModuleDirectory(RWWString& path) override
    {
        wchar_t name[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameW(nullptr, name, MAX_PATH);
        size_t cut = length < MAX_PATH ? length : 0;
        while (cut > 0 && name[cut - 1] != L'\\')
            --cut;
        path = cut > 0 ? RWWString(name, cut - 1) : RWWString();
    }
    void SeedRandom() override { ++seeds, state_ = ThreadSeed(clock); }
    int Random() override { return fixedRandom >= 0 ? fixedRandom : ((state_ = state_ * 1103515245u + 12345u) >> 16) & 0x7FFF; }
    int FileExists(const RWWString& path) override { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }
    int CreateNewFile(const RWWString& path) override
    {
        HANDLE file = CreateFileW(path.Data(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        return file != INVALID_HANDLE_VALUE && CloseHandle(file);
    }
    GDriverServicesAdapter* CreateServicesAdapter(GDriverObject* client) override { return new GDriverServicesAdapter(client, this); }
    int SetPrinterDataDword(GDriverObject*, const RWWString& name, uint32_t v) override { return Put(name, &v, 4); }
    int SetPrinterDataString(GDriverObject*, const RWWString& name, const RWWString& t) override { return Put(name, t.Data(), 2 * t.Length()); }
    int SetPrinterDataBinary(GDriverObject*, const RWWString& name, const void* d, uint32_t n) override { return Put(name, d, n); }
    uint32_t GetPrinterDataDword(GDriverObject*, const RWWString& name, uint32_t fallback) override
    {
        const std::vector<uint8_t>* value = Find(name);
        return value && value->size() == 4 ? *reinterpret_cast<const uint32_t*>(value->data()) : fallback;
    }
    void GetPrinterDataString(RWWString& result, GDriverObject*, const RWWString& name, const RWWString& fallback) override
    {
        const std::vector<uint8_t>* value = Find(name);
        result = value ? RWWString(reinterpret_cast<const wchar_t*>(value->data()), value->size() / 2) : fallback;
    }
    int GetPrinterDataBinary(GDriverObject*, const RWWString& name, void* buffer, uint32_t size, uint32_t& length) override
    {
        const std::vector<uint8_t>* value = Find(name);
        length = value ? static_cast<uint32_t>(value->size()) : 0;
        return value && length <= size && std::memcpy(buffer, value->data(), length);
    }
    int SetPrinterKeyString(GDriverObject*, const RWWString& k, const RWWString& n, const RWWString& t) override { return Set(k, n, t); }
    void GetPrinterKeyString(RWWString& r, GDriverObject*, const RWWString& k, const RWWString& n, const RWWString& f) override { r = Get(k, n, f); }
    int DeletePrinterDriverDataValue(GDriverObject*, const RWWString& name) override { return static_cast<int>(printerData.erase(name.Data())); }
    void GetMachineString(RWWString& r, const RWWString& k, const RWWString& n, const RWWString& f) override { r = Get(k, n, f); }
    uint32_t GetMachineDword(const RWWString& k, const RWWString& n, uint32_t f) override { return Number(k, n, f); }
    uint32_t SetMachineDwordIfMissing(const RWWString& k, const RWWString& n, uint32_t v) override { return !Set(k, n, Text(v)); }
    int MachineKeyExists(const RWWString&) override { return 0; }
    void GetUserString(RWWString& r, const RWWString& k, const RWWString& n, const RWWString& f) override { r = Get(k, n, f); }
    uint32_t GetUserDword(const RWWString& k, const RWWString& n, uint32_t f) override { return Number(k, n, f); }
    int UserKeyExists(const RWWString&) override { return 0; }
    int SetUserDword(const RWWString& k, const RWWString& n, uint32_t v) override { return Set(k, n, Text(v)); }
    GLock* CreateLock() override { return ++locksMade, new GSemaphoreLock; }

private:
    static DWORD Attributes(const RWWString& path) { return GetFileAttributesW(path.Data()); }
    static RWWString Text(uint32_t v) { return RWWString(std::to_wstring(v).c_str()); }
    static std::wstring Key(const RWWString& key, const RWWString& name) { return std::wstring(key.Data()) + L"\\" + name.Data(); }
    int Put(const RWWString& name, const void* data, size_t n)
    {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        return printerData[name.Data()].assign(bytes, bytes + n), 1;
    }
    const std::vector<uint8_t>* Find(const RWWString& name) const
    {
        auto found = printerData.find(name.Data());
        return found == printerData.end() ? nullptr : &found->second;
    }
    int Set(const RWWString& key, const RWWString& name, const RWWString& text) { return registry[Key(key, name)] = text.Data(), 1; }
    RWWString Get(const RWWString& key, const RWWString& name, const RWWString& fallback) const
    {
        auto found = registry.find(Key(key, name));
        return found == registry.end() ? fallback : RWWString(found->second.c_str());
    }
    uint32_t Number(const RWWString& key, const RWWString& name, uint32_t fallback) const
    {
        const RWWString text = Get(key, name, L"");
        return text.IsNull() ? fallback : static_cast<uint32_t>(std::wcstoul(text.Data(), nullptr, 10));
    }

    uint32_t state_ = 1;
};

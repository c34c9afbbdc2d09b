// An extension module for the host tests, with all three sides: registration (interface
// 0), UI pages (interface 1) and rendering (interface 2). What it answers is set through
// its QZExtTest_* exports: the descriptor (by default one named after the module's own
// file, so that a copy under another file name is another extension), the default
// settings bytes, the pages, the data kinds and bytes, the status of each interface,
// and which table entries are null. It logs every call, and overwrites each block it
// frees, so that a host that reads a block after freeing it reads damage. Each copy of
// the file is its own module with its own answers.
#include <windows.h>
#include <prsht.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#define EXT_CALL __stdcall

namespace {

struct Descriptor {
    char text1[40];
    char name[40];
    char text2[32];
    uint32_t flags;
    char uiModule[30];
    char renderModule[30];
    char text3[40];
    char text4[60];
};
static_assert(sizeof(Descriptor) == 276, "the descriptor's layout");

struct PageRecord {
    uint32_t flags;
    uint32_t unused;
    const void* dialogTemplate;
    void* dialogProcedure;
};

struct Data {
    std::vector<uint8_t> bytes;
    uint16_t status = 0;
};

using DriverQuery = uint16_t(EXT_CALL*)(uint16_t, void**);
using UIGetValue = uint16_t(EXT_CALL*)(uint16_t, uint16_t*, void*);
using UIGetSettings = uint16_t(EXT_CALL*)(uint8_t*, uint16_t, const char*, void*);
using UISetSettings = uint16_t(EXT_CALL*)(const uint8_t*, uint16_t, const char*, void*);

HMODULE self = nullptr;
uint32_t configuredKinds = 0x10;
uint16_t initializeStatus = 0;
std::map<uint32_t, Data> dataByKind;
std::map<uint8_t*, uint16_t> blocks;
std::string callLog;
Descriptor descriptor{};
uint16_t describeStatus = 0;
std::vector<uint8_t> defaults;
uint16_t defaultsStatus = 0;
bool hasDefaults = false;
uint16_t pageCount = 0;
uint16_t overclaim = 0;
uint16_t enumStatus = 0;
std::map<int32_t, uint16_t> queryStatus;
// Bits 0 to 5 the registration table's entries, 8 and 9 the UI table's, 16 to 19 the
// rendering table's: a set bit leaves the entry null.
uint32_t nullEntries = 0;
// The driver's table and context a page got.
void* driverTable[3] = {};
void* pageContext = nullptr;

void Log(const std::string& entry)
{
    if (!callLog.empty())
        callLog += ";";
    callLog += entry;
}

std::string OwnFileName()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(self, path, MAX_PATH);
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

void Copy(char* field, size_t size, const std::string& text)
{
    std::memset(field, 0, size);
    std::strncpy(field, text.c_str(), size - 1);
}

void DefaultDescriptor()
{
    const std::string file = OwnFileName();
    const std::string name = file.substr(0, file.find('.'));
    Copy(descriptor.text1, sizeof descriptor.text1, "Stand-in extension");
    Copy(descriptor.name, sizeof descriptor.name, name);
    Copy(descriptor.text2, sizeof descriptor.text2, "Version 1");
    descriptor.flags = 0x4 | 0x8;
    Copy(descriptor.uiModule, sizeof descriptor.uiModule, file);
    Copy(descriptor.renderModule, sizeof descriptor.renderModule, file);
    Copy(descriptor.text3, sizeof descriptor.text3, "Pages and job data");
    Copy(descriptor.text4, sizeof descriptor.text4, "For the driver's tests");
}

template <class F>
void* Entry(int bit, F f)
{
    return (nullEntries >> bit) & 1 ? nullptr : reinterpret_cast<void*>(f);
}

uint16_t EXT_CALL Describe(Descriptor* out, uint16_t mode)
{
    Log("Describe " + std::to_string(mode));
    if (out)
        *out = descriptor;
    return describeStatus;
}

// A device list as the driver reads it: one device record, then its entries.
struct PaperList {
    std::vector<uint8_t> bytes;
    std::deque<std::string> names;
    uint16_t count = 0;
    uint16_t status = 1;

    const char* Keep(const std::string& name)
    {
        names.push_back(name);
        return names.back().c_str();
    }
    void Put(const void* value, size_t size)
    {
        const uint8_t* at = static_cast<const uint8_t*>(value);
        bytes.insert(bytes.end(), at, at + size);
    }
    void Clear()
    {
        bytes.clear();
        names.clear();
        count = 0;
        status = 1;
    }
};

PaperList trays, bins;

uint16_t EXT_CALL GetInputTrays(const uint8_t** list, uint16_t* count, uint16_t)
{
    Log("GetInputTrays");
    *list = trays.bytes.empty() ? nullptr : trays.bytes.data();
    *count = trays.count;
    return trays.status;
}

uint16_t EXT_CALL GetOutputBins(const uint8_t** list, uint16_t* count, uint16_t)
{
    Log("GetOutputBins");
    *list = bins.bytes.empty() ? nullptr : bins.bytes.data();
    *count = bins.count;
    return bins.status;
}

uint16_t EXT_CALL OnRegistered()
{
    Log("OnRegistered");
    return 0;
}

uint16_t EXT_CALL OnUnregistered()
{
    Log("OnUnregistered");
    return 0;
}

uint16_t EXT_CALL GetDefaultSettings(const uint8_t** bytes, uint16_t* length)
{
    Log("GetDefaultSettings");
    *bytes = defaults.data();
    *length = uint16_t(defaults.size());
    return defaultsStatus;
}

// What the page saw of the driver when its dialog was made.
uint16_t pageValueStatus = 0xFFFF;
uint16_t pageValue = 0;
uint16_t pageWriteStatus = 0xFFFF;

// The page asks the driver for value 10, writes its settings, and presses OK on its
// sheet, so that a sheet shown without anyone at it closes by itself.
INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    if (driverTable[0])
        pageValueStatus = reinterpret_cast<UIGetValue>(driverTable[0])(10, &pageValue, pageContext);
    if (driverTable[2]) {
        static const uint8_t written[] = {'p', 'a', 'g', 'e', 0, '!'};
        pageWriteStatus =
            reinterpret_cast<UISetSettings>(driverTable[2])(written, sizeof written, descriptor.name, pageContext);
    }
    PostMessageW(GetParent(page), PSM_PRESSBUTTON, PSBTN_OK, 0);
    return TRUE;
}

// A counting call answers the page count; a filling call logs the count it was given,
// fills no more records than that, and answers its count plus the overclaim.
uint16_t EXT_CALL EnumPages(uint16_t* count, PageRecord* records, void* query, void* context)
{
    if (!records) {
        Log("EnumPages count");
        *count = pageCount;
        return enumStatus;
    }
    Log("EnumPages fill " + std::to_string(*count));
    const uint16_t filled = pageCount < *count ? pageCount : *count;
    for (uint16_t i = 0; i < filled; ++i) {
        records[i].flags = 0;
        records[i].unused = 0;
        records[i].dialogTemplate = MAKEINTRESOURCEW(100 + i);
        records[i].dialogProcedure = reinterpret_cast<void*>(&PageProc);
    }
    *count = uint16_t(pageCount + overclaim);
    pageContext = context;
    if (query)
        reinterpret_cast<DriverQuery>(query)(50, driverTable);
    return enumStatus;
}

uint16_t EXT_CALL Release(void*)
{
    Log("Release");
    return 0;
}

uint16_t EXT_CALL Initialize(void*, uint32_t* kinds, void*)
{
    Log("Initialize");
    if (kinds)
        *kinds = configuredKinds;
    return initializeStatus;
}

uint16_t EXT_CALL Terminate(void*)
{
    Log("Terminate");
    return 0;
}

uint16_t EXT_CALL GetData(uint32_t kind, uint8_t** bytes, uint16_t* length, void*)
{
    Log("GetData " + std::to_string(kind));
    auto found = dataByKind.find(kind);
    if (found == dataByKind.end())
        return 1;
    const Data& data = found->second;
    uint8_t* block = static_cast<uint8_t*>(std::malloc(data.bytes.size() + 1));
    if (!block)
        return 1;
    if (!data.bytes.empty())
        std::memcpy(block, data.bytes.data(), data.bytes.size());
    blocks[block] = uint16_t(data.bytes.size());
    *bytes = block;
    *length = uint16_t(data.bytes.size());
    return data.status;
}

uint16_t EXT_CALL FreeData(uint8_t* bytes, void*)
{
    Log("FreeData");
    auto found = blocks.find(bytes);
    if (found == blocks.end())
        return 1;
    std::memset(bytes, 0xEE, found->second);
    std::free(bytes);
    blocks.erase(found);
    return 0;
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        self = instance;
        DefaultDescriptor();
    }
    return TRUE;
}

uint16_t EXT_CALL QZExt_QueryInterface(int32_t id, void** table)
{
    Log("QueryInterface " + std::to_string(id));
    auto status = queryStatus.find(id);
    if (status != queryStatus.end() && status->second != 0)
        return status->second;
    if (!table)
        return 5;
    switch (id) {
    case 0:
        table[0] = Entry(0, &Describe);
        table[1] = Entry(1, &GetInputTrays);
        table[2] = Entry(2, &GetOutputBins);
        table[3] = Entry(3, &OnRegistered);
        table[4] = Entry(4, &OnUnregistered);
        table[5] = hasDefaults ? Entry(5, &GetDefaultSettings) : nullptr;
        return 0;
    case 1:
        table[0] = Entry(8, &EnumPages);
        table[1] = Entry(9, &Release);
        return 0;
    case 2:
        table[0] = Entry(16, &Initialize);
        table[1] = Entry(17, &Terminate);
        table[2] = Entry(18, &GetData);
        table[3] = Entry(19, &FreeData);
        return 0;
    default:
        return 5;
    }
}

// The kinds Initialize answers and its status.
void QZExtTest_Configure(uint32_t kinds, uint16_t status)
{
    configuredKinds = kinds;
    initializeStatus = status;
}

// The bytes GetData hands out for the kind, and its status.
void QZExtTest_SetData(uint32_t kind, const uint8_t* bytes, uint16_t length, uint16_t status)
{
    Data& data = dataByKind[kind];
    data.bytes.assign(bytes, bytes + length);
    data.status = status;
}

// The descriptor Describe copies out (276 bytes), and its status.
void QZExtTest_SetDescriptor(const void* bytes, uint16_t status)
{
    std::memcpy(&descriptor, bytes, sizeof descriptor);
    describeStatus = status;
}

// The descriptor this copy describes by default.
void QZExtTest_GetDescriptor(void* bytes) { std::memcpy(bytes, &descriptor, sizeof descriptor); }

// The default settings bytes and GetDefaultSettings' status; a module without them
// leaves the entry null.
void QZExtTest_SetDefaults(const uint8_t* bytes, uint16_t length, uint16_t status)
{
    defaults.assign(bytes, bytes + length);
    defaultsStatus = status;
    hasDefaults = true;
}

// The pages EnumPages offers, how many more it claims when filling, and its status.
void QZExtTest_SetPages(uint16_t count, uint16_t extraClaim, uint16_t status)
{
    pageCount = count;
    overclaim = extraClaim;
    enumStatus = status;
}

// A non-zero status for QZExt_QueryInterface with the id.
void QZExtTest_SetQueryStatus(int32_t id, uint16_t status) { queryStatus[id] = status; }

// Table entries left null (see nullEntries).
void QZExtTest_SetNullEntries(uint32_t mask) { nullEntries = mask; }

// What a page does: asks the driver, through the table EnumPages got, for a value (which
// 0), reads (1) or writes (2) its settings. 0xFFFF when it has no table.
uint16_t QZExtTest_PageCall(int which, uint16_t valueId, uint8_t* bytes, uint16_t length, uint16_t* out)
{
    if (!driverTable[which])
        return 0xFFFF;
    const std::string name = descriptor.name;
    switch (which) {
    case 0:
        return reinterpret_cast<UIGetValue>(driverTable[0])(valueId, out, pageContext);
    case 1:
        return reinterpret_cast<UIGetSettings>(driverTable[1])(bytes, length, name.c_str(), pageContext);
    default:
        return reinterpret_cast<UISetSettings>(driverTable[2])(bytes, length, name.c_str(), pageContext);
    }
}

// One device named so with entries of the numbers (trays "Tray<n>" with the PDL codes;
// bins "Bin<n>" with the PJL names "PJL<n>"), its record claiming the declared count.
void QZExtTest_SetPaper(int bins_, const char* device, int16_t declared, uint16_t n, const int16_t* numbers,
                        const uint16_t* codes)
{
    PaperList& list = bins_ ? bins : trays;
    list.Clear();
    list.status = 0;
    list.count = 1;
    const char* name = list.Keep(device);
    list.Put(&name, 4);
    list.Put(&declared, 2);
    const uint16_t unused = 0;
    list.Put(&unused, 2);
    for (uint16_t i = 0; i < n; ++i) {
        const char* entry = list.Keep((bins_ ? "Bin" : "Tray") + std::to_string(numbers[i]));
        list.Put(&entry, 4);
        list.Put(&numbers[i], 2);
        if (bins_) {
            list.Put(&unused, 2);
            const char* pjl = list.Keep("PJL" + std::to_string(numbers[i]));
            list.Put(&pjl, 4);
        } else {
            list.Put(&codes[i], 2);
        }
    }
}

// What the page's dialog saw: the status and value of its value 10 and the status of its
// settings write.
void QZExtTest_PageResult(uint16_t* valueStatus, uint16_t* value, uint16_t* writeStatus)
{
    *valueStatus = pageValueStatus;
    *value = pageValue;
    *writeStatus = pageWriteStatus;
}

// The calls so far, separated by ';'.
const char* QZExtTest_Log() { return callLog.c_str(); }

// The number of blocks handed out and not freed.
uint32_t QZExtTest_OpenBlocks() { return uint32_t(blocks.size()); }

void QZExtTest_Reset()
{
    configuredKinds = 0x10;
    initializeStatus = 0;
    dataByKind.clear();
    callLog.clear();
    DefaultDescriptor();
    describeStatus = 0;
    defaults.clear();
    defaultsStatus = 0;
    hasDefaults = false;
    pageCount = 0;
    overclaim = 0;
    enumStatus = 0;
    queryStatus.clear();
    nullEntries = 0;
    trays.Clear();
    bins.Clear();
    driverTable[0] = driverTable[1] = driverTable[2] = nullptr;
    pageContext = nullptr;
    pageValueStatus = 0xFFFF;
    pageValue = 0;
    pageWriteStatus = 0xFFFF;
}

} // extern "C"

// An extension module's rendering side for the host tests. It answers interface 2 with
// Initialize, Terminate, GetData and FreeData, supplies the kinds and bytes a test sets
// through QZExtTest_Configure and QZExtTest_SetData, logs every call, and overwrites
// each block it frees, so that a host that reads a block after freeing it reads damage.
// The same source is built under two names, so that two modules can be loaded at once.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#define EXT_CALL __stdcall

namespace {

struct Data {
    std::vector<uint8_t> bytes;
    uint16_t status = 0;
};

uint32_t configuredKinds = 0x10;
uint16_t initializeStatus = 0;
std::map<uint32_t, Data> dataByKind;
std::map<uint8_t*, uint16_t> blocks;
std::string callLog;

void Log(const std::string& entry)
{
    if (!callLog.empty())
        callLog += ";";
    callLog += entry;
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

uint16_t EXT_CALL QZExt_QueryInterface(int32_t id, void** table)
{
    Log("QueryInterface " + std::to_string(id));
    if (id != 2 || !table)
        return 5;
    table[0] = reinterpret_cast<void*>(&Initialize);
    table[1] = reinterpret_cast<void*>(&Terminate);
    table[2] = reinterpret_cast<void*>(&GetData);
    table[3] = reinterpret_cast<void*>(&FreeData);
    return 0;
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
}

} // extern "C"

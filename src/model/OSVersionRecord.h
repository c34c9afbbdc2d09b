// Which Windows the driver runs on: a small kind number with the version and build
// beside it, and the family that callers reduce the kind to.
//
// The classification is a pure function of what the version queries and the product
// options in the registry answered, so every row of it can be checked on any host;
// DetectOSVersion feeds it from the running system.
#pragma once

#include <cstdint>

struct OSVersionRecord {
    uint32_t kind;
    // Major version << 16 | minor version.
    uint32_t version;
    // The low 16 bits of the build number.
    uint32_t build;

    bool operator==(const OSVersionRecord& other) const
    {
        return kind == other.kind && version == other.version && build == other.build;
    }
    bool operator!=(const OSVersionRecord& other) const { return !(*this == other); }
};

// What the system said about itself, and through which query: 0 the version query,
// 1 the larger version query (asked when the first failed), 2 the packed version word.
struct OSVersionFacts {
    uint32_t query;
    uint32_t platform;
    uint32_t major;
    uint32_t minor;
    uint32_t build;
    // The registry's product options: whether "ProductType" could be read, the bytes it
    // gave (a read that gave no terminated text counts as failed), and whether
    // "ProductSuite" could be read after it.
    bool productTypeRead;
    const char* productType;
    uint32_t productTypeSize;
    bool productSuiteRead;
};

// 1 with the record filled from the facts, 0 (record unchanged) for a system the table
// does not know or an NT product type that could not be read.
int ClassifyOSVersion(const OSVersionFacts& facts, OSVersionRecord& record);

// 1 with the record filled from the running system, 0 (record unchanged) on failure.
int DetectOSVersion(OSVersionRecord& record);

uint32_t GetOSFamily(const OSVersionRecord& record);

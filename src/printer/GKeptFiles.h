// Files read whole and kept in memory while they stay as they were: the driver's data
// file, which every new driver object reads its printer model from. A file is opened
// again only when its size or last write time, as the entry call sees them, differ from
// those it was read with, so that making another driver object asks the platform for no
// file.
#pragma once

#include "foundation/RWWString.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GKeptFiles {
public:
    using Bytes = std::shared_ptr<const std::vector<uint8_t>>;

    // Files kept at once (the one read longest ago goes first), and the largest file kept.
    static constexpr size_t kMostFiles = 4;
    static constexpr uint64_t kLargestFile = 64u << 20;

    GKeptFiles();
    ~GKeptFiles();
    GKeptFiles(const GKeptFiles&) = delete;
    GKeptFiles& operator=(const GKeptFiles&) = delete;

    // The file's bytes, read now or kept from an earlier read of the same file as it is
    // now; null when the file cannot be read or is larger than the bound. The caller's
    // bytes stay good whatever happens to the kept ones afterwards.
    Bytes Read(const RWWString& path);

private:
    struct File;
    std::vector<std::unique_ptr<File>> files_;
    SRWLOCK lock_;
    uint64_t lastUse_;
};

// Checks of the binary-file form that hold for every persistable class: the size that
// RecursiveStoreSize predicts is what RecursiveSaveOn writes, and what is read back
// saves to as many bytes again (an unordered collection may put its members in
// another order).
//
// ExpectStoreSizesOfRegisteredClasses runs the check over a default object of every
// class registered with the factory, so each subsystem's tests cover its own classes by
// calling it; StoreSizeMatches checks one object with real contents.
#pragma once

#include "FileBytes.h"
#include "TempPath.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWCollectable.h"
#include "foundation/RWFactory.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A temporary file name of the calling thread, so that threads never share one.
inline std::string ThreadFileName(const char* leaf)
{
    return std::to_string(GetCurrentThreadId()) + "-" + leaf;
}

// The bytes an outermost save of obj writes to a binary file.
inline std::vector<uint8_t> SavedBytes(const RWCollectable* obj)
{
    TempPath path(ThreadFileName("saved-bytes.bin"));
    {
        RWBinaryFile file(path.c_str(), "wb+");
        file << obj;
    }
    return FileBytes(path.str());
}

// A binary file open for reading that holds exactly the given bytes.
class BytesFile {
public:
    explicit BytesFile(const std::vector<uint8_t>& bytes)
        : path_(ThreadFileName("bytes-file.bin")), written_(WriteFileBytes(path_.str(), bytes)),
          file_(path_.c_str(), "rb")
    {
    }
    RWBinaryFile& File() { return file_; }
    bool Ready() const { return written_ && file_.IsValid(); }

private:
    TempPath path_;
    bool written_;
    RWBinaryFile file_;
};

// Restores one outermost reference from bytes; the caller owns what comes back.
inline RWCollectable* RestoredFromBytes(const std::vector<uint8_t>& bytes)
{
    BytesFile file(bytes);
    RWCollectable* obj = nullptr;
    if (file.Ready())
        file.File() >> obj;
    return obj;
}

inline testing::AssertionResult StoreSizeMatches(const RWCollectable& obj)
{
    const uint32_t predicted = obj.RecursiveStoreSize();
    const std::vector<uint8_t> bytes = SavedBytes(&obj);
    if (predicted != bytes.size())
        return testing::AssertionFailure() << "class 0x" << std::hex << obj.ClassId() << std::dec
                                           << ": RecursiveStoreSize " << predicted << ", bytes written "
                                           << bytes.size();
    std::unique_ptr<RWCollectable> restored(RestoredFromBytes(bytes));
    if (!restored || restored->ClassId() != obj.ClassId())
        return testing::AssertionFailure() << "class 0x" << std::hex << obj.ClassId() << ": not read back";
    const size_t again = SavedBytes(restored.get()).size();
    if (again != bytes.size())
        return testing::AssertionFailure() << "class 0x" << std::hex << obj.ClassId() << std::dec
                                           << ": read back and saved again, " << again << " bytes instead of "
                                           << bytes.size();
    return testing::AssertionSuccess();
}

// Every registered class whose create function makes an object.
inline void ExpectStoreSizesOfRegisteredClasses()
{
    const std::vector<RWFactoryClass> classes = RWFactoryClasses();
    ASSERT_FALSE(classes.empty());
    for (const RWFactoryClass& c : classes) {
        std::unique_ptr<RWCollectable> obj(c.create ? c.create() : nullptr);
        if (obj) {
            EXPECT_TRUE(StoreSizeMatches(*obj)) << c.name.Data();
        }
    }
}

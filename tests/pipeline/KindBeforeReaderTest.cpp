// Restores that expect a kind decide it from the stored class before the object is
// made: a stored peripheral proxy naming a library, in a command list or in a font spool
// stream, is refused at its reference, so its reader never runs and the library (a
// marker the tests build) never loads.
#include "../foundation/DataStreamKinds.h"
#include "TestErrorCapture.h"

#include "graphics/GTTFontFilePool.h"
#include "model/GStreamHolder.h"
#include "model/GCommandComposite.h"
#include "printer/GPeripheralProxy.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// The marker library, copied out of the test program's folder: a proxy made in the kept
// mode loads its add-on at once from a trusted folder, and the test must make one
// without loading anything.
std::wstring MarkerPath()
{
    static const std::wstring copy = [] {
        wchar_t program[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, program, MAX_PATH);
        std::wstring built(program);
        built = built.substr(0, built.find_last_of(L'\\') + 1) + L"qzmarker.dll";
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        const std::wstring folder = std::wstring(temp) + L"qzkind" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring path = folder + L"\\qzmarker.dll";
        CopyFileW(built.c_str(), path.c_str(), FALSE);
        return path;
    }();
    return copy;
}

bool MarkerLoaded()
{
    return GetModuleHandleW(L"qzmarker.dll") != nullptr || GetEnvironmentVariableW(L"QZ_MARKER_LOADED", nullptr, 0) != 0;
}

// A proxy that keeps its add-on from the marker library: restored by a reader that ran
// its fields, it would have loaded the library.
class KindBeforeReader : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(MarkerPath().c_str()));
        ASSERT_FALSE(MarkerLoaded());
    }
    void TearDown() override { EXPECT_FALSE(MarkerLoaded()) << "the marker library was loaded"; }

    GPeripheralProxy proxy_{RWWString(MarkerPath().c_str()), 1, GPeripheralProxy::kKept};
};

std::string Hex(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    return text;
}

} // namespace

TEST_F(KindBeforeReader, AStoredProxyInACommandListIsRefusedAtItsReference)
{
    // A command list's members are commands. Its form ends with the embedded member
    // list's count (0 here) and the two closing chars; the proxy goes in as its member.
    GCommandComposite commands;
    std::string bytes = StreamSaved(StreamKind::Binary, &commands);
    ASSERT_GE(bytes.size(), 6u);
    ASSERT_EQ(std::string("\0\0\0\0}}", 6), bytes.substr(bytes.size() - 6));
    bytes = bytes.substr(0, bytes.size() - 6) + std::string("\1\0\0\0", 4) + StreamSaved(StreamKind::Binary, &proxy_) + "}}";

    TestErrorCapture capture;
    std::unique_ptr<RWCollectable> back(StreamRestored(StreamKind::Binary, bytes));
    auto* restored = dynamic_cast<GCommandComposite*>(back.get());
    if (restored) {
        EXPECT_EQ(0u, restored->Entries());
    }
    EXPECT_NE(std::string::npos, capture.Last().find("[ID] Unexpected class ID " + Hex(proxy_.ClassId())))
        << capture.Last();
}

TEST_F(KindBeforeReader, AStoredProxyInAFontSpoolStreamIsRefusedAtItsReference)
{
    std::vector<uint8_t> buffer(4096);
    {
        GOutStreamHolder holder(buffer.data(), uint32_t(buffer.size()), 2);
        *holder.GetStream() << uint32_t(1) << uint32_t(5) << static_cast<const RWCollectable*>(&proxy_);
        holder.GetStream()->Flush();
        buffer.resize(size_t(holder.Tell()));
    }
    GTTFontFilePool pool;
    EXPECT_FALSE(pool.LoadFromStream(buffer.data(), uint32_t(buffer.size()), 1));
    EXPECT_EQ(0, pool.Contains(5));
}

// The hostile inputs once fatal to the host process, pushed through the module with its
// own out-of-memory handler installed the way the module's entry installs it. That
// handler ends the process when an allocation fails and nothing can be freed, even for
// a nothrow new, so here a size taken from data that reaches an allocation unchecked
// ends the whole run: the process living to the end of each test is the check.
#include "HostileFiles.h"
#include "StoreSizeChecks.h"

#include "graphics/GBitmapImp.h"
#include "graphics/GTTFontFile.h"
#include "graphics/GTTFontFilePool.h"
#include "graphics/GTTMemoryFontFileReader.h"
#include "model/GStreamHolder.h"
#include "printer/GNewHandler.h"
#include "printer/GOSFactory.h"
#include "printer/GPeripheralProxy.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID);

namespace {

class UnderModuleHandler : public testing::Test {
protected:
    static void SetUpTestSuite() { DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_ATTACH, nullptr); }
    static void TearDownTestSuite() { DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_DETACH, nullptr); }

    void SetUp() override
    {
        ASSERT_NE(nullptr, GOSFactory::Instance());
        ASSERT_EQ(&OutOfMemoryHandler, std::get_new_handler());
    }

    static int LoadGlyph(const std::vector<uint8_t>& font, uint16_t glyph)
    {
        GTTMemoryFontFileReader reader(font, 1);
        reader.Lock();
        reader.Preload(0, 0);
        const int loaded = reader.LoadGlyph(0, glyph);
        reader.Unlock();
        return loaded;
    }
};

} // namespace

// 4^16 component loads under the reader's lock: the load is refused within its budget.
TEST_F(UnderModuleHandler, ACompositeChainIsRefused) { EXPECT_EQ(0, LoadGlyph(CompositeChainTtf(), 0)); }

// A loca pair (0, FFFFFFF0) asked for 4 GiB; a mutated font's loca pointing into head
// asked for more than glyf holds.
TEST_F(UnderModuleHandler, LocaOffsetsPastGlyfAskForNothing)
{
    for (const std::vector<uint8_t>* font : {&Loca4GibTtf(), &LocaFromHeadTtf()}) {
        GTTMemoryFontFileReader reader(*font, 1);
        reader.Lock();
        uint16_t count = 0;
        reader.GetGlyphCount(0, count);
        for (uint32_t glyph = 0; glyph < std::max<uint32_t>(count, 1); ++glyph) {
            GByteBuffer* out = nullptr;
            EXPECT_EQ(0u, reader.GetGlyphData(0, 1, uint16_t(glyph), out)) << glyph;
            delete out;
        }
        reader.Unlock();
    }
}

// A stored bitmap of 32767 x 32767 pixels, run-coded in two bytes: its decoding once
// asked for 1 GiB. It reads back as an empty bitmap.
TEST_F(UnderModuleHandler, AStoredGibibyteBitmapReadsBackEmpty)
{
    const std::vector<uint8_t>& stored = Bitmap1GibDecode();
    GInStreamHolder holder(stored.data(), uint32_t(stored.size()), 2);
    ASSERT_NE(nullptr, holder.GetStream());
    RWCollectable* read = nullptr;
    *holder.GetStream() >> read;
    std::unique_ptr<RWCollectable> owned(read != &RWNilObject ? read : nullptr);
    GBitmapImp* bitmap = dynamic_cast<GBitmapImp*>(owned.get());
    ASSERT_NE(nullptr, bitmap);
    EXPECT_TRUE(bitmap->IsNull());
    EXPECT_EQ(0u, bitmap->GetBitsSize());
}

// 16,843,009 moves of 255 columns wrapped the column to -1, and the next pixel was
// written before the decode buffer.
TEST_F(UnderModuleHandler, ALongDeltaStreamStaysInItsBuffer)
{
    std::vector<uint8_t> stream;
    stream.reserve(16843009u * 4 + 4);
    for (uint32_t i = 0; i < 16843009u; ++i)
        stream.insert(stream.end(), {0, 2, 0xFF, 0});
    stream.insert(stream.end(), {1, 0x41, 0, 1});
    GBitmapInfo info;
    info.bits = stream.data();
    info.bitsSize = uint32_t(stream.size());
    info.bounds = GRect{0, 0, 8, 8};
    info.compression = 2;
    GBitmapImp bitmap(info);
    ASSERT_FALSE(bitmap.IsNull());
    EXPECT_EQ(std::vector<uint8_t>(bitmap.GetBitsSize(), 0),
              std::vector<uint8_t>(bitmap.GetBits(), bitmap.GetBits() + bitmap.GetBitsSize()));
    EXPECT_NE(FALSE, HeapValidate(GetProcessHeap(), 0, nullptr));
}

// A stored proxy in mode 1 naming a library: its restore once loaded the library and
// ran its create entry. The library here is the proxy tests' add-on, beside this
// program; once restored, it must not be in the process.
TEST_F(UnderModuleHandler, AStoredKeptProxyLoadsNoLibrary)
{
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string path(program);
    path = path.substr(0, path.find_last_of('\\') + 1) + "qzaddon.dll";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
    const GPeripheralProxy never(RWWString(path.c_str()), 1, GPeripheralProxy::kNever);
    std::vector<uint8_t> bytes = SavedBytes(&never);
    // The mode word follows the destroy entry's name.
    std::vector<uint8_t> text;
    for (const char* c = "_D_PCLXL_ADDON"; *c; ++c)
        text.insert(text.end(), {uint8_t(*c), 0});
    auto at = std::search(bytes.begin(), bytes.end(), text.begin(), text.end());
    ASSERT_NE(bytes.end(), at);
    at += text.size();
    ASSERT_EQ((std::vector<uint8_t>{2, 0, 0, 0, 1, 0, 0, 0}), std::vector<uint8_t>(at, at + 8));
    *at = GPeripheralProxy::kKept;
    std::unique_ptr<RWCollectable> back(RestoredFromBytes(bytes));
    GPeripheralProxy* restored = dynamic_cast<GPeripheralProxy*>(back.get());
    ASSERT_NE(nullptr, restored);
    EXPECT_EQ(int32_t(GPeripheralProxy::kKept), restored->GetMode());
    EXPECT_EQ(nullptr, GetModuleHandleW(L"qzaddon.dll"));
}

// 65,536 handles wrapped a 16-bit user count, and closing one freed the reader the
// others still used.
TEST_F(UnderModuleHandler, SixtyFiveThousandHandlesShareOneReader)
{
    GTTFontFilePool pool;
    auto* reader = new GTTMemoryFontFileReader({}, 41);
    ASSERT_EQ(1, pool.Register(reader));
    std::vector<std::unique_ptr<GTTFontFile>> handles;
    for (int i = 0; i < 65536; ++i)
        handles.emplace_back(new GTTFontFile(reader, &pool));
    handles.pop_back();
    EXPECT_EQ(65536, handles.back()->GetReader()->GetUserCount());
    handles.clear();
    EXPECT_EQ(1, reader->GetUserCount());
}

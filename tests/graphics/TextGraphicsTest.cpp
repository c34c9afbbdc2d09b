// The text-string graphic and the download face command: building, preparing, copying,
// their stored forms and what reaches the writer.
#include "../model/StoredForms.h"
#include "TestFonts.h"

#include "graphics/GDownloadFace.h"
#include "graphics/GTextStringGraphic.h"
#include "graphics/GGraphicBundle.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::vector<int16_t> Xs(const GTextEscapements& e)
{
    std::vector<int16_t> xs;
    for (uint32_t i = 0; i < e.GetCount(); ++i)
        xs.push_back(e.GetXAdvance(i));
    return xs;
}

} // namespace

TEST(TextStringGraphic, AdvancesComeFromThePositions)
{
    uint16_t chars[] = {'a', 'b', 'c'};
    GPoint row[] = {{0, 0}, {10, 0}, {20, 0}};
    GTextStringGraphic graphic(nullptr, chars, 0, GEncoding::kUnicode, row, 5, 3, nullptr);
    ASSERT_TRUE(graphic.GetText() && graphic.GetEscapements());
    EXPECT_EQ(std::vector<int16_t>({10, 10, 0}), Xs(*graphic.GetEscapements()));
    EXPECT_EQ(nullptr, graphic.GetEscapements()->GetYAdvances());
    EXPECT_EQ(5u, graphic.GetOptionWord());
    EXPECT_EQ(0, graphic.GetFlags());

    GPoint one[] = {{7, -3}};
    GTextStringGraphic single(nullptr, chars, 0, GEncoding::kUnicode, GPointArray{0, nullptr, one, 1}, 0, 1, nullptr);
    EXPECT_EQ(1, single.GetEscapements()->GetCount());
    EXPECT_TRUE(!single.GetEscapements()->GetXAdvances() && !single.GetEscapements()->GetYAdvances());
    EXPECT_EQ(7, single.GetPosition().x);
    EXPECT_EQ(-3, single.GetPosition().y);

    GTextStringGraphic empty(nullptr, nullptr, 0, GEncoding::kUnicode, static_cast<const GPoint*>(nullptr), 0, 0, nullptr);
    EXPECT_EQ(0, empty.GetPosition().x);
    EXPECT_EQ(0, empty.GetPosition().y);
    EXPECT_EQ(0, empty.GetText()->GetLength());
}

TEST(TextStringGraphic, PrepareRegistersWithTheFontAndThenOwnsTheCharacters)
{
    uint16_t chars[] = {'x', 'y'};
    GPoint at[] = {{0, 0}, {4, 4}};
    GTextStringGraphic bare(nullptr, chars, 0, GEncoding::kUnicode, at, 0, 2, nullptr);
    bare.Prepare();
    EXPECT_EQ(0u, bare.GetText()->IsOwned()) << "without a font the characters stay borrowed";

    for (int size : {1, 2}) {
        TestFont* font = new TestFont(1);
        GTextStringGraphic graphic(new TestFontReference(font, nullptr, size), chars, 0, GEncoding::kUnicode, at, 0, 2,
                                   nullptr);
        graphic.Prepare();
        EXPECT_EQ(std::vector<int>({size}), font->kinds);
        EXPECT_EQ(1u, graphic.GetText()->IsOwned());
        EXPECT_EQ(1, font->GetUsedCodes().Contains('y'));
    }
    EXPECT_EQ('x', chars[0]);
}

TEST(TextStringGraphic, ACopyCopiesOnlyTheObjectsPresent)
{
    GTextStringGraphic empty;
    GTextStringGraphic copy(empty);
    EXPECT_TRUE(!copy.GetFont() && !copy.GetText() && !copy.GetEscapements());
    EXPECT_TRUE(copy.IsSame(&empty));

    uint16_t chars[] = {'q'};
    GPoint at[] = {{1, 2}};
    TestFont* font = new TestFont(2);
    GTextStringGraphic full(new TestFontReference(font, nullptr), chars, 0, GEncoding::kUnicode, at, 9, 1,
                            new GGraphicBundle);
    GTextStringGraphic twin(full);
    EXPECT_TRUE(twin.IsSame(&full));
    EXPECT_EQ(2, font->GetUserCount()) << "the copied reference shares the font";
    EXPECT_NE(full.GetText(), twin.GetText());
    EXPECT_EQ(9u, twin.GetOptionWord());
    twin.SetFont(nullptr);
    EXPECT_FALSE(twin.IsSame(&full)) << "a font on one side only";
    EXPECT_EQ(1, font->GetUserCount());
}

TEST(TextStringGraphic, ARestoreKeepsOnlyObjectsOfTheRightClasses)
{
    uint16_t chars[] = {'q'};
    GPoint at[] = {{1, 2}};
    GTextStringGraphic graphic(nullptr, chars, 0, GEncoding::kUnicode, at, 0, 1, nullptr);
    std::vector<uint8_t> bytes = SavedBytes(&graphic);
    std::unique_ptr<RWCollectable> back(RestoredFromBytes(bytes));
    ASSERT_TRUE(back);
    EXPECT_TRUE(static_cast<GTextStringGraphic*>(back.get())->IsSame(&graphic));
    EXPECT_EQ(graphic.RecursiveStoreSize(), bytes.size());

    // A text string in the escapements' place, or in the font's place of a download
    // face, is refused: nothing of the wrong class is kept.
    GTextString text;
    std::vector<uint8_t> textObject = SavedBytes(&text);
    textObject.erase(textObject.begin(), textObject.begin() + 4);
    auto replaced = [&](std::vector<uint8_t> data, size_t fromEnd) {
        const size_t at = data.size() - fromEnd;
        data.erase(data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + 6));
        data.insert(data.begin() + std::ptrdiff_t(at), textObject.begin(), textObject.end());
        return data;
    };
    const GTextStringGraphic empty;
    const std::vector<uint8_t> emptyBytes = SavedBytes(&empty);
    ASSERT_EQ(0xFF, emptyBytes[emptyBytes.size() - 16]) << "the escapements' place holds the nil object";
    const GDownloadFace face;
    const std::vector<uint8_t> faceBytes = SavedBytes(&face);
    ASSERT_EQ(0xFF, faceBytes[faceBytes.size() - 10]);
    for (const std::vector<uint8_t>& data : {replaced(emptyBytes, 16), replaced(faceBytes, 10)}) {
        TestErrorCapture capture;
        std::unique_ptr<RWCollectable> refused(RestoredFromBytes(data));
        if (GTextStringGraphic* g = dynamic_cast<GTextStringGraphic*>(refused.get())) {
            EXPECT_EQ(nullptr, g->GetEscapements());
        }
        if (GDownloadFace* f = dynamic_cast<GDownloadFace*>(refused.get())) {
            EXPECT_EQ(nullptr, f->GetFont());
        }
        EXPECT_FALSE(capture.Empty());
    }
}

TEST(TextStringGraphic, ExecuteCallsTheWritersTextHandlerAndPassesItsStatus)
{
    RecordingWriter writer;
    writer.status = 17;
    uint16_t chars[] = {'w'};
    GPoint at[] = {{3, 4}};
    GTextStringGraphic graphic(nullptr, chars, 0, GEncoding::kUnicode, at, 0, 1, nullptr);
    EXPECT_EQ(17, graphic.Execute(writer));
    ASSERT_EQ(1u, writer.drawn.size());
    EXPECT_TRUE(writer.drawn[0]->IsSame(&graphic));
}

TEST(DownloadFace, WithoutAFontItPreparesSavesAndExecutes)
{
    GDownloadFace face;
    face.Prepare();
    // After the command part, 14 bytes of its own: version, the nil object, the value.
    const std::vector<uint8_t> bytes = SavedBytes(&face);
    const std::vector<uint8_t> own = {1, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_GT(bytes.size(), own.size());
    EXPECT_EQ(own, std::vector<uint8_t>(bytes.end() - 14, bytes.end()));
    EXPECT_EQ(face.RecursiveStoreSize(), bytes.size());
    EXPECT_EQ(face.BinaryStoreSize(), GutsBytes(face).size());
    RecordingWriter writer;
    EXPECT_EQ(0, face.Execute(writer));
    ASSERT_EQ(1u, writer.drawn.size());
    EXPECT_TRUE(writer.drawn[0]->IsSame(&face));
}

TEST(DownloadFace, AFaceNameKeepsAtMost128Characters)
{
    GDownloadFace face;
    const std::string name(200, 'n');
    EXPECT_EQ(1, face.SetFaceName(name.c_str()));
    EXPECT_EQ(std::string(128, 'n'), face.GetFaceName());
    face.SetFaceName(std::string(128, 'm').c_str());
    EXPECT_EQ(std::string(128, 'm'), face.GetFaceName());
    face.SetFaceName("short");
    EXPECT_EQ(std::string("short"), face.GetFaceName());
    face.SetFaceName(nullptr);
    EXPECT_EQ(std::string(), face.GetFaceName());
}

TEST(DownloadFace, PrepareAndSaveRegisterTheDownloadAndEqualityComparesValueAndFont)
{
    TestFont* font = new TestFont(4);
    GDownloadFace face(new TestFontReference(font, nullptr, 1), 33);
    face.Prepare();
    EXPECT_EQ((std::vector<std::pair<uint32_t, int>>{{33, 1}}), font->downloads);
    GutsBytes(face);
    EXPECT_EQ(2u, font->downloads.size()) << "a save registers as well";
    GDownloadFace copy(face);
    EXPECT_TRUE(copy.IsEqual(&face));
    EXPECT_NE(copy.GetFont(), face.GetFont());
    GDownloadFace other(new TestFontReference(font, nullptr, 1), 34);
    EXPECT_FALSE(other.IsEqual(&face));
    EXPECT_FALSE(GDownloadFace().IsEqual(&face));
    EXPECT_TRUE(GDownloadFace(nullptr, 5).IsEqual(&*std::make_unique<GDownloadFace>(nullptr, 5)));
    EXPECT_EQ(1, face.SetFont(nullptr));
    EXPECT_EQ(2, font->GetUserCount());
}

TEST(TextGraphics, ATextGraphicAndADownloadFaceSavedAndRestoredReachTheWriterEqual)
{
    uint16_t chars[] = {'s', 'a', 'v', 'e'};
    GPoint at[] = {{0, 0}, {8, 1}, {16, 2}, {24, 3}};
    GTextStringGraphic graphic(nullptr, chars, 0, ToEncoding(17), at, 3, 4, new GGraphicBundle, 6);
    GDownloadFace face(nullptr, 77);
    for (Medium medium : kAllMedia) {
        SCOPED_TRACE(medium);
        RecordingWriter writer;
        for (const GCommand* command : std::initializer_list<const GCommand*>{&graphic, &face}) {
            std::unique_ptr<GObjectBase> back = GraphRoundTrip(medium, command);
            GCommand* restored = dynamic_cast<GCommand*>(back.get());
            ASSERT_NE(nullptr, restored);
            EXPECT_EQ(0, restored->Execute(writer));
        }
        ASSERT_EQ(2u, writer.drawn.size());
        EXPECT_TRUE(writer.drawn[0]->IsSame(&graphic));
        EXPECT_TRUE(writer.drawn[1]->IsSame(&face));
        const GTextStringGraphic* drawn = static_cast<const GTextStringGraphic*>(writer.drawn[0].get());
        EXPECT_EQ(std::vector<int16_t>({8, 8, 8, 0}), Xs(*drawn->GetEscapements()));
        EXPECT_EQ(3u, drawn->GetOptionWord());
        EXPECT_EQ('v', drawn->GetText()->GetChar(2));
    }
}

// The default object of every class this executable registers (the text and font
// classes and the test fonts among them) writes the size it predicts and reads back.
TEST(TextGraphics, EveryRegisteredClassStoresAtItsPredictedSize)
{
    ExpectStoreSizesOfRegisteredClasses();
}

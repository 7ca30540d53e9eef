#include "RecordingHost.h"
#include "archive/Error.h"
#include "archive/MemoryStream.h"
#include "fonts/NyxFontEngine.h"
#include "xml/NyxParser.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

class NyxFonts : public ::testing::Test {
protected:
    void SetUp() override { engine.SetHost(host); }

    TNyxFont& Font(const std::string& metrics, int32_t height = 16) {
        TNyxXMLTag element("Font", nullptr, "");
        element.AddTag("Name", "F" + std::to_string(engine.Count()));
        element.AddTag("Height", std::to_string(height));
        element.AddTag("Picture", "NyxUnicode.png");
        element.AddTag("Metrics", metrics);
        return *engine.LoadFont(element);
    }

    std::shared_ptr<test::RecordingHost> host = std::make_shared<test::RecordingHost>();
    TNyxFontEngine engine;
};

TEST_F(NyxFonts, EngineHoldsExactly3000GlyphRecords) {
    EXPECT_EQ(engine.Glyphs().size(), 3000u);
    EXPECT_NE(TNyxClassReg::Global().FindClass("TNyxFont"), nullptr);
    EXPECT_EQ(TNyxFont::StaticProperties().Describe(), "ParentName string plain\n"
                                                       "Name string setter\n"
                                                       "Tag integer plain\n"
                                                       "Height integer plain\n"
                                                       "Picture string plain\n"
                                                       "Metrics string setter write-only\n");
}

TEST_F(NyxFonts, WidthAndPlacementFollowBeforeWidthAfter) {
    TNyxFont& font = Font("65:0:0:1:10:2,66:10:0:0:9:1");
    EXPECT_EQ(font.TextWidth(u"AB"), 23);
    EXPECT_EQ(font.TextWidth(u""), 0);

    font.DrawText(100, 50, 0x00FF8040, 200, u"AB");
    ASSERT_EQ(host->Batches.size(), 1u);
    EXPECT_EQ(host->Batches[0].Picture, "NyxUnicode.png");
    const std::vector<TCharRect> expected = {
        {0, 0, 9, 15, 101, 50, 0x00FF8040, 200},
        {10, 0, 18, 15, 113, 50, 0x00FF8040, 200},
    };
    EXPECT_EQ(host->Batches[0].Glyphs, expected);
    EXPECT_EQ(host->OtherCalls, 0);
}

TEST_F(NyxFonts, MissingFieldsAreZeroAndMissingCodesUseTheFirstDescriptor) {
    TNyxFont& font = Font("63:1:2:3:4:5,65:5:6:7:8, 66: 1");
    ASSERT_EQ(font.CharDescs().size(), 3u);
    EXPECT_EQ(font.CharDescs()[1], (TCharDesc{65, 5, 6, 7, 8, 0}));
    EXPECT_EQ(font.CharDescs()[2], (TCharDesc{66, 1, 0, 0, 0, 0}));
    EXPECT_EQ(font.TextWidth(u"A"), 15);
    EXPECT_EQ(font.TextWidth(u"\u4E2D"), 12);
    font.DrawText(0, 0, 0, 255, u"\u4E2D");
    ASSERT_EQ(host->Batches.size(), 1u);
    EXPECT_EQ(host->Batches[0].Glyphs[0], (TCharRect{1, 2, 4, 17, 3, 0, 0, 255}));
}

TEST_F(NyxFonts, LaterDescriptorOfARepeatedCodeWinsAndExtraFieldsAreIgnored) {
    TNyxFont& font = Font("32:0:0:0:4:0,65:0:0:0:5:0,65:0:0:0:7:0:99:junk");
    EXPECT_EQ(font.CharIndex(u'A'), 2);
    EXPECT_EQ(font.TextWidth(u"A"), 7);
}

TEST_F(NyxFonts, BlankTextDrawsNothingButLeadingSpacesAdvance) {
    TNyxFont& font = Font("32:0:0:0:4:0,65:0:0:1:10:2");
    font.DrawText(10, 0, 0, 255, u"   ");
    font.DrawText(10, 0, 0, 255, u"");
    font.DrawText(10, 0, 0, 255, u"\t\r\n");
    EXPECT_TRUE(host->Batches.empty());

    font.DrawText(10, 0, 0, 255, u" A");
    ASSERT_EQ(host->Batches.size(), 1u);
    ASSERT_EQ(host->Batches[0].Glyphs.size(), 2u);
    EXPECT_EQ(host->Batches[0].Glyphs[0].X, 10);
    EXPECT_EQ(host->Batches[0].Glyphs[1].X, 15);
}

TEST_F(NyxFonts, LongTextIsDrawnInBatchesOfTheBufferSize) {
    TNyxFont& font = Font("65:0:0:0:2:0");
    const std::u16string text(7001, u'A');
    font.DrawText(0, 0, 0, 255, text);
    ASSERT_EQ(host->Batches.size(), 3u);
    EXPECT_EQ(host->Batches[0].Glyphs.size(), 3000u);
    EXPECT_EQ(host->Batches[1].Glyphs.size(), 3000u);
    EXPECT_EQ(host->Batches[2].Glyphs.size(), 1001u);
    EXPECT_EQ(host->Batches[1].Glyphs[0].X, 6000);
    EXPECT_EQ(host->Batches[2].Glyphs[0].X, 12000);
}

TEST_F(NyxFonts, MalformedMetricsAreErrorsAndKeepThePreviousTable) {
    TNyxFont& font = Font("65:0:0:1:10:2");
    const auto expectError = [&](const std::string& metrics, const std::string& message) {
        try {
            font.SetMetrics(metrics);
            ADD_FAILURE() << metrics;
        } catch (const Error& e) {
            EXPECT_EQ(e.what(), message) << metrics;
        }
        ASSERT_EQ(font.CharDescs().size(), 1u);
        EXPECT_EQ(font.TextWidth(u"A"), 13);
    };
    expectError("", "'' is not a valid integer value");
    expectError("65:0,", "'' is not a valid integer value");
    expectError("65::0", "'' is not a valid integer value");
    expectError("65:0 ", "'0 ' is not a valid integer value");
    expectError("65x", "'65x' is not a valid integer value");
    expectError("65536:0", "[TNyxFont.SetMetrics] Character code 65536 is outside 0..65535");
    expectError("-1", "[TNyxFont.SetMetrics] Character code -1 is outside 0..65535");
    expectError(std::string(65536, ','),
                "[TNyxFont.SetMetrics] 65537 characters are more than a font holds (65536)");
    EXPECT_THROW(engine.SetProperty(font.GetName(), "Height", "tall"), Error);
}

TEST_F(NyxFonts, FontWithoutMetricsMeasuresZeroAndDrawsNothing) {
    TNyxXMLTag element("Font", nullptr, "");
    element.AddTag("Name", "Empty");
    TNyxFont& font = *engine.LoadFont(element);
    EXPECT_EQ(font.TextWidth(u"AB"), 0);
    font.DrawText(0, 0, 0, 255, u"AB");
    EXPECT_TRUE(host->Batches.empty());
    EXPECT_EQ(engine.FindFont("Empty"), &font);
    EXPECT_TRUE(std::get<std::string>(engine.GetProperty("Empty", "Metrics")).empty());
}

TEST_F(NyxFonts, LoadsAFontDescriptionFromAStream) {
    const std::string xml = "<?xml version=\"1.0\"?>\r\n"
                            "<NyxFont>\r\n"
                            "\t<Name>Main</Name>\r\n"
                            "\t<Height>12</Height>\r\n"
                            "\t<Picture>NyxUnicode.png</Picture>\r\n"
                            "\t<Metrics>65:0:0:1:10:2,\r\n66:10:0:0:9:1</Metrics>\r\n"
                            "</NyxFont>\r\n";
    engine.LoadFromStream(TMemoryStream(xml));
    TNyxFont* font = engine.FindFont("Main");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetEngine(), &engine);
    EXPECT_EQ(font->Height, 12);
    EXPECT_EQ(font->Picture, "NyxUnicode.png");
    EXPECT_EQ(font->TextWidth(u"AB"), 23);
}

} // namespace
} // namespace qz

// Which character stands for a symbol byte: the Wingdings table compiled in, and the three rules
// that the screen, the PDFs and the workbook share.
#include "view/symbol_text.h"

#include <gtest/gtest.h>

#include <set>

namespace velmora {
namespace {

TEST(WingdingsEquivalentTest, EveryCodeFrom33HasItsOwnCharacter)
{
    std::set<char32_t> seen;
    for (int code = 0; code < 256; ++code) {
        const char32_t c = WingdingsEquivalent(static_cast<unsigned char>(code));
        if (code < 33) {
            EXPECT_EQ(c, 0u) << code;
            continue;
        }
        EXPECT_NE(c, 0u) << code;
        EXPECT_TRUE(seen.insert(c).second) << "code " << code << " shares U+" << std::hex << static_cast<unsigned>(c);
        EXPECT_FALSE(c >= 0xE000 && c <= 0xF8FF) << "code " << code << " is private use";
    }
    EXPECT_EQ(seen.size(), 223u);
    EXPECT_EQ(WingdingsEquivalent(0x6E), U'\u25FC');
    EXPECT_EQ(WingdingsEquivalent('!'), U'\U0001F589'); // beyond 16 bits
    // The two codes without an equivalent: two stand-ins of their own.
    EXPECT_EQ(WingdingsEquivalent(127), U'\u229E');
    EXPECT_EQ(WingdingsEquivalent(255), U'\u22A0');
}

TEST(SymbolCharacterTest, RulesOfTheThreeKindsOfFace)
{
    SymbolAreaGlyphs all;
    all.set();
    SymbolAreaGlyphs without252 = all;
    without252.reset(252);
    struct Case {
        const char* name;
        const char* face;
        int charset;
        SymbolAreaGlyphs installed;
        unsigned char code;
        char32_t expected;
    };
    const Case cases[] = {
        {"Wingdings missing: its equivalent", "Wingdings", kSymbolCharset, {}, 0xFC, U'\u2713'},
        {"letter case of the face does not matter", "WINGDINGS", kSymbolCharset, {}, 0x6E, U'\u25FC'},
        {"Wingdings in another character set", "Wingdings", kRussianCharset, {}, 0x6E, U'\u25FC'},
        {"Wingdings below 33: the code page", "Wingdings", kSymbolCharset, {}, ' ', U' '},
        {"the real Wingdings installed: its own glyph", "Wingdings", kSymbolCharset, all, 0xFC, U'\uF0FC'},
        {"installed without that glyph: the equivalent", "Wingdings", kSymbolCharset, without252, 0xFC, U'\u2713'},
        {"installed, but not in the symbol set", "Wingdings", kAnsiCharset, all, 0xFC, U'\u2713'},
        {"another symbol face installed", "Webdings", kSymbolCharset, all, 0x6E, U'\uF06E'},
        {"another symbol face missing: the code page", "Webdings", kSymbolCharset, {}, 0xC0, U'\u0410'},
        {"an ordinary font: the code page", "Arial", kRussianCharset, {}, 0xFC, U'\u044C'},
        {"an ordinary font with glyphs up there", "Arial", kRussianCharset, all, 0xFC, U'\u044C'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridFont font;
        font.name = c.face;
        font.charset = c.charset;
        EXPECT_EQ(SymbolCharacter(font, c.installed, c.code), c.expected);
    }
}

} // namespace
} // namespace velmora

#include "platform/Text.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

TEST(Text, EveryCp1252ByteSurvivesTheTripThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += char(b);
    const std::string utf8 = cp1252ToUtf8(all);
    EXPECT_EQ(utf8ToCp1252(utf8), all);
    // Each byte turns into one whole sequence: no stray continuation bytes.
    int leads = 0;
    for (const char c : utf8) leads += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    EXPECT_EQ(leads, 255);
}

TEST(Text, ShowsLatinLettersAndTheEuro) {
    EXPECT_EQ(cp1252ToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(utf8ToCp1252("\xE4\xB8\xAD\xC3"), "??"); // CJK and a cut-off sequence
}

TEST(Text, LowerExtensionTakesTheLastSuffix) {
    EXPECT_EQ(lowerExtension("dir.x/a.b.PNG"), "png");
    EXPECT_EQ(lowerExtension("noext"), "");
}

} // namespace
} // namespace zx

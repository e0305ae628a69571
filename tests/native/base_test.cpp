// The lossless UTF-16 conversion of the registry's texts.
#include "base/wide_text.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

TEST(WideText, EveryUnitComesBackAndWhatDoesNotFitIsRefused) {
    for (std::u16string text :
         {u""s, u"C:\\Données\\日本;C:\\B"s, u"\xD800 \xDC00\xFFFF"s, u"😀"s}) {
        char bytes[64];
        char16_t back[32];
        EXPECT_LE(0, WideToBytes(text.data(), text.size(), bytes, sizeof bytes));
        EXPECT_EQ(static_cast<long>(text.size()), BytesToWide(bytes, back, 32));
        EXPECT_TRUE(text == back) << bytes;
    }
    char small[6] = "x";
    char16_t wide[3] = u"x";
    EXPECT_EQ(-1, WideToBytes(u"日本", 2, small, sizeof small));
    EXPECT_EQ(-1, BytesToWide("abc", wide, 3));
    EXPECT_EQ(-1, BytesToWide("\xFF", wide, 3));
    EXPECT_EQ('\0', small[0] | wide[0]);
}

} // namespace

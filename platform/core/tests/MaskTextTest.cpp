#include <gtest/gtest.h>

#include "platform/core/MaskText.h"

namespace {

TEST(MaskText, LaysTheValueOutByTheMask) {
    struct Case {
        const char* mask;
        const char* value;
        const char* shown;
    } cases[] = {
        {"(999) 000-0000;0;_", "5551234567", "(555) 123-4567"},
        {"(999) 000-0000;1;_", "(555) 123-4567", "(555) 123-4567"},
        {"000-000;0;*", "12", "12*-***"},
        {">LL-0000;0;_", "ab1234", "AB-1234"},
        {"<LL>LL;0;_", "AbCd", "abCD"},
        {"!99/99/0000;0;_", "01022024", "01/02/2024"},
        {"\\A-00;0;_", "42", "A-42"},
        {"", "anything", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatMaskText(c.mask, c.value), c.shown) << c.mask;
}

}  // namespace

// GetErrorMessage: PC/SC's text for a code, or null when it has none.
#include "pelorn.h"

#include <PCSC/pcsclite.h>
#include <gtest/gtest.h>

#include <string>

TEST(GetErrorMessage, GivesACopyOfTheTextOrNull)
{
    struct Case {
        uint32_t code;
        const char *text; // null: no text
    } cases[] = {
        {0x8010002E, "Cannot find a smart card reader."},
        {0x80100069, "Card was removed."},
        {0x8010001D, "Service not available."},
        {0x00001234, nullptr},
    };
    for (const Case &c : cases) {
        char *text = GetErrorMessage(c.code);
        if (c.text == nullptr) {
            EXPECT_EQ(text, nullptr) << std::hex << c.code;
        } else {
            ASSERT_NE(text, nullptr) << std::hex << c.code;
            EXPECT_STREQ(text, c.text);
            EXPECT_NE(text, pcsc_stringify_error(static_cast<LONG>(c.code))); // the caller's own copy
        }
        zfree(text);
    }
}

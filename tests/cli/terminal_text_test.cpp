#include "cli/terminal_text.h"

#include <gtest/gtest.h>

using namespace tavrune;

TEST(TerminalText, ControlCharactersAreEscapedAndOnlyCrLfBreaksAMessage)
{
    const struct
    {
        QString text;
        QString escaped;
        QString message;
    } cases[] = {
        {u"/出力/a b\nc\rd\te\x1b[31m\x7f\u009b\x01"_qs,
         u"/出力/a b\\nc\\rd\\te\\x1b[31m\\x7f\\x9b\\x01"_qs,
         u"/出力/a b\\nc\\rd\\te\\x1b[31m\\x7f\\x9b\\x01"_qs},
        {u"line\r\nnext\r\n"_qs, u"line\\r\\nnext\\r\\n"_qs, u"line\nnext\n"_qs},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(escapeControlCharacters(c.text), c.escaped);
        EXPECT_EQ(terminalMessage(c.text), c.message);
    }
    // A listing doubles a backslash too, so that a line reads back to its texts.
    EXPECT_EQ(listingText(u"a\\n\n"_qs), u"a\\\\n\\n"_qs);
}

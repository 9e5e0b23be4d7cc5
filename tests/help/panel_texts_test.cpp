// The texts as the game carries them: lines ended by CRLF. The rules panels
// flow these lines into paragraphs (a line that ends a sentence ends its
// paragraph) and the information panel shows its lines centred, so where the
// breaks fall decides the paragraphs and the centred lines the player sees.
#include "panel_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using vimbo::help::englishRules;
using vimbo::help::infoText;
using vimbo::help::italianRules;

// Code points in a UTF-8 text; -1 if it is not valid UTF-8 (a literal that
// came out in another encoding would show up here).
long codePoints(std::string_view s) {
    long count = 0;
    for (size_t i = 0; i < s.size(); ++count) {
        const auto lead = static_cast<unsigned char>(s[i]);
        const size_t len = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : 0;
        if (len == 0 || i + len > s.size()) return -1;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return -1;
        i += len;
    }
    return count;
}

// The lines without their CRLF; a text whose last line lacks CRLF keeps it as
// an extra line, which the line counts then catch.
std::vector<std::string> linesOf(std::string_view text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The words themselves are compared with what the panels show in the window
// tests; here, what the panels rely on: valid UTF-8 (a literal that came out
// in another encoding shows up here), every line ended by CRLF and short
// enough for the flow, the English opening's one double blank, and the
// information text centred by one blank on each side.
TEST(PanelTexts, AreWholeLinesOfValidTextThatThePanelsCanFlow) {
    for (const auto text : {englishRules(), italianRules(), infoText()}) {
        SCOPED_TRACE(text.substr(0, 24));
        EXPECT_GT(codePoints(text), 0);
        EXPECT_TRUE(text.ends_with("\r\n"));
        for (const auto& line : linesOf(text)) {
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray CR or LF: " << line;
            EXPECT_LE(codePoints(line), 72) << line;
        }
    }
    EXPECT_EQ(englishRules().find("  "), std::string_view("Vimbo solitaire").size());
    EXPECT_EQ(englishRules().find("  ", 16), std::string_view::npos);
    EXPECT_EQ(italianRules().find("  "), std::string_view::npos);
    for (const auto& line : linesOf(infoText())) {
        EXPECT_EQ(line.find_first_not_of(' '), 1u) << line;
        EXPECT_EQ(line.size() - 1 - line.find_last_not_of(' '), 1u) << line;
    }
}

} // namespace

// The texts as the game carries them: lines ended by CRLF, of given counts and
// lengths. The rules panels flow these lines into paragraphs (a line that ends
// a sentence ends its paragraph) and the information panel shows its lines
// centred, so where the breaks fall decides the paragraphs and the centred
// lines the player sees. Characters are counted one per code point, CR and LF
// one each.
#include "panel_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
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

struct PanelText {
    const char* name;
    std::string_view text;
    size_t lines;
    long characters;
};

const PanelText kPanels[] = {
    {"English rules", englishRules(), 18, 983},
    {"Italian rules", italianRules(), 20, 1136},
    {"information", infoText(), 3, 77},
};

TEST(PanelTextsKeepTheirShape, LinesCharactersAndLineEnds) {
    for (const auto& panel : kPanels) {
        SCOPED_TRACE(panel.name);
        EXPECT_EQ(codePoints(panel.text), panel.characters);
        EXPECT_TRUE(panel.text.ends_with("\r\n"));
        const auto lines = linesOf(panel.text);
        EXPECT_EQ(lines.size(), panel.lines);
        for (const auto& line : lines) {
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray CR or LF: " << line;
            EXPECT_LE(codePoints(line), 72) << line;
        }
    }
}

TEST(PanelTextsKeepTheirShape, LengthIsWordsNotPaddingBlanks) {
    // The counts are met by wording; the only double blank is the one the
    // English opening has always had after "solitaire".
    EXPECT_EQ(std::string(englishRules()).find("  "), std::string("Vimbo solitaire").size());
    EXPECT_EQ(englishRules().find("  ", 16), std::string_view::npos);
    EXPECT_EQ(italianRules().find("  "), std::string_view::npos);
}

TEST(EnglishRules, KeepTheirQuotedLines) {
    const auto lines = linesOf(englishRules());
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_EQ(lines[0], "Vimbo solitaire  is an individual game that has good chance of ");
    EXPECT_TRUE(lines[1].starts_with("success for most experienced players."));
    EXPECT_EQ(lines[2], "The aim is to stack all the same suit playing cards in increasing ");
    EXPECT_EQ(lines[3], "order on each of four free places in playing field corners. ");
    EXPECT_EQ(lines[4], "When stacked, the cards can reused if it's necessary to do.");
    EXPECT_TRUE(lines[5].starts_with("On starting, the game puts 5 random cards in as many free "));
    EXPECT_NE(englishRules().find("\"short-long\" rule"), std::string_view::npos);
    EXPECT_EQ(lines[16], "For example, you can only move down 4 Bastoni (long suit) a 3 ");
    EXPECT_EQ(lines[17], "Denari (short suit) or 3 Coppe (short suit).");
}

TEST(ItalianRules, GiveTheExampleAndNameTheRule) {
    // Joined as the sentence reads: each line's trailing blank and break
    // become a single blank.
    std::string joined;
    for (auto line : linesOf(italianRules())) {
        while (line.ends_with(' '))
            line.pop_back();
        joined += (joined.empty() ? "" : " ") + line;
    }
    const std::string example = "sotto un quattro di Bastoni (quattro lungo) si potrà spostare un "
                                "tre di denari o un tre di coppe (tre corto).";
    const size_t at = joined.find(example);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(joined.find(example, at + 1), std::string::npos);
    EXPECT_TRUE(joined.ends_with(example));
    EXPECT_NE(joined.find("regola \"corto-lungo\""), std::string::npos);
    EXPECT_NE(joined.find("tutte e dieci le carte"), std::string::npos);
}

TEST(InfoText, NamesTheVersionAndMakerCentred) {
    const auto lines = linesOf(infoText());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], " Vimbo solitaire ver 3.2 ");
    EXPECT_NE(lines[1].find("Brennolt"), std::string::npos);
    for (const auto& line : lines) {
        const size_t before = line.find_first_not_of(' ');
        const size_t after = line.size() - 1 - line.find_last_not_of(' ');
        EXPECT_EQ(before, 1u) << line;
        EXPECT_EQ(after, 1u) << line;
    }
}

} // namespace

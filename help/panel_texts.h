// The texts of the three panels laid over the table: the rules in English and
// in Italian and the information text. Each is UTF-8, fixed for the whole run,
// and made of lines that each end in "\r\n", the last one included; the panels
// rely on these breaks alone (no line is longer than 72 characters), so the
// window only has to turn CRLF into its own line breaks for display.
#pragma once

#include <string_view>

namespace vimbo::help {

// Text2: 18 lines, 983 characters.
std::string_view englishRules();

// Text3: 20 lines, 1136 characters (accented letters count as one).
std::string_view italianRules();

// Text4: 3 lines, 77 characters; the window centres each line.
std::string_view infoText();

} // namespace vimbo::help

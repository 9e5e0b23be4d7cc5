// The texts of the three panels laid over the table: the rules in English and
// in Italian and the information text. Each is UTF-8, fixed for the whole run,
// and made of lines of at most 72 characters that each end in "\r\n", the last
// one included. The rules panels do not show these breaks: they flow the text
// as paragraphs wrapped to the panel's width, a line that ends a sentence
// ending its paragraph. Only the information text keeps its lines, centred.
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

// The 40 cards of the Italian deck and the few facts the rules need about them.
// A card is named by its value 1..40: coins 1..10, cups 11..20, clubs 21..30,
// swords 31..40; within a suit ace, 2..7, knave, knight, king. 0 means "no card".
#pragma once

#include <cstdint>

namespace vimbo {

using CardValue = std::int16_t;

inline constexpr CardValue kNoCard = 0;
inline constexpr int kCardCount = 40;
inline constexpr int kSuitSize = 10;

// The rules look at remainders rather than suit and rank: v mod 10 = 1 is an
// ace, 9 a nine, 0 a king.
constexpr bool isAce(int card) {
    return card % kSuitSize == 1;
}
constexpr bool isNine(int card) {
    return card % kSuitSize == 9;
}
constexpr bool isKing(int card) {
    return card != kNoCard && card % kSuitSize == 0;
}
constexpr bool isCard(int card) {
    return card >= 1 && card <= kCardCount;
}

// 0 coins, 1 cups, 2 clubs, 3 swords; rank 1 (ace) .. 10 (king). For naming and
// drawing cards only.
constexpr int suitOf(int card) {
    return (card - 1) / kSuitSize;
}
constexpr int rankOf(int card) {
    return (card - 1) % kSuitSize + 1;
}

// Floor of v / 20: 0 for the short suits (coins, cups), 1 for the long ones
// (clubs, swords) - except the kings, which straddle the boundary (10 -> 0,
// 20 and 30 -> 1, 40 -> 2). The tableau rule copes with that by looking at a
// king lying on a cell as "value minus one".
constexpr int LengthGroup(int card) {
    return card >= 0 ? card / 20 : (card - 19) / 20;
}

} // namespace vimbo

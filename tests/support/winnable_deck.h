// A game that can be won in a straight line: the four aces and the king of
// swords dealt, the stock holding every other card suit by suit in rank order.
#pragma once

#include <vector>

namespace vimbo::testing {

// Deal: top ace of coins, left ace of cups, centre king of swords, right ace
// of clubs, bottom ace of swords; stock: coins 2..K, cups 2..K, clubs 2..K,
// swords 2..9.
inline std::vector<int> winnableDeck() {
    std::vector<int> order{1, 11, 40, 21, 31};
    for (int suit = 0; suit < 4; ++suit)
        for (int rank = 2; rank <= (suit == 3 ? 9 : 10); ++rank)
            order.push_back(suit * 10 + rank);
    return order;
}

} // namespace vimbo::testing

// The facts that hold between any two moves of a game. Random-play tests check
// them after every step; a non-empty result names the first one broken.
#pragma once

#include "game.h"

#include <string>

namespace vimbo {

// Every card in exactly one place (parked, waste pile, or one slot), at the
// picture place that matches; stacks contiguous from slot 1 with slot 0 empty;
// foundations built ace upward in one suit, their aces locked and nothing else
// locked; every tableau card above slot 1 fits on the one beneath; the front
// picture of a cell or the waste pile is its top card.
std::string checkInvariants(const Game& game);

} // namespace vimbo

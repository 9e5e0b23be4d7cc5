// The winnable game played with the mouse: 40 drags and 35 stock clicks.
#pragma once

#include "window_fixture.h"
#include "winnable_deck.h"

namespace vimbo::testing {

// Foundation of each suit: coins top-left, cups top-right, clubs bottom-left,
// swords bottom-right.
inline Cell foundationOf(int card) {
    static const Cell corners[4] = {{1, 1}, {3, 1}, {1, 3}, {3, 3}};
    return corners[(card - 1) / 10];
}

// Plays the whole game with the mouse; the last drop (the king of swords)
// brings up the question. The king is let go near the far corner of its cell,
// so that it hangs well off the foundation until the rule puts it there.
inline void playToTheEnd(WindowFixture& f) {
    for (int ace : {1, 11, 21, 31})
        f.dragToCell(ace, foundationOf(ace).column, foundationOf(ace).row);
    for (int turn = 0; turn < 35; ++turn) {
        f.pressTable(Qt::LeftButton, 360, 280);
        const int card = f.form->game.WastePile.back();
        f.dragToCell(card, foundationOf(card).column, foundationOf(card).row);
    }
    f.drag(40, 5, 5, 245, 325); // the picture's corner at (239, 319)
}

} // namespace vimbo::testing

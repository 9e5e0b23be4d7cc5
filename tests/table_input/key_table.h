// A table played through the keys and the mouse's gestures with the window's
// part as plain data: the pictures go where the game says whenever the card
// handling asks the window to show the model, the sounds are logged.
#pragma once

#include "table_keys.h"
#include "winnable_deck.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vimbo::testing {

// The given cards first, in dealing order, then the rest of the deck in order.
inline std::vector<int> deckStarting(std::vector<int> first) {
    for (int v = 1; v <= kCardCount; ++v)
        if (std::find(first.begin(), first.end(), v) == first.end()) first.push_back(v);
    return first;
}

struct Table : TableView {
    Game game;
    CardHandling hand{game, *this};
    TableKeys keys{game, hand};
    std::array<Point, kCardCount + 1> at{};
    std::vector<std::string> sounds;
    int wins = 0;

    explicit Table(std::vector<int> deck = winnableDeck())
        : game(std::make_unique<ScriptedDraws>(std::move(deck))) {
        game.Finale = [this] { ++wins; };
        game.parkAllCards();
        game.showStock();
        game.Mescola();
        showModel();
    }

    Point pictureAt(CardValue card) const override { return at[card]; }
    void movePicture(CardValue card, Point place) override { at[card] = place; }
    void raisePicture(CardValue) override {}
    void showModel() override {
        for (int v = 1; v <= kCardCount; ++v)
            at[v] = game.pictures[v].place;
    }
    void HidePanels() override {}
    void PlayCardRustle() override { sounds.push_back("rustle"); }
    void PlayClickRustle() override { sounds.push_back("click"); }

    // The mouse: grab the card's middle, drag it over the point, let go; a
    // click follows when the card then lies under the pointer.
    void drag(CardValue card, Point to) {
        hand.Carta_MouseDown(card, MouseButton::Left, 31, 51);
        hand.Carta_MouseMove(card, to.left - at[card].left, to.top - at[card].top);
        hand.Carta_MouseUp(card, MouseButton::Left, to.left - at[card].left, to.top - at[card].top);
        const int x = to.left - at[card].left, y = to.top - at[card].top;
        if (x >= 0 && x < kCardWidth && y >= 0 && y < kCardHeight) hand.Carta_Click(card);
    }

    // The keys: arrows to the place (down to the bottom row first when the
    // waste pile or the stock is wanted), then Space.
    KeyOutcome go(Cell to) {
        walk(to);
        return keys.press(TableKey::Act);
    }
    void walk(Cell to) {
        while (keys.cursor().column > kGridSize && keys.cursor() != to)
            keys.press(TableKey::Left);
        const int row = to.column > kGridSize ? kGridSize : to.row;
        while (keys.cursor().row != row)
            keys.press(keys.cursor().row < row ? TableKey::Down : TableKey::Up);
        while (keys.cursor().column != to.column)
            keys.press(keys.cursor().column < to.column ? TableKey::Right : TableKey::Left);
    }
    KeyOutcome carry(Cell from, Cell to) {
        go(from);
        return go(to);
    }
};

} // namespace vimbo::testing

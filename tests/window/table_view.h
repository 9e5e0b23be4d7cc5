// Whether the window shows the game exactly as the model holds it: every card
// picture at its place, locked when the card is, the card in front at each
// place the top of that cell or of the waste pile, the stock shown while it
// holds cards.
#pragma once

#include "window_fixture.h"

#include <sstream>

namespace vimbo::testing {

// The card whose picture lies in front at `place`, 0 for none.
inline int frontCardAt(const Form1& form, Point place) {
    const QObjectList& order = form.table->children();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const auto* card = qobject_cast<const CardWidget*>(*it);
        if (card && card->pos() == QPoint(place.left, place.top)) return card->card();
    }
    return 0;
}

// "" when the window agrees with the model, else the first difference.
// `dragged`: a card held by the pointer, whose picture is where the pointer put
// it; the place it came from is then not looked at either.
inline std::string differenceFromGame(const Form1& form, CardValue dragged = kNoCard) {
    const Game& g = form.game;
    std::ostringstream out;
    for (int v = 1; v <= kCardCount && out.str().empty(); ++v) {
        if (v == dragged) continue;
        const CardWidget* picture = form.Carta[v];
        const Point place = g.pictures[v].place;
        if (picture->pos() != QPoint(place.left, place.top))
            out << "card " << v << " shown at " << picture->pos().x() << "," << picture->pos().y()
                << ", its place is " << place.left << "," << place.top;
        else if (!picture->isHidden() && picture->isEnabled() != g.pictures[v].enabled)
            out << "card " << v << (g.pictures[v].enabled ? " is locked" : " is not locked");
    }
    if (!out.str().empty()) return out.str();
    if (form.table->Mazzo.visible != g.stockVisible) return "the stock picture is wrong";
    if (dragged != kNoCard) return {};

    for (int c = 1; c <= kGridSize; ++c)
        for (int r = 1; r <= kGridSize; ++r) {
            const CardValue top = g.topCard(c, r);
            const int front = frontCardAt(form, CellOrigin(c, r));
            if (top != kNoCard && front != top)
                return "cell " + std::to_string(c) + "," + std::to_string(r) + " shows " +
                       std::to_string(front) + " in front of its top " + std::to_string(top);
        }
    const int front = frontCardAt(form, kWastePilePlace);
    if (!g.WastePile.empty() && front != g.WastePile.back())
        return "the waste pile shows " + std::to_string(front) + " in front of " +
               std::to_string(g.WastePile.back());
    return {};
}

} // namespace vimbo::testing

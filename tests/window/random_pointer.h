// A player who knows nothing of the rules and plays the real window with the
// mouse: presses, moves and releases of the left, right and middle buttons
// anywhere in and around the window, double clicks, and now and then a menu
// command. It leans toward the cards, the cells that would take them and the
// stock, so that real drags, accepted moves and a used-up stock come often.
// After every release the model keeps its invariants and the window shows
// the game exactly as the model holds it; check() names the first failure.
#pragma once

#include "invariants.h"
#include "table_view.h"

#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <deque>
#include <optional>
#include <random>
#include <sstream>

namespace vimbo::testing {

// QTest warns at every event beyond the window's right or bottom edge, and the
// offscreen platform notes what it cannot do for a menu; the player goes there
// on purpose, a hundred thousand times.
inline void quietenPointerWarnings() {
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (type == QtWarningMsg && (text.contains("occurs outside target window") ||
                                         text.startsWith("This plugin does not support")))
                return;
            previous(type, context, text);
        });
}

// A different deck at every deal, the same decks again for the same seed.
class DealSequence final : public RandomSource {
public:
    explicit DealSequence(std::uint64_t seed) : m_seed(seed) {}
    void reseed() override { m_engine.seed(m_seed * 1'000'003 + ++m_deals); }
    double uniform() override { return std::uniform_real_distribution<double>(0, 1)(m_engine); }

private:
    std::uint64_t m_seed;
    std::uint64_t m_deals = 0;
    std::mt19937_64 m_engine;
};

struct PlayCounts {
    long pointerEvents = 0; // presses, moves and releases sent to the window
    long presses = 0;
    long moves = 0;
    long releases = 0;
    long menuCommands = 0;
    long drops = 0;       // left releases that ended a drag
    long accepted = 0;    // drops a rule took
    long takenBack = 0;   // accepted drops of a card that lay on a foundation
    long stockTurns = 0;  // cards turned from the stock
    long stockUsedUp = 0; // times the fortieth card came out
    long wins = 0;
    long newGames = 0; // from "Shuffle cards"
};

class RandomPointer {
public:
    RandomPointer(WindowFixture& f, std::uint64_t seed) : m_f(f), m_rng(seed) {
        // The question after a won game, or a scroll bar's own menu on a rules
        // panel, waits in a loop of its own: answer it as a player would.
        QObject::connect(&m_answerer, &QTimer::timeout, &m_answerer, [this] { answer(); });
        m_answerer.start(20);
    }
    ~RandomPointer() { letGo(); }
    RandomPointer(const RandomPointer&) = delete;
    RandomPointer& operator=(const RandomPointer&) = delete;

    // Plays on until `pointerEvents` events have been sent in all, checking
    // after every release; "" or what broke, at which step, after which steps.
    std::string playUntil(long pointerEvents) {
        while (counts.pointerEvents < pointerEvents) {
            ++m_steps;
            bool afterRelease = false;
            const std::string what = step(afterRelease);
            if (!afterRelease) continue;
            const std::string broken = check();
            if (broken.empty()) continue;
            return "step " + std::to_string(m_steps) + ", pointer event " +
                   std::to_string(counts.pointerEvents) + " (" + what + "): " + broken +
                   "\n  last steps:" + recent();
        }
        return {};
    }

    // Releases every button still held, where the pointer is.
    void letGo() {
        while (!m_held.empty())
            release(m_held.back(), m_pos);
    }

    // "" when the model keeps its invariants and the window shows it; else
    // the first failure.
    std::string check() const;

    PlayCounts counts;
    bool menuNewGames = true; // whether the random menu commands include "Shuffle cards"

private:
    Form1& form() const { return *m_f.form; }
    const Game& game() const { return m_f.form->game; }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }

    // One pointer event, a double click or a menu command; returns what it
    // did. `afterRelease` says whether the step ended with a release or a command.
    std::string step(bool& afterRelease) {
        afterRelease = true;
        std::string what = m_held.empty() ? idleStep(afterRelease) : heldStep(afterRelease);
        if (m_f.log.size() > 256) m_f.log.clear(); // nobody reads the sound log here
        m_recent.push_back(what);
        if (m_recent.size() > 12) m_recent.pop_front();
        return what;
    }
    std::string recent() const {
        std::string out;
        for (const std::string& s : m_recent)
            out += "\n    " + s;
        return out;
    }

    std::string idleStep(bool& afterRelease);
    std::string heldStep(bool& afterRelease);
    std::string press(Qt::MouseButton button, QPoint at);
    std::string release(Qt::MouseButton button, QPoint at);
    std::string move(QPoint at);
    std::string doubleClick(QPoint at);
    std::string menuCommand();
    void answer();

    Qt::MouseButton someButton();
    QPoint pressPoint();
    QPoint dropPoint();
    QPoint anywhere();
    QPoint onCard(CardValue card);
    QPoint inCell(Cell cell);
    QPoint toWindow(QPoint tablePoint) const { return m_f.onTable(tablePoint.x(), tablePoint.y()); }
    std::vector<CardValue> pressableCards() const;
    bool onFoundation(CardValue card) const {
        const Point place = game().pictures[card].place;
        const Cell cell = CellAtPoint(place.left, place.top);
        return isGridCell(cell.column, cell.row) && isFoundationCell(cell.column, cell.row);
    }
    std::optional<Cell> takerOf(CardValue card);
    bool takes(Cell cell, CardValue card) const;
    std::string describe(const char* what, Qt::MouseButton button, QPoint at) const;
    void countStockTurns(int dealtBefore) {
        const int dealt = game().NextDealPosition;
        if (dealtBefore < 5 || dealt <= dealtBefore) return; // nothing turned, or a new deal
        counts.stockTurns += dealt - dealtBefore;
        if (dealt == kCardCount) ++counts.stockUsedUp;
    }

    WindowFixture& m_f;
    std::mt19937_64 m_rng;
    QTimer m_answerer;
    std::vector<Qt::MouseButton> m_held; // in the order pressed
    QPoint m_pos;                        // the pointer, in window coordinates
    std::deque<std::string> m_recent;
    long m_steps = 0;
};

// ---- What the player does -----------------------------------------------------

inline std::string RandomPointer::idleStep(bool& afterRelease) {
    const int roll = pick(1000);
    if (roll < 4) return menuCommand();
    if (roll < 16) return doubleClick(pressPoint());
    afterRelease = false;
    if (roll < 380) return move(pick(2) ? anywhere() : pressPoint());
    return press(someButton(), pressPoint());
}

inline std::string RandomPointer::heldStep(bool& afterRelease) {
    const int roll = pick(100);
    // A menu command from the keyboard while the mouse is held down.
    if (roll == 0 && pick(2) == 0) return menuCommand();
    // A button pressed on no card is mostly let go where it went down: a click.
    const bool click = !form().cardHandling().Dragging && pick(4) != 0;
    if (roll < 40) {
        const Qt::MouseButton button = m_held[pick(static_cast<int>(m_held.size()))];
        return release(button, click ? m_pos : dropPoint());
    }
    afterRelease = false;
    if (roll < 44) {
        const Qt::MouseButton button = someButton();
        if (std::find(m_held.begin(), m_held.end(), button) == m_held.end())
            return press(button, pick(2) ? m_pos : dropPoint());
    }
    return move(click ? m_pos + QPoint(pick(5) - 2, pick(5) - 2) : dropPoint());
}

inline Qt::MouseButton RandomPointer::someButton() {
    const int roll = pick(20);
    return roll < 14 ? Qt::LeftButton : roll < 17 ? Qt::RightButton : Qt::MiddleButton;
}

inline std::string RandomPointer::press(Qt::MouseButton button, QPoint at) {
    QTest::mousePress(m_f.window(), button, {}, at);
    m_held.push_back(button);
    m_pos = at;
    ++counts.presses;
    ++counts.pointerEvents;
    return describe("press", button, at);
}

inline std::string RandomPointer::release(Qt::MouseButton button, QPoint at) {
    const Game& g = game();
    const bool dropping = button == Qt::LeftButton && form().cardHandling().Dragging;
    const bool fromFoundation =
        isGridCell(g.SourceColumn, g.SourceRow) && isFoundationCell(g.SourceColumn, g.SourceRow);
    const int dealtBefore = g.NextDealPosition;
    const std::string what = describe("release", button, at) +
                             (dropping ? " dropping " + std::to_string(g.DraggedCard) : "");
    QTest::mouseRelease(m_f.window(), button, {}, at);
    m_held.erase(std::find(m_held.begin(), m_held.end(), button));
    m_pos = at;
    ++counts.releases;
    ++counts.pointerEvents;
    if (dropping) {
        ++counts.drops;
        if (g.CardPlaced) ++counts.accepted;
        if (g.CardPlaced && fromFoundation) ++counts.takenBack;
    }
    countStockTurns(dealtBefore);
    return what;
}

inline std::string RandomPointer::move(QPoint at) {
    QTest::mouseMove(m_f.window(), at);
    m_pos = at;
    ++counts.moves;
    ++counts.pointerEvents;
    return describe("move", Qt::NoButton, at);
}

inline std::string RandomPointer::doubleClick(QPoint at) {
    const int dealtBefore = game().NextDealPosition;
    const Qt::MouseButton button = pick(4) ? Qt::LeftButton : someButton();
    QTest::mouseDClick(m_f.window(), button, {}, at);
    m_pos = at;
    counts.presses += 2;
    counts.releases += 2;
    counts.pointerEvents += 4;
    countStockTurns(dealtBefore);
    return describe("double click", button, at);
}

inline std::string RandomPointer::menuCommand() {
    ++counts.menuCommands;
    Form1& f = form();
    switch (pick(menuNewGames ? 7 : 6)) {
    case 0:
        f.menu_rules_english->trigger();
        return "menu English";
    case 1:
        f.menu_rules_italiano->trigger();
        return "menu Italiano";
    case 2:
        f.menu_about->trigger();
        return "menu Info";
    case 3:
        f.menu_card_rustle->trigger();
        return "menu Card rustle";
    case 4:
        f.Option_music->trigger();
        return "menu Music";
    case 5:
        // Opening "&Options" and leaving it without a choice.
        f.menu_options->popup(f.mapToGlobal(QPoint(60, 0)));
        f.menu_options->close();
        return "menu Options opened and closed";
    default:
        if (f.Nuova->isEnabled()) ++counts.newGames;
        f.Nuova->trigger();
        return "menu Shuffle cards";
    }
}

inline void RandomPointer::answer() {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        ++counts.wins;
        box->button(QMessageBox::Yes)->click();
    } else if (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
    }
}

// ---- Where the pointer goes ---------------------------------------------------

inline QPoint RandomPointer::pressPoint() {
    const int roll = pick(100);
    const std::vector<CardValue> cards = pressableCards();
    if (roll < 50 && !cards.empty()) {
        // Most often a card that a foundation would take, so that games get
        // far enough for foundations to grow and give cards back.
        CardValue card = cards[pick(static_cast<int>(cards.size()))];
        for (CardValue c : cards) {
            const std::optional<Cell> taker = takerOf(c);
            if (pick(3) != 0 && taker && isFoundationCell(taker->column, taker->row)) card = c;
        }
        // And now and then the top of a foundation, to take it back.
        for (CardValue c : cards)
            if (pick(8) == 0 && onFoundation(c)) card = c;
        return onCard(card);
    }
    if (roll < 58) return onCard(static_cast<CardValue>(1 + pick(kCardCount)));
    if (roll < 84)
        return toWindow({kStockPlace.left + pick(kFaceWidth), kStockPlace.top + pick(kFaceHeight)});
    if (roll < 92) return inCell({1 + pick(kGridSize), 1 + pick(kGridSize)});
    return anywhere();
}

// While a card is held: over a cell that takes it half of the time.
inline QPoint RandomPointer::dropPoint() {
    const int roll = pick(100);
    const bool dragging = form().cardHandling().Dragging;
    if (dragging && roll < 50) {
        if (const std::optional<Cell> cell = takerOf(game().DraggedCard)) return inCell(*cell);
    }
    if (roll < 80) return inCell({1 + pick(kGridSize), 1 + pick(kGridSize)});
    return anywhere();
}

// Anywhere in or around the window but on the menu bar (the menus are used
// through their commands); now and then far away.
inline QPoint RandomPointer::anywhere() {
    if (pick(50) == 0) return {pick(2) ? -3000 : 3000, pick(2) ? -2000 : 2000};
    const int menuBarBottom = toWindow({0, 0}).y();
    const int x = pick(560) - 80;
    int y = pick(560) - 80;
    if (y >= 0 && y < menuBarBottom) y = menuBarBottom + pick(400);
    return {x, y};
}

inline QPoint RandomPointer::onCard(CardValue card) {
    const QPoint corner = m_f.cardPos(card);
    return toWindow(corner + QPoint(pick(kCardWidth), pick(kCardHeight)));
}

// A point whose drop cell is `cell`: the drop looks one pixel up and left of
// the pointer (the card's border).
inline QPoint RandomPointer::inCell(Cell cell) {
    return toWindow({(cell.column - 1) * kHitColumnWidth + pick(kHitColumnWidth) + 1,
                     (cell.row - 1) * kHitRowHeight + pick(kHitRowHeight) + 1});
}

inline std::vector<CardValue> RandomPointer::pressableCards() const {
    std::vector<CardValue> cards;
    for (int c = 1; c <= kGridSize; ++c)
        for (int r = 1; r <= kGridSize; ++r) {
            const CardValue top = game().topCard(c, r);
            if (top != kNoCard && game().pictures[top].enabled) cards.push_back(top);
        }
    if (!game().WastePile.empty()) cards.push_back(game().WastePile.back());
    return cards;
}

inline bool RandomPointer::takes(Cell cell, CardValue card) const {
    const int height = game().TopSlot(cell.column, cell.row);
    const CardValue top = game().topCard(cell.column, cell.row);
    if (height == kSlots || game().pictures[card].place == CellOrigin(cell.column, cell.row))
        return false;
    if (isFoundationCell(cell.column, cell.row))
        return top == kNoCard ? isAce(card) : card == top + 1;
    return top == kNoCard || fitsOnTableau(top, card);
}

// A cell that would take the card, foundations first.
inline std::optional<Cell> RandomPointer::takerOf(CardValue card) {
    if (!isCard(card)) return std::nullopt;
    std::optional<Cell> tableau;
    for (int c = 1; c <= kGridSize; ++c)
        for (int r = 1; r <= kGridSize; ++r) {
            if (!takes({c, r}, card)) continue;
            if (isFoundationCell(c, r)) return Cell{c, r};
            if (!tableau || pick(2)) tableau = Cell{c, r};
        }
    return tableau;
}

inline std::string RandomPointer::describe(const char* what, Qt::MouseButton button,
                                           QPoint at) const {
    std::ostringstream out;
    out << what;
    if (button != Qt::NoButton)
        out << (button == Qt::LeftButton    ? " left"
                : button == Qt::RightButton ? " right"
                                            : " middle");
    const QPoint t = form().table->mapFrom(&form(), at);
    out << " at table " << t.x() << "," << t.y();
    return out.str();
}

// ---- What must hold after every release -----------------------------------------

inline std::string RandomPointer::check() const {
    const std::string broken = checkInvariants(game());
    if (!broken.empty()) return "model: " + broken;
    const bool dragging = form().cardHandling().Dragging;
    if (dragging && std::find(m_held.begin(), m_held.end(), Qt::LeftButton) == m_held.end())
        return "a card is still dragged with no left button held";
    // While a card is dragged only its picture knows where it is.
    return differenceFromGame(form(), dragging ? game().DraggedCard : kNoCard);
}

} // namespace vimbo::testing

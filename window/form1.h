// Form1: the game's one window. It builds the table, the 40 card pictures, the
// panels and the menus, and holds the handlers under the names the game has
// always used. Handlers stay short: they ask the game (vimbo::Game) what
// happens and then show the cards where the game says they lie.
#pragma once

#include "card_handling.h"
#include "card_widget.h"
#include "game.h"
#include "game_sounds.h"
#include "table_surface.h"
#include "text_panels.h"
#include "title_wait.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QMenu;
class QAction;

namespace vimbo {

class TableKeyboard;

// What the window takes from outside. Everything has a default for the real
// game; tests replace the chance, the clock, the sound and the exit.
struct Form1Options {
    std::unique_ptr<RandomSource> random;
    TitleWait::Clock clock;
    sound::SoundDevice* music = nullptr;  // MMC1; silent when not given
    sound::SoundDevice* rustle = nullptr; // MMCw; silent when not given
    std::string programFolder;            // where the sound files lie
    std::function<void(int)> endProgram;  // ends the program with a status
};

class Form1 : public QMainWindow, private TableView {
    Q_OBJECT
public:
    using Options = Form1Options;

    Form1();
    explicit Form1(Options options);
    ~Form1() override;

    // The window's outer size, frame included, on every screen.
    static constexpr int kOuterSize = 400;

    Game game;

    // The controls, under their names.
    std::array<CardWidget*, kCardCount + 1> Carta{}; // index = card value
    TableSurface* table = nullptr;                   // Image1, Shape1, Mazzo
    help::Panels* panels = nullptr;                  // Text2, Text3, Text4
    QMenu* partita = nullptr;
    QAction* Nuova = nullptr;
    QAction* esci = nullptr;
    QMenu* menu_options = nullptr;
    QAction* menu_card_rustle = nullptr;
    QAction* Option_music = nullptr;
    QMenu* guida = nullptr;
    QAction* menu_rules_english = nullptr;
    QAction* menu_rules_italiano = nullptr;
    QAction* menu_about = nullptr;

    sound::GameSounds& sounds() { return *m_sounds; }
    TitleWait& titleWait() { return *m_titleWait; }

    // Start-up, new game and exit.
    void Form_Load();
    void Form_Activate();
    void Nuova_Click();
    void esci_Click();
    void Form_Unload();

    // The menus.
    void menu_options_Click();
    void menu_card_rustle_Click();
    void Option_music_Click();

    // Every gesture on the table (the mouse's and the keys') goes this one
    // way to the rules: the cards, the stock, the bare table.
    CardHandling& cardHandling() { return m_cards; }
    const CardHandling& cardHandling() const { return m_cards; }
    // The end of a won game.
    void Finale();
    const TableKeyboard& keyboard() const { return *m_keyboard; }

    // Puts every card picture and the stock where the game says they are.
    void showModel() override;
    // Whether the program has been told to end: no game handler runs after that.
    bool hasEnded() const { return m_cards.ended(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildMenus();
    void buildCards();
    void centreOnScreen();
    void fitToFrame();
    void endTitle();
    void layOutTable();
    void endProgram(int status);
    void connectCards();

    // What the card handling borrows from the window.
    Point pictureAt(CardValue card) const override;
    void movePicture(CardValue card, Point place) override;
    void raisePicture(CardValue card) override;
    void HidePanels() override;
    void PlayCardRustle() override;
    void PlayClickRustle() override;

    Options m_options;
    std::unique_ptr<sound::SoundDevice> m_silentMusic;
    std::unique_ptr<sound::SoundDevice> m_silentRustle;
    std::unique_ptr<sound::GameSounds> m_sounds;
    TitleWait* m_titleWait = nullptr;
    TableKeyboard* m_keyboard = nullptr; // the keys' glue, and what assistive tools are told
    CardHandling m_cards{game, *this};
    std::array<std::uint32_t, kCardCount + 1> m_shownZ{};
    bool m_activated = false;
    bool m_fitting = false;
    bool m_unloaded = false;
};

} // namespace vimbo

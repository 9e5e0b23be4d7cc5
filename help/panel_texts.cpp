#include "panel_texts.h"

// One literal per line, so the file reads the way the panel shows it. Trailing
// blanks are part of the texts: the rules were laid out with a blank after
// most sentences, and the character counts include them. The English keeps
// the voice it has always had, typos included ("the cards can reused").

namespace vimbo::help {

namespace {

constexpr std::string_view kEnglishRules =
    "Vimbo solitaire  is an individual game that has good chance of \r\n"
    "success for most experienced players.\r\n"
    "The aim is to stack all the same suit playing cards in increasing \r\n"
    "order on each of four free places in playing field corners. \r\n"
    "When stacked, the cards can reused if it's necessary to do.\r\n"
    "On starting, the game puts 5 random cards in as many free \r\n"
    "places of the table, forming the plus shaped figure of the game. \r\n"
    "The remaining cards are not shown, they stay in the deck \r\n"
    "and can be played one at a time. \r\n"
    "Every card that is shown can be played, that is moved. \r\n"
    "Besides building the suits, a move goes onto a place \r\n"
    "already taken by other cards of the figure, \r\n"
    "or onto an empty one. \r\n"
    "Any card can be moved onto an empty place, while a move onto \r\n"
    "other cards of the figure is allowed only in decreasing order \r\n"
    "by one unit, following the \"short-long\" rule. \r\n"
    "For example, you can only move down 4 Bastoni (long suit) a 3 \r\n"
    "Denari (short suit) or 3 Coppe (short suit).\r\n";

// The source file is UTF-8 and so are the literals: each accented letter is
// two bytes here but one character on the panel.
constexpr std::string_view kItalianRules =
    "Il solitario Vimbo è un gioco individuale che offre buone probabilità \r\n"
    "di riuscita, specie ai giocatori più esperti. \r\n"
    "Lo scopo è impilare in ordine crescente tutte e dieci le carte di \r\n"
    "ciascun seme su ognuno dei quattro posti liberi agli angoli del \r\n"
    "campo di gioco. \r\n"
    "Una volta impilate, le carte si possono riutilizzare \r\n"
    "se è necessario. \r\n"
    "All'inizio il gioco mette cinque carte a caso su altrettanti posti \r\n"
    "liberi del tavolo, formando così la figura a croce del gioco. \r\n"
    "Le carte rimanenti restano coperte nel mazzo e si possono giocare \r\n"
    "una alla volta. \r\n"
    "Ogni carta scoperta si può giocare, cioè spostare. \r\n"
    "Oltre che per comporre i semi, una mossa può andare su un posto \r\n"
    "della figura già occupato da altre carte oppure su un posto vuoto. \r\n"
    "Su un posto vuoto si può spostare qualsiasi carta, mentre sulle \r\n"
    "altre carte della figura lo spostamento è consentito soltanto in \r\n"
    "ordine decrescente di una unità, secondo la regola \"corto-lungo\": \r\n"
    "una carta corta su una lunga, una lunga su una corta. \r\n"
    "Per esempio, sotto un quattro di Bastoni (quattro lungo) si potrà \r\n"
    "spostare un tre di denari o un tre di coppe (tre corto).\r\n";

// A blank on each side of every line, so the centred lines sit as a block.
constexpr std::string_view kInfoText = " Vimbo solitaire ver 3.2 \r\n"
                                       " Copyright (c) Brennolt \r\n"
                                       " Every right reserved \r\n";

} // namespace

std::string_view englishRules() {
    return kEnglishRules;
}
std::string_view italianRules() {
    return kItalianRules;
}
std::string_view infoText() {
    return kInfoText;
}

} // namespace vimbo::help

#include "form1.h"

#include "accessible_places.h"
#include "art.h"
#include "table_keyboard.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <numeric>

namespace vimbo {

namespace {

// Foundation outline i lies on corner i: top-left, top-right, bottom-left,
// bottom-right; the outline is a card's height but two pixels narrower.
QRect outlineRect(int i) {
    return {(i % 2) * 160 + 20, (i / 2) * 220 + 10, kFaceWidth, kCardHeight};
}

QRect stockRect() {
    return {QPoint(kStockPlace.left, kStockPlace.top), art::kFaceSize};
}

// A checkable menu entry flips its own mark before telling us; the game wants
// to set the mark itself, in its own order with the sound command.
void undoAutomaticToggle(QAction* action) {
    const QSignalBlocker block(action);
    action->setChecked(!action->isChecked());
}

} // namespace

Form1::Form1() : Form1(Options{}) {}

Form1::Form1(Options options) : m_options(std::move(options)) {
    if (m_options.random) game.setRandomSource(std::move(m_options.random));
    if (!m_options.clock) m_options.clock = TitleWait::steadyClock();
    if (m_options.programFolder.empty())
        m_options.programFolder = QCoreApplication::applicationDirPath().toStdString();
    if (!m_options.endProgram)
        m_options.endProgram = [](int status) { QCoreApplication::exit(status); };
    if (!m_options.music) {
        m_silentMusic = std::make_unique<sound::SilentDevice>();
        m_options.music = m_silentMusic.get();
    }
    if (!m_options.rustle) {
        m_silentRustle = std::make_unique<sound::SilentDevice>();
        m_options.rustle = m_silentRustle.get();
    }
    m_sounds = std::make_unique<sound::GameSounds>(*m_options.music, *m_options.rustle,
                                                   m_options.programFolder);
    m_options.music->Done = [this] { m_sounds->MMC1_Done(); };
    m_titleWait = new TitleWait(m_options.clock, this);

    setWindowTitle(QStringLiteral("Brennolt - Vimbo"));
    setWindowIcon(art::icon());
    // A fixed table: it can be minimised but neither resized nor maximised.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    installTableAccessibility();
    table = new TableSurface(this);
    table->setAccessibleName(QStringLiteral("Table"));
    setCentralWidget(table);
    buildCards();
    panels = new help::Panels(table);
    buildMenus();

    connectCards();
    game.Finale = [this] { Finale(); };
    m_keyboard = new TableKeyboard({game, m_cards, table, panels, Carta});

    Form_Load();
}

Form1::~Form1() {
    // The devices may outlive the window; they must not call back into it.
    if (m_options.music) m_options.music->Done = nullptr;
}

void Form1::buildMenus() {
    QMenuBar* bar = menuBar();
    partita = bar->addMenu(QStringLiteral("&Game"));
    Nuova = partita->addAction(QStringLiteral("Shuffle cards"), this, &Form1::Nuova_Click);
    partita->addSeparator();
    esci = partita->addAction(QStringLiteral("Exit"), this, &Form1::esci_Click);

    menu_options = bar->addMenu(QStringLiteral("&Options"));
    connect(menu_options, &QMenu::aboutToShow, this, &Form1::menu_options_Click);
    menu_card_rustle = menu_options->addAction(QStringLiteral("Card rustle"));
    menu_card_rustle->setCheckable(true);
    connect(menu_card_rustle, &QAction::triggered, this, [this] {
        undoAutomaticToggle(menu_card_rustle);
        menu_card_rustle_Click();
    });
    Option_music = menu_options->addAction(QStringLiteral("Music"));
    Option_music->setCheckable(true);
    Option_music->setChecked(true);
    connect(Option_music, &QAction::triggered, this, [this] {
        undoAutomaticToggle(Option_music);
        Option_music_Click();
    });

    guida = bar->addMenu(QStringLiteral("&Rules"));
    menu_rules_english = guida->addAction(QStringLiteral("English"), panels,
                                          &help::Panels::menu_rules_english_Click);
    menu_rules_italiano = guida->addAction(QStringLiteral("Italiano"), panels,
                                           &help::Panels::menu_rules_italiano_Click);

    // "&Info" is a command on the menu bar itself, with no menu below it.
    menu_about = bar->addAction(QStringLiteral("&Info"));
    connect(menu_about, &QAction::triggered, panels, &help::Panels::menu_about_Click);
}

void Form1::buildCards() {
    for (int v = 1; v <= kCardCount; ++v) {
        Carta[v] = new CardWidget(v, table);
        Carta[v]->move(kParkedPlace.left, kParkedPlace.top);
    }
}

// ---- Start-up -------------------------------------------------------------

void Form1::Form_Load() {
    setFixedSize(kOuterSize, kOuterSize);
    centreOnScreen();
    Nuova->setEnabled(false); // greyed until the opening picture has gone
    m_sounds->openRustle();
    menu_card_rustle->setChecked(true); // the rustle is on at every start
    panels->sizeRulesPanels(QSize(kOuterSize, kOuterSize - menuBar()->sizeHint().height()));
    m_sounds->openMusic();
}

void Form1::centreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect whole = screen->geometry();
    // For a window, move() places the outer top-left corner, frame included.
    move(whole.x() + (whole.width() - kOuterSize) / 2,
         whole.y() + (whole.height() - kOuterSize) / 2);
}

void Form1::fitToFrame() {
    // 400 x 400 from outer edge to outer edge. Until a window manager gives the
    // window a frame the client area is the whole of it; once the frame is
    // known the client area shrinks by it, once.
    const QWindow* window = windowHandle();
    if (!window || m_fitting) return;
    const QMargins frame = window->frameMargins();
    const QSize client(kOuterSize - frame.left() - frame.right(),
                       kOuterSize - frame.top() - frame.bottom());
    if (client == size() || client.width() <= 0 || client.height() <= 0) return;
    m_fitting = true;
    setFixedSize(client);
    centreOnScreen();
    m_fitting = false;
}

bool Form1::event(QEvent* event) {
    const bool result = QMainWindow::event(event);
    // The frame appears when a window manager takes the window in; its size is
    // known from the first move or resize after that.
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
        event->type() == QEvent::Show)
        fitToFrame();
    if (event->type() == QEvent::Resize) panels->sizeRulesPanels(table->size());
    // The table has one size. Where the window's title bar is drawn by Qt
    // itself (Wayland without server-side decorations) it shows a maximise
    // button whatever the window's flags say; its press is undone here, so
    // that the window never counts as maximised at its one size.
    if (event->type() == QEvent::WindowStateChange && isMaximized())
        setWindowState(windowState() & ~Qt::WindowMaximized);
    return result;
}

void Form1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_activated) return;
    // The first showing activates the window once; later focus changes between
    // applications are no activation and deal nothing.
    m_activated = true;
    QTimer::singleShot(0, this, &Form1::Form_Activate);
}

void Form1::Form_Activate() {
    if (m_unloaded) return;
    if (!Nuova->isEnabled()) {
        // The first time only: the opening picture over the table for a little
        // more than three seconds, while the window keeps answering.
        table->setPicture(table->Image1, QRect(QPoint(0, 0), art::kTitleSize), true);
        m_titleWait->start([this] { endTitle(); });
        return;
    }
    layOutTable();
}

void Form1::endTitle() {
    table->setPicture(table->Image1, table->Image1.rect, false);
    Nuova->setEnabled(true);
    layOutTable();
}

void Form1::layOutTable() {
    panels->anchor();
    for (int i = 0; i < 4; ++i)
        table->setPicture(table->Shape1[i], outlineRect(i), true);
    table->setPicture(table->Mazzo, stockRect(), table->Mazzo.visible);
    game.parkAllCards();
    for (int v = 1; v <= kCardCount; ++v) {
        Carta[v]->move(kParkedPlace.left, kParkedPlace.top);
        Carta[v]->show();
    }
    m_sounds->startMusic(Option_music->isChecked());
    game.showStock();
    table->setPicture(table->Mazzo, stockRect(), true);
    game.Mescola();
    showModel();
}

void Form1::showModel() {
    std::array<int, kCardCount> order{};
    std::iota(order.begin(), order.end(), 1);
    std::sort(order.begin(), order.end(),
              [this](int a, int b) { return game.pictures[a].zOrder < game.pictures[b].zOrder; });
    for (int v : order) {
        const CardPicture& picture = game.pictures[v];
        Carta[v]->move(picture.place.left, picture.place.top);
        Carta[v]->setEnabled(picture.enabled);
        // Raise, back to front, only the cards the game brought forward since
        // the last look: the rest keep their places in the stacking order.
        if (picture.zOrder != m_shownZ[v]) {
            Carta[v]->raise();
            m_shownZ[v] = picture.zOrder;
        }
    }
    table->setPicture(table->Mazzo, stockRect(), game.stockVisible);
    m_keyboard->modelShown();
}

// ---- New game and exit ----------------------------------------------------

void Form1::Nuova_Click() {
    // A card still held when a new game is dealt (the menu worked from the
    // keyboard, mouse button down) belongs to the old table: its drag ends
    // here, and its release drops nothing.
    m_cards.forgetDrag();
    game.clearMoveCells();
    panels->HidePanels();
    Form_Activate();
}

void Form1::esci_Click() {
    close(); // runs Form_Unload, which ends the program
    endProgram(0);
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void Form1::Form_Unload() {
    if (m_unloaded) return;
    m_unloaded = true;
    m_titleWait->cancel(); // a close during the opening picture deals nothing
    m_sounds->closeAll();
    endProgram(0);
}

void Form1::endProgram(int status) {
    if (m_cards.ended()) return;
    m_cards.end();
    m_options.endProgram(status);
}

// ---- The menus -------------------------------------------------------------

void Form1::menu_options_Click() {
    panels->HidePanels();
}

void Form1::menu_card_rustle_Click() {
    panels->HidePanels();
    menu_card_rustle->setChecked(!menu_card_rustle->isChecked());
}

void Form1::Option_music_Click() {
    panels->HidePanels();
    if (Option_music->isChecked()) {
        Option_music->setChecked(false);
        m_sounds->pauseMusic();
    } else {
        m_sounds->resumeMusic();
        Option_music->setChecked(true);
    }
}

} // namespace vimbo

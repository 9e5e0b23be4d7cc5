// A real Form1 for tests: seeded deal, a clock the test moves by hand, sound
// devices that record their commands, and an exit that is only noted.
#pragma once

#include "form1.h"
#include "recording_device.h"

#include <QMenuBar>
#include <QTest>
#include <QWindow>

#include <memory>

namespace vimbo::testing {

struct WindowFixture {
    qint64 now = 0;
    std::vector<std::string> log;
    RecordingDevice music{"MMC1", log};
    RecordingDevice rustle{"MMCw", log};
    std::vector<int> exits;
    std::unique_ptr<Form1> form;

    // Sound goes to the recording devices unless real ones are given.
    explicit WindowFixture(std::unique_ptr<RandomSource> random = std::make_unique<SeededRandom>(7),
                           sound::SoundDevice* realMusic = nullptr,
                           sound::SoundDevice* realRustle = nullptr) {
        Form1::Options options;
        options.random = std::move(random);
        options.clock = [this] { return now; };
        options.music = realMusic ? realMusic : &music;
        options.rustle = realRustle ? realRustle : &rustle;
        options.programFolder = "/opt/vimbo";
        options.endProgram = [this](int status) { exits.push_back(status); };
        form = std::make_unique<Form1>(std::move(options));
    }

    // Shows the window and lets its first activation run: the opening picture is up.
    void show() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCoreApplication::processEvents();
    }

    // Moves the clock on and lets the opening picture's wait look at it.
    void advance(qint64 ms) {
        now += ms;
        form->titleWait().check();
    }

    // Shown, opening picture over, first game dealt.
    void start() {
        show();
        advance(3001);
    }

    QWindow* window() const { return form->windowHandle(); }

    // A point of the table in the window's coordinates.
    QPoint onTable(int x, int y) const { return form->table->mapTo(form.get(), QPoint(x, y)); }

    void pressTable(Qt::MouseButton button, int x, int y) {
        QTest::mousePress(window(), button, {}, onTable(x, y));
        QTest::mouseRelease(window(), button, {}, onTable(x, y));
    }

    std::vector<std::string> takeLog() { return std::exchange(log, {}); }

    QPoint cardPos(int card) const { return form->Carta[card]->pos(); }

    // Presses card `card` at (grabX, grabY) of its face, drags it in a few
    // steps until the pointer is over the table point (toX, toY), releases.
    void drag(int card, int grabX, int grabY, int toX, int toY,
              Qt::MouseButton button = Qt::LeftButton) {
        const QPoint from = cardPos(card) + QPoint(1 + grabX, 1 + grabY);
        QTest::mousePress(window(), button, {}, onTable(from.x(), from.y()));
        const QPoint to(toX, toY);
        for (int step = 1; step <= 4; ++step) {
            const QPoint p = from + (to - from) * step / 4;
            QTest::mouseMove(window(), onTable(p.x(), p.y()));
        }
        QTest::mouseRelease(window(), button, {}, onTable(toX, toY));
    }

    // Drags a card so that its face point (grabX, grabY) ends over the middle
    // of cell (column, row).
    void dragToCell(int card, int column, int row) {
        const Point origin = CellOrigin(column, row);
        drag(card, 30, 50, origin.left + 31, origin.top + 51);
    }

    // Whether card widget `card` lies in front of every other card at its place.
    bool inFront(int card) const {
        const QWidget* widget = form->Carta[card];
        const QObjectList& order = form->table->children();
        for (qsizetype i = order.indexOf(widget) + 1; i < order.size(); ++i) {
            const auto* other = qobject_cast<const CardWidget*>(order[i]);
            if (other && other->pos() == widget->pos()) return false;
        }
        return true;
    }
};

// A deck in dealing order: the five opening cards first, then the stock.
inline std::unique_ptr<RandomSource> deck(std::vector<int> order) {
    return std::make_unique<ScriptedDraws>(std::move(order));
}

} // namespace vimbo::testing

// Playing with the mouse: real presses, moves and releases through the window.
#include "window_fixture.h"

#include "invariants.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace vimbo;
using namespace vimbo::testing;

namespace {

constexpr int kAceCoins = 1, kThreeCoins = 3, kAceCups = 11, kThreeCups = 13, kFourClubs = 24,
              kKingSwords = 40;

// Top 4 of clubs, left ace of coins, centre 3 of cups, right king of swords,
// bottom ace of cups; the stock starts with the 3 of coins.
std::vector<int> boundaryDeck() {
    std::vector<int> order{kFourClubs, kAceCoins, kThreeCups, kKingSwords, kAceCups, kThreeCoins};
    for (int v = 1; v <= 40; ++v)
        if (std::find(order.begin(), order.end(), v) == order.end()) order.push_back(v);
    return order;
}

} // namespace

class DragTest : public QObject {
    Q_OBJECT

private slots:
    void theDropCellEndsExactlyAtTheGridsLastPixel() {
        WindowFixture f(deck(boundaryDeck()));
        f.start();
        // The point that counts, Left + X, lies one pixel left of and above the
        // pointer: a pointer at 252 means 251, still column 3.
        f.drag(kAceCups, 10, 10, 253, 200); // Left + X = 252: outside
        QCOMPARE(f.cardPos(kAceCups), QPoint(100, 230));
        f.drag(kAceCups, 10, 10, 200, 331); // Top + Y = 330: outside
        QCOMPARE(f.cardPos(kAceCups), QPoint(100, 230));
        QVERIFY(f.inFront(kAceCups));
        f.drag(kAceCoins, 10, 10, 252, 330); // 251, 329: bottom-right foundation
        QCOMPARE(f.cardPos(kAceCoins), QPoint(180, 230));
        QVERIFY(!f.form->Carta[kAceCoins]->isEnabled());
        QCOMPARE(checkInvariants(f.form->game), std::string());
    }

    void theDropCellIsThePointersNotTheCardCorners() {
        WindowFixture f(deck(boundaryDeck()));
        f.start();
        // Grabbed near its lower-right corner, released with the corner above
        // the table and the pointer over the 4 of clubs.
        f.drag(kThreeCups, 60, 98, 150, 60);
        QCOMPARE(f.cardPos(kThreeCups), QPoint(100, 10));
        QCOMPARE(f.form->game.topCard(2, 1), kThreeCups);
        QCOMPARE(f.form->game.TopSlot(2, 2), 0);
    }

    void aClickOnACardLeavesItAndRustlesTwice() {
        WindowFixture f(deck(boundaryDeck()));
        f.start();
        f.form->menu_about->trigger();
        f.takeLog();
        QTest::mouseClick(f.window(), Qt::LeftButton, {}, f.onTable(130, 170));
        QCOMPARE(f.cardPos(kThreeCups), QPoint(100, 120));
        QVERIFY(f.form->panels->Text4->isHidden());
        QCOMPARE(f.takeLog(), (std::vector<std::string>{"MMCw play", "MMCw play", "MMCw rewind"}));

        // The rustle off: silent, but a wave at its end is still rewound.
        f.form->menu_card_rustle->trigger();
        f.rustle.pos = f.rustle.len;
        QTest::mouseClick(f.window(), Qt::LeftButton, {}, f.onTable(130, 170));
        QCOMPARE(f.takeLog(), (std::vector<std::string>{"MMCw rewind"}));
    }

    void theWastePileGivesBackARefusedCardAndThenTheOneBeneath() {
        WindowFixture f(deck(boundaryDeck()));
        f.start();
        f.pressTable(Qt::LeftButton, 360, 280); // the stock: 3 of coins
        f.pressTable(Qt::LeftButton, 360, 280); // then the 2 of coins
        constexpr int kTwoCoins = 2;
        QCOMPARE(f.cardPos(kTwoCoins), QPoint(260, 230));
        QVERIFY(f.inFront(kTwoCoins));

        f.dragToCell(kTwoCoins, 2, 2); // two short suits: refused
        QCOMPARE(f.cardPos(kTwoCoins), QPoint(260, 230));
        QVERIFY(f.inFront(kTwoCoins));
        f.drag(kTwoCoins, 30, 50, 380, 390); // off the grid, over the stock
        QCOMPARE(f.cardPos(kTwoCoins), QPoint(260, 230));

        f.dragToCell(kAceCups, 1, 1);  // empties the bottom cell...
        f.dragToCell(kTwoCoins, 2, 3); // ...which takes any card
        QCOMPARE(f.form->game.WastePile, (std::vector<CardValue>{kThreeCoins}));
        // The 3 of coins is the front card again and goes on the 4 of clubs.
        f.dragToCell(kThreeCoins, 2, 1);
        QCOMPARE(f.cardPos(kThreeCoins), QPoint(100, 10));
        QCOMPARE(checkInvariants(f.form->game), std::string());
    }

    void aLockedAceIgnoresPressesButTheCardsAboveItComeBack() {
        WindowFixture f(deck(boundaryDeck()));
        f.start();
        f.dragToCell(kAceCoins, 1, 1);
        QVERIFY(!f.form->Carta[kAceCoins]->isEnabled());
        f.form->game.DraggedCard = 0;
        f.drag(kAceCoins, 30, 50, 150, 300);
        QCOMPARE(f.cardPos(kAceCoins), QPoint(20, 10));
        QCOMPARE(f.form->game.DraggedCard, CardValue{0});

        // 2 and 3 of coins home from the waste pile, then the 3 back onto
        // the 4 of clubs: the 2 is the foundation's top again.
        f.pressTable(Qt::LeftButton, 360, 280);
        f.pressTable(Qt::LeftButton, 360, 280);
        f.dragToCell(2, 1, 1);
        f.dragToCell(kThreeCoins, 1, 1);
        QCOMPARE(f.form->game.TopSlot(1, 1), 3);
        f.dragToCell(kThreeCoins, 2, 1);
        QCOMPARE(f.cardPos(kThreeCoins), QPoint(100, 10));
        QCOMPARE(f.form->game.topCard(1, 1), CardValue{2});
        QVERIFY(f.inFront(2));
        QCOMPARE(checkInvariants(f.form->game), std::string());
    }

    void otherButtonsAndBareMovesMoveNothing() {
        WindowFixture f(deck(boundaryDeck()));
        f.start();
        f.takeLog();
        f.drag(kThreeCups, 30, 50, 150, 60, Qt::RightButton);
        f.drag(kThreeCups, 30, 50, 150, 60, Qt::MiddleButton);
        QCOMPARE(f.cardPos(kThreeCups), QPoint(100, 120));
        QCOMPARE(f.form->game.TopSlot(2, 2), 1);
        QCOMPARE(f.takeLog(), (std::vector<std::string>{}));
        for (int x = 90; x < 300; x += 7)
            QTest::mouseMove(f.window(), f.onTable(x, 150));
        for (int v = 1; v <= 40; ++v)
            QCOMPARE(f.cardPos(v), QPoint(f.form->game.pictures[v].place.left,
                                          f.form->game.pictures[v].place.top));
    }
};

QTEST_MAIN(DragTest)
#include "drag_test.moc"

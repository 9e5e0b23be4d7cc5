// What a screen reader is told: cards by name and place, the stock with its
// count, the panels by what they hold.
#include "accessible_places.h"
#include "table_keys.h"
#include "window_fixture.h"

#include <QAccessible>

using namespace vimbo;
using namespace vimbo::testing;

namespace {

QAccessibleInterface* stockItem(Form1& form) {
    return accessiblePlace(form.table, kStockCell);
}

QString name(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}
QString description(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Description);
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void cardsAreNamedBySuitAndRankAndSayWhereTheyLie() {
        // Top 4 of clubs, left ace of coins, centre 3 of cups, right knight of
        // swords, bottom king of cups.
        WindowFixture f(deck({24, 1, 13, 39, 20, 3}));
        f.start();
        QCOMPARE(name(f.form->Carta[13]), QString("Three of Cups"));
        QCOMPARE(name(f.form->Carta[1]), QString("Ace of Coins"));
        QCOMPARE(name(f.form->Carta[39]), QString("Knight of Swords"));
        QCOMPARE(name(f.form->Carta[28]), QString("Knave of Clubs"));
        QCOMPARE(name(f.form->Carta[20]), QString("King of Cups"));
        QCOMPARE(description(f.form->Carta[1]), QString("at the left of the plus"));
        QCOMPARE(description(f.form->Carta[5]), QString("not in play"));

        f.dragToCell(1, 1, 1);
        QCOMPARE(description(f.form->Carta[1]), QString("on the top-left foundation"));
        f.pressTable(Qt::LeftButton, 360, 280);
        QCOMPARE(description(f.form->Carta[3]), QString("on the waste pile"));
        f.dragToCell(3, 2, 1);
        QCOMPARE(description(f.form->Carta[3]), QString("at the top of the plus"));
    }

    void theStockSaysHowManyCardsAreLeftAndCanBePressed() {
        WindowFixture f;
        f.start();
        QAccessibleInterface* stock = stockItem(*f.form);
        QVERIFY(stock);
        QCOMPARE(stock->text(QAccessible::Name), QString("Stock: 35 cards left"));
        QVERIFY(stock->actionInterface());
        stock->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(f.form->game.NextDealPosition, 6);
        QCOMPARE(stock->text(QAccessible::Name), QString("Stock: 34 cards left"));
        for (int i = 0; i < 34; ++i)
            f.form->cardHandling().mazzo_Click();
        QCOMPARE(stock->text(QAccessible::Name), QString("Stock: empty"));
    }

    void thePanelsAreNamedForWhatTheyHold() {
        WindowFixture f;
        QCOMPARE(name(f.form->panels->Text2), QString("Rules in English"));
        QCOMPARE(name(f.form->panels->Text3), QString("Rules in Italian"));
        QCOMPARE(name(f.form->panels->Text4), QString("About Vimbo"));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"

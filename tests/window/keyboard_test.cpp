// The keys through the real window: the cursor appears only for the keys and
// goes at a mouse press, Escape closes a panel, the menus keep their keys, and
// the accessible tree holds the places and the cards in play, nothing else.
#include "accessible_places.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QRegularExpression>

using namespace vimbo;
using namespace vimbo::testing;

namespace {

bool frameShown(Form1& form) {
    const auto* frame = form.table->findChild<QWidget*>("cursorFrame");
    return frame && frame->isVisible();
}

QStringList namesIn(QAccessibleInterface* item) {
    QStringList names;
    for (int i = 0; i < item->childCount(); ++i)
        names << item->child(i)->text(QAccessible::Name);
    return names;
}

QAccessibleInterface* childWithRole(Form1& form, QAccessible::Role role) {
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(form.table);
    for (int i = 0; i < table->childCount(); ++i)
        if (table->child(i)->role() == role) return table->child(i);
    return nullptr;
}

// The last sentence the table told the screen reader.
QString told(Form1& form) {
    QAccessibleInterface* status = childWithRole(form, QAccessible::StatusBar);
    return status ? status->text(QAccessible::Name) : QString();
}

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void theCursorIsTheKeysAloneAndTheMouseTakesOver() {
        // Top 4 of clubs, left ace of coins, centre 3 of cups.
        WindowFixture f(deck({24, 1, 13, 39, 20, 3}));
        f.start();
        f.dragToCell(13, 2, 1); // the 3 of cups on the 4 of clubs, by mouse
        QVERIFY(!frameShown(*f.form));
        f.takeLog();

        QTest::keyClick(f.form->table, Qt::Key_Left, Qt::AltModifier);     // the menus' key
        QTest::keyClick(f.form->table, Qt::Key_Enter, Qt::KeypadModifier); // Orca's Where Am I
        QVERIFY(!frameShown(*f.form));
        QTest::keyClick(f.form->table, Qt::Key_Left); // shows the cursor, on the centre
        QVERIFY(frameShown(*f.form));
        QTest::keyClick(f.form->table, Qt::Key_Left);
        QTest::keyClick(f.form->table, Qt::Key_Space); // the ace of coins lifted
        QTest::keyClick(f.form->table, Qt::Key_Up);    // over the top-left foundation
        QCOMPARE(f.cardPos(1), QPoint(15, 4));
        QVERIFY(f.inFront(1));

        // A press on the bare table: the cursor goes, the ace goes home.
        f.pressTable(Qt::LeftButton, 380, 60);
        QVERIFY(!frameShown(*f.form));
        QCOMPARE(f.cardPos(1), QPoint(20, 120));
        QVERIFY(!f.form->cardHandling().Dragging);
        QVERIFY(f.takeLog().empty()); // lifting, carrying and putting back are silent
    }

    void escapeClosesAPanelAndATableKeyHidesIt() {
        WindowFixture f;
        f.start();
        f.form->panels->menu_rules_english_Click();
        QTest::keyClick(f.form->table, Qt::Key_Escape);
        QVERIFY(!f.form->panels->Text2->isVisible());
        QVERIFY(!frameShown(*f.form));
        f.form->panels->menu_about_Click();
        QTest::keyClick(f.form->table, Qt::Key_Right);
        QVERIFY(!f.form->panels->Text4->isVisible());
    }

    void theTreeHoldsTheElevenPlacesInAListAndOnlyTheCardsInPlay() {
        WindowFixture f(deck({24, 1, 13, 39, 20, 3}));
        f.start();
        QAccessibleInterface* places = childWithRole(*f.form, QAccessible::List);
        QVERIFY(places);
        QCOMPARE(places->childCount(), 11); // a screen reader counts "5 of 11"
        const QStringList names = namesIn(places);
        QCOMPARE(names[4], QString("Centre of the plus: Three of Cups, 1 card"));
        QCOMPARE(names[0], QString("Top-left foundation: empty"));
        QCOMPARE(names[10], QString("Stock: 35 cards left"));
        const QStringList cards = namesIn(QAccessible::queryAccessibleInterface(f.form->table))
                                      .filter(QRegularExpression("^\\w+ of \\w+$"));
        QCOMPARE(cards.size(), 5); // the stock's cards lie face down, out of the tree
        QVERIFY(cards.contains("Four of Clubs"));
        QCOMPARE(told(*f.form), QString("New game: Four of Clubs at the top, Ace of Coins at the "
                                        "left, Three of Cups in the centre, Knight of Swords at "
                                        "the right, King of Cups at the bottom"));

        QTest::keyClick(f.form->table, Qt::Key_Right);
        QTest::keyClick(f.form->table, Qt::Key_Up);
        QTest::keyClick(f.form->table, Qt::Key_Space);
        QAccessibleInterface* top = accessiblePlace(f.form->table, {2, 1});
        QVERIFY(top->state().focused);
        QCOMPARE(told(*f.form), QString("Four of Clubs picked up"));
        QTest::keyClick(f.form->table, Qt::Key_H);
        QCOMPARE(told(*f.form), QString("Nowhere to put the Four of Clubs: Escape puts it back"));
    }

    void aGameThatCanGoNoFurtherSaysSoOnce() {
        // Four kings and the five of coins dealt; the two of coins turned last.
        std::vector<int> order{10, 20, 30, 40, 5};
        for (int v = 1; v <= kCardCount; ++v)
            if (v % 10 != 0 && v != 5 && v != 2) order.push_back(v);
        order.push_back(2);
        WindowFixture f(deck(order));
        f.start();
        for (int turn = 0; turn < 35; ++turn)
            f.form->cardHandling().mazzo_Click();
        QCoreApplication::processEvents();
        QCOMPARE(told(*f.form), QString("No move left. Shuffle cards deals a new game"));
        QTest::keyClick(f.form->table, Qt::Key_S);
        f.dragToCell(5, 2, 2); // the five back on its own place: the table shown anew
        QCoreApplication::processEvents();
        QVERIFY(told(*f.form).startsWith("Stock: empty."));
    }

    void aPanelTakesTheKeysUntilEscapeGivesThemBackToTheTable() {
        WindowFixture f;
        f.start();
        f.form->activateWindow();
        QTest::keyClick(f.form->table, Qt::Key_Right); // the cursor shows
        f.form->panels->menu_rules_english_Click();
        QTRY_VERIFY(f.form->panels->Text2->hasFocus());
        QTest::keyClick(f.form->panels->Text2, Qt::Key_Escape);
        QVERIFY(!f.form->panels->Text2->isVisible());
        QVERIFY(f.form->table->hasFocus());
        QVERIFY(frameShown(*f.form));
        // The same menu entry closes it as well, and a table key too.
        f.form->panels->menu_about_Click();
        QTRY_VERIFY(f.form->panels->Text4->hasFocus());
        f.form->panels->menu_about_Click();
        QVERIFY(f.form->table->hasFocus());
        f.form->panels->menu_rules_italiano_Click();
        QTRY_VERIFY(f.form->panels->Text3->hasFocus());
        QTest::keyClick(f.form->panels->Text3, Qt::Key_S);
        QVERIFY(!f.form->panels->Text3->isVisible());
        QVERIFY(told(*f.form).startsWith("Stock: 35 cards left."));
    }
};

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"

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

QStringList treeNames(Form1& form) {
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(form.table);
    QStringList names;
    for (int i = 0; i < table->childCount(); ++i)
        names << table->child(i)->text(QAccessible::Name);
    return names;
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

        QTest::keyClick(f.form->table, Qt::Key_Left, Qt::AltModifier); // the menus' key
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

    void theTreeHoldsThePlacesAndOnlyTheCardsInPlay() {
        WindowFixture f(deck({24, 1, 13, 39, 20, 3}));
        f.start();
        const QStringList names = treeNames(*f.form);
        QVERIFY(names.contains("Centre of the plus: Three of Cups, 1 card"));
        QVERIFY(names.contains("Top-left foundation: empty"));
        QVERIFY(names.contains("Stock: 35 cards left"));
        QVERIFY(names.contains("Four of Clubs"));
        QVERIFY(!names.contains("Three of Coins")); // first in the stock, face down
        QCOMPARE(names.filter(QRegularExpression("^\\w+ of \\w+$")).size(), 5);

        QTest::keyClick(f.form->table, Qt::Key_Right);
        QTest::keyClick(f.form->table, Qt::Key_Up);
        QTest::keyClick(f.form->table, Qt::Key_Space);
        QAccessibleInterface* top = accessiblePlace(f.form->table, {2, 1});
        QVERIFY(top->state().focused);
        QCOMPARE(top->text(QAccessible::Description), QString("Four of Clubs picked up"));
    }
};

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"

// The rules and information panels over the table: one at a time, shown and
// hidden from the menus, and hidden again by almost any touch of the table.
#include "window_fixture.h"

#include "panel_texts.h"

#include <QMenu>
#include <QTextBlock>

using namespace vimbo;
using namespace vimbo::testing;

namespace {

// Which panel is shown: 0 none, 2 English, 3 Italian, 4 information.
int shown(const Form1& form) {
    const help::Panels& p = *form.panels;
    const int count = !p.Text2->isHidden() + !p.Text3->isHidden() + !p.Text4->isHidden();
    if (count > 1) return -1;
    if (!p.Text2->isHidden()) return 2;
    if (!p.Text3->isHidden()) return 3;
    if (!p.Text4->isHidden()) return 4;
    return 0;
}

void showPanel(Form1& form, int panel) {
    form.panels->HidePanels();
    if (panel == 2) form.menu_rules_english->trigger();
    if (panel == 3) form.menu_rules_italiano->trigger();
    if (panel == 4) form.menu_about->trigger();
}

} // namespace

class PanelsTest : public QObject {
    Q_OBJECT

private slots:
    void theMenuEntriesFollowTheToggleTable() {
        WindowFixture f;
        f.start();
        struct Row {
            QAction* entry;
            int after[5]; // indexed by the panel shown before: 0, -, 2, 3, 4
        };
        const Row rows[] = {
            {f.form->menu_rules_english, {2, 0, 0, 2, 2}},
            {f.form->menu_rules_italiano, {3, 0, 3, 0, 3}},
            {f.form->menu_about, {4, 0, 4, 4, 0}},
        };
        for (const Row& row : rows) {
            for (int before : {0, 2, 3, 4}) {
                showPanel(*f.form, before);
                QCOMPARE(shown(*f.form), before);
                row.entry->trigger();
                QCOMPARE(shown(*f.form), row.after[before]);
            }
        }
    }

    void aShownPanelLiesInFrontOfTheCardsAndRulesCoverTheTable() {
        WindowFixture f;
        f.start();
        f.form->cardHandling().mazzo_Click(); // a card brought to the front
        f.form->menu_rules_italiano->trigger();
        QWidget* table = f.form->table;
        QCOMPARE(table->children().last(), f.form->panels->Text3);
        QCOMPARE(f.form->panels->Text3->geometry(), table->rect());
        f.form->menu_about->trigger();
        QCOMPARE(f.form->panels->Text4->geometry(), QRect(140, 0, 241, 101));
    }

    void touchingTheTableHidesThePanelButOpeningGameOrRulesDoesNot() {
        WindowFixture f;
        f.start();
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            showPanel(*f.form, 4);
            f.pressTable(button, 60, 350); // bare table below the left foundation
            QCOMPARE(shown(*f.form), 0);
        }
        showPanel(*f.form, 4);
        emit f.form->partita->aboutToShow();
        emit f.form->guida->aboutToShow();
        QCOMPARE(shown(*f.form), 4);
        emit f.form->menu_options->aboutToShow();
        QCOMPARE(shown(*f.form), 0);

        // The options and a new game hide it too; a stock click does not.
        showPanel(*f.form, 4);
        f.pressTable(Qt::LeftButton, 360, 280);
        QCOMPARE(shown(*f.form), 4);
        f.form->menu_card_rustle->trigger();
        QCOMPARE(shown(*f.form), 0);
        showPanel(*f.form, 2);
        f.form->Option_music->trigger();
        QCOMPARE(shown(*f.form), 0);
        showPanel(*f.form, 3);
        f.form->Nuova->trigger();
        QCOMPARE(shown(*f.form), 0);
    }

    void aClickOnTheInformationPanelHidesItAndDoesNotReachTheCardBeneath() {
        WindowFixture f;
        f.start();
        // Put a card under the information panel: the top-right foundation area.
        const int card = f.form->game.ShuffledDeck[4]; // dealt on the right cell
        f.form->Carta[card]->move(180, 10);
        f.form->menu_about->trigger();
        f.form->panels->Text4->raise();
        const QPoint inPanel = f.onTable(200, 40);
        f.takeLog();
        QTest::mouseClick(f.window(), Qt::LeftButton, {}, inPanel);
        QCOMPARE(shown(*f.form), 0);
        QCOMPARE(f.form->Carta[card]->pos(), QPoint(180, 10));
        QCOMPARE(f.takeLog(), (std::vector<std::string>{})); // no rustle: the card never heard it
    }

    void aPanelOpenedDuringTheOpeningPictureWaitsAtItsDesignedPlaceThenMoves() {
        WindowFixture f;
        f.show();
        f.form->menu_rules_english->trigger();
        QCOMPARE(f.form->panels->Text2->pos(), QPoint(320, 256));
        f.form->menu_rules_italiano->trigger();
        QCOMPARE(f.form->panels->Text3->pos(), QPoint(320, 96));
        f.form->menu_about->trigger();
        QCOMPARE(f.form->panels->Text4->pos(), QPoint(344, 8));
        f.advance(3001);
        QCOMPARE(shown(*f.form), 4);
        QCOMPARE(f.form->panels->Text4->pos(), QPoint(140, 0));
        QCOMPARE(f.form->panels->Text2->pos(), QPoint(0, 0));
    }

    void thePanelsShowTheirTextsWordForWordWithTheInformationCentred() {
        WindowFixture f;
        // The rules flow as paragraphs, but not a word is lost or changed.
        auto words = [](const QString& text) { return text.simplified(); };
        QCOMPARE(words(f.form->panels->Text2->toPlainText()),
                 words(QString::fromUtf8(help::englishRules().data(),
                                         qsizetype(help::englishRules().size()))));
        QCOMPARE(words(f.form->panels->Text3->toPlainText()),
                 words(QString::fromUtf8(help::italianRules().data(),
                                         qsizetype(help::italianRules().size()))));
        QVERIFY(f.form->panels->Text2->toPlainText().startsWith(
            "Vimbo solitaire  is an individual game"));
        QVERIFY(f.form->panels->Text3->toPlainText().contains(QString::fromUtf8("potrà")));
        QCOMPARE(f.form->panels->Text2->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

        const QTextDocument* info = f.form->panels->Text4->document();
        QCOMPARE(info->blockCount(), 3);
        QCOMPARE(info->firstBlock().text(), QString(" Vimbo solitaire ver 3.2 "));
        QCOMPARE(info->lastBlock().blockFormat().alignment(), Qt::AlignHCenter);
    }
};

QTEST_MAIN(PanelsTest)
#include "panels_test.moc"

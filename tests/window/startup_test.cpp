// The window as a player meets it: menus, the opening picture, the dealt
// table, a new game, and the ways out.
#include "window_fixture.h"

#include <QMenu>
#include <QSignalSpy>

#include "invariants.h"

using namespace vimbo;
using namespace vimbo::testing;

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void theMenuBarHasItsEntriesInOrderWithAccessKeysAndNoShortcuts() {
        WindowFixture f;
        const QList<QAction*> top = f.form->menuBar()->actions();
        QStringList captions;
        for (QAction* a : top)
            captions << a->text();
        QCOMPARE(captions, (QStringList{"&Game", "&Options", "&Rules", "&Info"}));
        QVERIFY(!f.form->menu_about->menu()); // a command, no drop-down

        auto texts = [](QMenu* menu) {
            QStringList list;
            for (QAction* a : menu->actions())
                list << (a->isSeparator() ? "-" : a->text());
            return list;
        };
        QCOMPARE(texts(f.form->partita), (QStringList{"Shuffle cards", "-", "Exit"}));
        QCOMPARE(texts(f.form->menu_options), (QStringList{"Card rustle", "Music"}));
        QCOMPARE(texts(f.form->guida), (QStringList{"English", "Italiano"}));
        for (QMenu* menu : {f.form->partita, f.form->menu_options, f.form->guida})
            for (QAction* a : menu->actions())
                QVERIFY(a->shortcut().isEmpty());

        // Both options on at start: the rustle by the load, the music by design.
        QVERIFY(f.form->menu_card_rustle->isChecked());
        QVERIFY(f.form->Option_music->isChecked());
        QCOMPARE(f.form->windowTitle(), QString("Brennolt - Vimbo"));
    }

    void theAccessKeysOpenTheMenusFromTheKeyboard() {
        WindowFixture f;
        f.start();
        QTest::keyClick(f.window(), Qt::Key_R, Qt::AltModifier);
        QTRY_VERIFY(f.form->guida->isVisible());
        QTest::keyClick(f.form->guida, Qt::Key_Return); // "English", the first entry
        QTRY_VERIFY(!f.form->panels->Text2->isHidden());
        QTest::keyClick(f.window(), Qt::Key_I, Qt::AltModifier); // "&Info" is a command
        QTRY_VERIFY(!f.form->panels->Text4->isHidden());
        QVERIFY(f.form->panels->Text2->isHidden());
    }

    void theLoadOpensTheRustleThenTheMusicFromTheProgramFolder() {
        WindowFixture f;
        QCOMPARE(f.log,
                 (std::vector<std::string>{"MMCw close", "MMCw open /opt/vimbo/carta.wav",
                                           "MMC1 close", "MMC1 open /opt/vimbo/Music/5carte.mid"}));
    }

    void theOpeningPictureStaysALittleMoreThanThreeSecondsOnTheFirstShowingOnly() {
        WindowFixture f;
        f.show();
        QVERIFY(f.form->table->Image1.visible);
        QCOMPARE(f.form->table->Image1.rect.topLeft(), QPoint(0, 0));
        QVERIFY(!f.form->Nuova->isEnabled());
        QCOMPARE(f.form->game.NextDealPosition, 0); // nothing dealt yet

        f.advance(3000); // exactly three seconds is not yet "more than three"
        QVERIFY(f.form->table->Image1.visible);
        QVERIFY(!f.form->Nuova->isEnabled());

        f.takeLog();
        f.advance(1);
        QVERIFY(!f.form->table->Image1.visible);
        QVERIFY(f.form->Nuova->isEnabled());
        QCOMPARE(f.form->game.NextDealPosition, 5);
        QCOMPARE(f.takeLog(), (std::vector<std::string>{"MMC1 play"}));

        // A new game lays out the table at once: no picture, no wait.
        f.form->Nuova->trigger();
        QVERIFY(!f.form->table->Image1.visible);
        QCOMPARE(f.form->game.NextDealPosition, 5);
    }

    void everyNewTableHasItsOutlinesStockAndFiveCardsInThePlus() {
        WindowFixture f;
        f.start();
        for (int round = 0; round < 2; ++round) {
            const TableSurface& t = *f.form->table;
            QCOMPARE(t.Shape1[0].rect, QRect(20, 10, 62, 102));
            QCOMPARE(t.Shape1[1].rect, QRect(180, 10, 62, 102));
            QCOMPARE(t.Shape1[2].rect, QRect(20, 230, 62, 102));
            QCOMPARE(t.Shape1[3].rect, QRect(180, 230, 62, 102));
            for (const auto& s : t.Shape1)
                QVERIFY(s.visible);
            QCOMPARE(t.Mazzo.rect, QRect(330, 230, 62, 100));
            QVERIFY(t.Mazzo.visible);

            const QList<QPoint> plus{{100, 10}, {20, 120}, {100, 120}, {180, 120}, {100, 230}};
            QList<QPoint> dealt;
            int parked = 0;
            for (int v = 1; v <= 40; ++v) {
                const CardWidget* card = f.form->Carta[v];
                QVERIFY(!card->isHidden());
                QCOMPARE(card->size(), QSize(64, 102));
                if (card->pos() == QPoint(1500, 1500))
                    ++parked;
                else
                    dealt << card->pos();
            }
            QCOMPARE(parked, 35);
            for (int i = 0; i < 5; ++i) {
                const int v = f.form->game.ShuffledDeck[i + 1];
                QCOMPARE(f.form->Carta[v]->pos(), plus[i]);
            }
            f.form->Nuova->trigger();
        }
    }

    void aNewGameInMidGameGivesAFreshTable() {
        WindowFixture f;
        f.start();
        for (int i = 0; i < 35; ++i)
            f.form->cardHandling().mazzo_Click();
        QVERIFY(!f.form->table->Mazzo.visible);
        QCOMPARE(f.form->Carta[f.form->game.ShuffledDeck[40]]->pos(), QPoint(260, 230));

        f.form->panels->menu_rules_english_Click();
        f.takeLog();
        f.form->Nuova->trigger();
        QVERIFY(f.form->panels->Text2->isHidden());
        QVERIFY(f.form->table->Mazzo.visible);
        QCOMPARE(checkInvariants(f.form->game), std::string());
        int onTable = 0;
        for (int v = 1; v <= 40; ++v)
            onTable += f.form->Carta[v]->pos() != QPoint(1500, 1500);
        QCOMPARE(onTable, 5);
        // The music goes on: "play" again, no rewind.
        QCOMPARE(f.takeLog(), (std::vector<std::string>{"MMC1 play"}));

        // With the music off a new game sends nothing to it.
        f.form->Option_music_Click();
        f.takeLog();
        f.form->Nuova->trigger();
        QCOMPARE(f.takeLog(), (std::vector<std::string>{}));
    }

    void exitClosesTheMusicThenTheRustleAndEndsWithStatusZero() {
        WindowFixture f;
        f.start();
        f.takeLog();
        f.form->esci->trigger();
        QCOMPARE(f.takeLog(), (std::vector<std::string>{"MMC1 close", "MMCw close"}));
        QCOMPARE(f.exits, (std::vector<int>{0}));
    }

    void aCloseDuringTheOpeningPictureEndsWithoutADeal() {
        WindowFixture f;
        f.show();
        f.form->close();
        QCOMPARE(f.exits, (std::vector<int>{0}));
        f.advance(5000);
        QCOMPARE(f.form->game.NextDealPosition, 0);
        QVERIFY(!f.form->Nuova->isEnabled());
    }

    void aMaximiseLeavesTheWindowAtItsOneSize() {
        WindowFixture f;
        f.show();
        const QSize size = f.form->size();
        f.form->setWindowState(Qt::WindowMaximized);
        QVERIFY(!f.form->isMaximized());
        QCOMPARE(f.form->size(), size);
    }

    void theOpeningPictureEndsByItselfInRealTime() {
        // The one test that waits on the real clock and timer.
        Form1::Options options;
        options.endProgram = [](int) {};
        options.programFolder = "/nonexistent";
        Form1 form(std::move(options));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY_WITH_TIMEOUT(form.table->Image1.visible, 1000);
        QTest::qWait(2500);
        QVERIFY(!form.Nuova->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(form.Nuova->isEnabled(), 2000);
        QCOMPARE(form.game.NextDealPosition, 5);
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"

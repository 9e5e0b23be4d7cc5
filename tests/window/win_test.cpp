// A whole game won through the window, and the question that follows.
#include "winning_game.h"

#include "invariants.h"

#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

using namespace vimbo;
using namespace vimbo::testing;

class WinTest : public QObject {
    Q_OBJECT

private slots:
    void theFourthKingAsksForAnotherGameAndYesDealsOne() {
        WindowFixture f(deck(winnableDeck()));
        f.start();
        f.form->Option_music->trigger(); // the music off: the finale plays all the same
        int questions = 0;
        QString title, text;
        bool yesIsDefault = false, noIcon = false, kingHome = false, stillAsking = false;
        std::function<void()> answer = [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return QTimer::singleShot(10, answer);
            ++questions;
            title = box->windowTitle();
            text = box->text();
            yesIsDefault = box->defaultButton() == box->button(QMessageBox::Yes);
            noIcon = box->icon() == QMessageBox::NoIcon && box->buttons().size() == 2;
            // While the question is up the king lies on its foundation, drawn there.
            kingHome = f.cardPos(40) == QPoint(180, 230) &&
                       f.form->table->grab().toImage().pixelColor(180, 230) == Qt::black;
            // A stray Escape or the window's close button is no answer.
            QTest::keyClick(box, Qt::Key_Escape);
            const bool closed = box->windowHandle()->close();
            QCoreApplication::processEvents();
            stillAsking = !closed && box->isVisible() && f.exits.empty();
            QTest::keyClick(box, Qt::Key_Return); // the default: Yes
        };
        QTimer::singleShot(0, answer);
        f.takeLog();
        playToTheEnd(f);

        QCOMPARE(questions, 1);
        QCOMPARE(title, QString("Complimenti"));
        QCOMPARE(text, QString("Altra partita?"));
        QVERIFY(yesIsDefault);
        QVERIFY(noIcon);
        QVERIFY(kingHome);
        QVERIFY(stillAsking);
        const std::vector<std::string> finale{"MMC1 stop", "MMC1 close",
                                              "MMC1 open /opt/vimbo/Music/finale.mid",
                                              "MMC1 rewind", "MMC1 play"};
        const auto log = f.takeLog();
        QVERIFY(std::search(log.begin(), log.end(), finale.begin(), finale.end()) != log.end());
        QVERIFY(!f.form->Option_music->isChecked());

        // A fresh deal, the king of swords wherever it fell, and every picture
        // where the game has it.
        const Game& game = f.form->game;
        QCOMPARE(game.NextDealPosition, 5);
        QCOMPARE(checkInvariants(game), std::string());
        for (int v = 1; v <= 40; ++v) {
            QCOMPARE(f.cardPos(v), QPoint(game.pictures[v].place.left, game.pictures[v].place.top));
            QVERIFY(f.form->Carta[v]->isEnabled());
        }
        QVERIFY(f.form->table->Mazzo.visible);
        QVERIFY(f.exits.empty());
        // And it can be played at once.
        f.pressTable(Qt::LeftButton, 360, 280);
        QCOMPARE(game.NextDealPosition, 6);
    }

    void noEndsTheProgramAtOnceWithStatusZero_data() {
        QTest::addColumn<QString>("audio");
        QTest::newRow("recorded") << QString();
        QTest::newRow("real audio output") << QString("real-audio");
    }

    void noEndsTheProgramAtOnceWithStatusZero() {
        QFETCH(QString, audio);
        QProcess child;
        child.setProgram(QCoreApplication::applicationDirPath() + "/window_win_no_child");
        if (!audio.isEmpty()) child.setArguments({audio});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("SDL_AUDIODRIVER", "dummy");
        child.setProcessEnvironment(env);
        child.start();
        QVERIFY(child.waitForFinished(60000));
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QVERIFY2(out.contains("asked once"), qPrintable(out));
        // The question's No skips the exit's unload: the devices are never told "close".
        QVERIFY2(!out.contains("close"), qPrintable(out));
        // Nothing of ours on the error output either (Qt's own notes aside).
        const QStringList errors =
            QString::fromUtf8(child.readAllStandardError())
                .split('\n', Qt::SkipEmptyParts)
                .filter(QRegularExpression("^(?!QStandardPaths|This plugin)"));
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    }
};

QTEST_MAIN(WinTest)
#include "win_test.moc"

// Child process of the winning test: plays the winning game in a running
// program, answers No, and lets the program end the way it ends for a player.
// Prints what the sound devices were told after the win.
#include "winning_game.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

using namespace vimbo;
using namespace vimbo::testing;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int questions = 0;
    std::unique_ptr<WindowFixture> f;
    std::function<void()> answer = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return QTimer::singleShot(10, answer);
        ++questions;
        f->takeLog();
        box->button(QMessageBox::No)->click();
    };
    QTimer::singleShot(0, [&] {
        f = std::make_unique<WindowFixture>(deck(winnableDeck()));
        f->start();
        // The fixture only notes the end; here the program really ends.
        QTimer::singleShot(0, answer);
        playToTheEnd(*f);
        if (!f->exits.empty()) QCoreApplication::exit(f->exits.front());
    });
    const int status = QApplication::exec();
    std::printf("asked %s\n", questions == 1 ? "once" : "not once");
    for (const std::string& line : f ? f->log : std::vector<std::string>{})
        std::printf("%s\n", line.c_str());
    return status;
}

// Child process of the winning test: plays the winning game in a running
// program, answers No, and lets the program end the way it ends for a player.
// Prints what the sound devices were told after the win. With the argument
// "real-audio" it plays through the real audio output instead, which must
// still shut down cleanly.
#include "audio_system.h"
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
    std::unique_ptr<sound::AudioSystem> audio;
    if (argc > 1 && std::string(argv[1]) == "real-audio")
        audio = std::make_unique<sound::AudioSystem>([&app](std::function<void()> call) {
            QMetaObject::invokeMethod(&app, std::move(call), Qt::QueuedConnection);
        });
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
        f = std::make_unique<WindowFixture>(deck(winnableDeck()), audio ? &audio->music() : nullptr,
                                            audio ? &audio->rustle() : nullptr);
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
    // The window goes first, then the audio output, as in the real program.
    f.reset();
    audio.reset();
    return status;
}

// Vimbo: a patience for one player with the 40-card Italian deck.
#include "audio_system.h"
#include "form1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vimbo"));
    QApplication::setOrganizationName(QStringLiteral("Brennolt"));

    // The sound starts on a thread of its own, so the window does not wait for
    // it; its devices report back on this thread. It outlives the window (locals
    // go in reverse order), and shuts down cleanly however the program ends.
    vimbo::sound::AudioSystem audio([&app](std::function<void()> call) {
        QMetaObject::invokeMethod(&app, std::move(call), Qt::QueuedConnection);
    });

    vimbo::Form1::Options options;
    options.music = &audio.music();
    options.rustle = &audio.rustle();
    vimbo::Form1 form(std::move(options));
    form.show();
    return QApplication::exec();
}

// The game with a known deal, for the tests that drive the real pointer: the
// deck comes from VIMBO_E2E_DECK ("24,1,13,..." in dealing order); everything
// else is the real program, its sound included. With VIMBO_E2E_QUICK the
// opening picture stays a tenth of its time, for the tests that look only at
// what comes after it.
#include "audio_system.h"
#include "form1.h"

#include <QApplication>
#include <QTimer>

#include <sstream>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    std::vector<int> deck;
    std::istringstream in(qEnvironmentVariable("VIMBO_E2E_DECK").toStdString());
    for (std::string item; std::getline(in, item, ',');)
        deck.push_back(std::stoi(item));
    vimbo::sound::AudioSystem audio([&app](std::function<void()> call) {
        QMetaObject::invokeMethod(&app, std::move(call), Qt::QueuedConnection);
    });
    vimbo::Form1::Options options;
    options.random = std::make_unique<vimbo::ScriptedDraws>(deck);
    options.music = &audio.music();
    options.rustle = &audio.rustle();
    const bool quick = qEnvironmentVariableIsSet("VIMBO_E2E_QUICK");
    if (quick) options.clock = [steady = vimbo::TitleWait::steadyClock()] { return 10 * steady(); };
    vimbo::Form1 form(std::move(options));
    // The wait's own timer counts real time: the quick clock is looked at often.
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &form, [&form] { form.titleWait().check(); });
    if (quick) look.start(50);
    form.show();
    return QApplication::exec();
}

// Vimbo: a patience for one player with the 40-card Italian deck.
#include "audio_system.h"
#include "form1.h"

#include <QApplication>
#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

// Why the window system would not start, from what the program was given and
// whether Qt found its Wayland plugin. Debian ships that plugin apart from Qt
// itself, so a Wayland desktop without it is a real case: Qt then tries X, and
// without an X display the fault would look like a dead display.
std::string displayReason(bool waylandPluginMissing) {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.contains("xcb") && !platform.contains("wayland"))
        return "QT_QPA_PLATFORM=" + platform.toStdString() + " could not start";
    const QByteArray x11 = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    const std::string noPlugin =
        ", but Qt's Wayland plugin is not installed: Debian package qt6-wayland";
    if (waylandPluginMissing && !platform.contains("xcb") && platform.contains("wayland"))
        return "QT_QPA_PLATFORM=" + platform.toStdString() + noPlugin;
    if (waylandPluginMissing && !wayland.isEmpty()) {
        const std::string why = "WAYLAND_DISPLAY=" + wayland.toStdString() + noPlugin;
        return x11.isEmpty() ? why : "no connection to DISPLAY=" + x11.toStdString() + "; " + why;
    }
    if (x11.isEmpty() && wayland.isEmpty()) return "neither DISPLAY nor WAYLAND_DISPLAY is set";
    std::string names;
    if (!x11.isEmpty()) names = "DISPLAY=" + x11.toStdString();
    if (!wayland.isEmpty())
        names += (names.empty() ? "" : " or ") + ("WAYLAND_DISPLAY=" + wayland.toStdString());
    return "no connection to " + names;
}

// Without a display Qt aborts the program (a core file, status 134) after a
// screenful of advice about its plugins. Someone who started the game from a
// console without a display should read one line and get status 1 instead. So
// while QApplication starts, Qt's messages are held back: a fatal one means no
// window system could be opened; otherwise done() lets them out as they came.
class DisplayStartup {
public:
    DisplayStartup() { s_previous = qInstallMessageHandler(&DisplayStartup::hold); }

    void done() {
        qInstallMessageHandler(s_previous);
        std::vector<Held> held;
        {
            const std::lock_guard lock(s_mutex);
            held.swap(s_held);
        }
        for (const Held& message : held) {
            const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
            s_previous(message.type, context, message.text);
        }
    }

private:
    struct Held {
        QtMsgType type;
        std::string category;
        QString text;
    };

    static void hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtFatalMsg) {
            bool waylandPluginMissing = false;
            {
                const std::lock_guard lock(s_mutex);
                waylandPluginMissing = std::any_of(s_held.begin(), s_held.end(), [](const Held& m) {
                    return m.text.contains(
                        QLatin1String(R"(Could not find the Qt platform plugin "wayland")"));
                });
            }
            // Nothing has been built that needs taking down: no sound, no
            // window, no file written.
            std::fprintf(stderr, "vimbo: cannot open the display (%s)\n",
                         displayReason(waylandPluginMissing).c_str());
            std::fflush(stderr);
            std::_Exit(1);
        }
        const std::lock_guard lock(s_mutex);
        s_held.push_back({type, context.category ? context.category : "", text});
    }

    static inline QtMessageHandler s_previous = nullptr;
    static inline std::mutex s_mutex;
    static inline std::vector<Held> s_held;
};

// A desktop session has a session bus, and a screen reader reaches the game
// through it. Without one, libdbus would start a bus of its own for the X
// display (dbus-launch): tens of milliseconds of start-up, and a dbus-daemon
// with the services it brings up still running after the game has ended. No
// screen reader can be listening on a bus that did not exist, so the game
// goes without one. A login's bus may also be known only by its place in the
// runtime folder, which libdbus looks at itself.
void noSessionBusOfItsOwn() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) return;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat bus {};
    if (runtime && *runtime && ::stat((std::string(runtime) + "/bus").c_str(), &bus) == 0 &&
        S_ISSOCK(bus.st_mode))
        return;
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

} // namespace

int main(int argc, char* argv[]) {
    noSessionBusOfItsOwn();
    DisplayStartup startup;
    QApplication app(argc, argv);
    startup.done();
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

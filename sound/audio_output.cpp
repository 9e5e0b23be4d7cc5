#include "audio_output.h"

#include <SDL.h>
#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vimbo::sound {

namespace {

using std::chrono::milliseconds;

// The music plays in long blocks of about 93 ms: the audio thread wakes
// about eleven times a second, and each wake-up costs about as much as
// synthesising a block, so a long block keeps the music cheap and leaves the
// server a deep buffer that a busy machine does not drain.
constexpr int kMusicFramesPerBlock = 4096;
// The rustle's own stream runs in short blocks of about 12 ms, so that it
// follows the card at once; it is opened for the rustle and closed soon
// after, since its many wake-ups would otherwise cost more than the music.
constexpr int kRustleFramesPerBlock = 512;
// On PipeWire's own stream the rustle is taken in the server's cycle, which
// this asks to be about 6 ms while the rustle plays.
constexpr int kPipeWireRustleFrames = 256;
// How long the rustle's stream stays open after the rustle ended: a player
// turning the stock card after card finds it open.
constexpr milliseconds kRustleLinger{500};
// How often an open output looks whether everything has gone quiet.
constexpr milliseconds kQuietCheck{250};
// With the output gone: how often the server's socket is looked at (each look
// costs a wake-up, which on a virtual machine is half a millisecond), and how
// long the first and the longest waits are before SDL is started again
// anyway: for a server with no socket to look at, and for one whose socket
// answers but that opens no stream yet (PipeWire's PulseAudio service
// answers while PipeWire itself restarts; the music should not wait long).
constexpr milliseconds kSocketLook{1000};
constexpr milliseconds kFirstRetry{250};
constexpr milliseconds kLongestRetry{30000};
constexpr milliseconds kLongestRetryAnswering{1000};

// Where a PulseAudio client (and so SDL) finds the server: PULSE_SERVER's
// socket, else the one in the user's runtime folder. Empty: not a socket we
// can look at (a server over the network, or no runtime folder).
std::string serverSocket() {
    if (const char* server = std::getenv("PULSE_SERVER")) {
        const std::string s = server;
        if (s.rfind("unix:", 0) == 0) return s.substr(5);
        return s.rfind('/', 0) == 0 ? s : std::string();
    }
    if (const char* runtime = std::getenv("PULSE_RUNTIME_PATH"))
        return std::string(runtime) + "/native";
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"))
        return std::string(runtime) + "/pulse/native";
    return {};
}

// Whether a server takes connections on the socket: one system call, where
// starting SDL's audio to find out costs a few milliseconds.
bool serverAnswers(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool answered = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return answered;
}

void sayNothing(void*, int, SDL_LogPriority, const char*) {}
extern "C" void sayNothingAlsa(const char*, int, const char*, int, const char*, ...) {}

// The game prints nothing. SDL logs through its own function; ALSA's library,
// which SDL loads when there is no sound server, complains about missing
// sound cards unless given a handler of its own.
void quietSdl() {
    SDL_LogSetOutputFunction(&sayNothing, nullptr);
    // Opened for good: the handler must stay set for as long as SDL uses ALSA.
    if (void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL)) {
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
            set(&sayNothingAlsa);
    }
}

using Source = AudioOutput::Source;

void musicCallback(void* source, Uint8* stream, int bytes) {
    static_cast<Source*>(source)->mixMusic(reinterpret_cast<std::int16_t*>(stream), bytes / 4);
}
void rustleCallback(void* source, Uint8* stream, int bytes) {
    static_cast<Source*>(source)->mixRustle(reinterpret_cast<std::int16_t*>(stream), bytes / 4);
}
void pipewireFill(void* source, std::int16_t* out, int frames) {
    static_cast<Source*>(source)->mixRustle(out, frames);
}

// A stream of 16-bit stereo at our rate, in blocks of `frames`, or 0. SDL
// converts to whatever the device takes. Going at once: its callback is in
// place from the start, so the first block carries the sound that opened it,
// not a block of silence that would put it a block late.
SDL_AudioDeviceID openStream(const char* name, int frames, SDL_AudioCallback callback,
                             Source& source) {
    SDL_AudioSpec wanted{};
    wanted.freq = AudioOutput::kSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = static_cast<Uint16>(frames);
    wanted.callback = callback;
    wanted.userdata = &source;
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, name);
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device != 0) SDL_PauseAudioDevice(device, 0);
    return device;
}

} // namespace

AudioOutput::AudioOutput(Source& source, milliseconds idleClose)
    : m_source(source), m_idleClose(idleClose), m_retryWait(kFirstRetry) {}

AudioOutput::~AudioOutput() {
    closeAll();
}

void AudioOutput::begin() {
    if (!startSdl()) gone(Clock::now());
}

bool AudioOutput::startSdl() {
    if (m_sdlStarted) return true;
    quietSdl();
    // SDL would otherwise turn SIGTERM and SIGINT into quit events that
    // nobody reads, and the game would no longer end when the desktop session
    // (or Ctrl+C in a terminal) asks it to. Set at every start: SDL_Quit
    // forgets every hint.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Events only for SDL's word that a device went away: a stream that lost
    // its server goes on taking sound at the output's pace, to no one.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS) != 0) {
        SDL_Quit(); // what the failed start kept
        return false;
    }
    m_sdlStarted = true;
    // The disk driver (a file instead of a sound card) writes every stream it
    // opens to the same file: there the rustle is mixed into the music's.
    const char* driver = SDL_GetCurrentAudioDriver();
    m_rustleShared = driver && std::strcmp(driver, "disk") == 0;
    // What a desktop's volume control shows for the game and its two streams.
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Vimbo");
    // A PulseAudio server may be PipeWire's service: there the rustle gets
    // a stream of PipeWire's own, which plays it without PulseAudio's queue.
    // Where PipeWire does not link it to an output (there is none: the
    // machine's sound is PulseAudio's), it is never used.
    if (driver && std::strcmp(driver, "pulseaudio") == 0)
        m_pipewire = PipeWireOutput::create("Vimbo", "Card rustle", kSampleRate,
                                            kPipeWireRustleFrames, &pipewireFill, &m_source);
    return true;
}

void AudioOutput::closeAll() {
    closeRustle(true);
    m_pipewire.reset(); // its thread is gone after this
    closeMusic();       // after this the audio threads are gone
    if (m_sdlStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS);
        SDL_Quit(); // nothing else in the program uses SDL; this frees what it kept
    }
    m_sdlStarted = false;
}

void AudioOutput::gone(Clock::time_point now) {
    closeAll();
    m_serverAnswered = serverAnswers(serverSocket());
    const milliseconds longest = m_serverAnswered ? kLongestRetryAnswering : kLongestRetry;
    m_retryWait = std::min(m_retryWait, longest);
    m_retryAt = now + m_retryWait;
    m_retryWait = std::min(m_retryWait * 2, longest);
}

std::optional<milliseconds> AudioOutput::keep(Wanted wanted, Clock::time_point now) {
    if (!m_sdlStarted) {
        if (const auto wait = tryAgain(wanted, now)) return wait;
        if (!m_sdlStarted) return std::nullopt;
    }
    if (outputRemoved()) {
        gone(now);
        return kSocketLook;
    }
    dropBrokenPipeWire();
    // The rustle first: it is the sound a player waits for.
    if (wanted.rustle) {
        m_rustleLastHeard = now;
        if (!m_rustleOpen && !m_rustleShared) openRustle();
    } else if (m_rustleOpen && now - m_rustleLastHeard >= kRustleLinger) {
        closeRustle(false);
    }
    if (wanted.music || (wanted.rustle && m_rustleShared)) {
        m_musicLastHeard = now;
        if (!openMusic()) {
            gone(now);
            return kSocketLook;
        }
    } else if (m_music != 0 && now - m_musicLastHeard >= m_idleClose) {
        closeMusic();
    }
    if (open()) return std::min(kQuietCheck, m_idleClose);
    return std::nullopt; // closed: asleep until a command comes
}

std::optional<milliseconds> AudioOutput::tryAgain(Wanted wanted, Clock::time_point now) {
    // Nothing to hear: no need of an output either, until a command comes.
    if (!wanted.music && !wanted.rustle) return std::nullopt;
    // Where the server's socket is known, SDL starts again only once it
    // answers: at once when it has just come (back), then now and then if
    // it answers but gives no stream. Where it is not, now and then.
    const std::string socket = serverSocket();
    const bool answers = serverAnswers(socket);
    const bool cameBack = answers && !m_serverAnswered;
    m_serverAnswered = answers;
    const bool due = socket.empty() ? now >= m_retryAt : answers && (cameBack || now >= m_retryAt);
    if (!due) {
        if (!socket.empty()) return kSocketLook;
        return std::chrono::ceil<milliseconds>(m_retryAt - now);
    }
    if (startSdl()) return std::nullopt; // the caller goes on and opens
    gone(now);
    return kSocketLook;
}

bool AudioOutput::outputRemoved() {
    bool removed = false;
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_AUDIODEVICEADDED, SDL_AUDIODEVICEREMOVED) >
           0)
        removed |= event.type == SDL_AUDIODEVICEREMOVED && !event.adevice.iscapture;
    return removed;
}

void AudioOutput::dropBrokenPipeWire() {
    // PipeWire's stream lost its link (its server went, or it failed): the
    // rustle goes on SDL's stream, and PipeWire's is made again with SDL.
    if (!m_pipewire || !m_pipewire->failed()) return;
    if (m_rustleOpen && m_rustleDevice == 0) m_rustleOpen = false;
    m_pipewire.reset();
}

bool AudioOutput::openMusic() {
    if (m_music != 0) return true;
    if (!m_sdlStarted) return false;
    m_music = openStream("Music", kMusicFramesPerBlock, &musicCallback, m_source);
    if (m_music == 0) return false;
    m_musicLastHeard = Clock::now(); // held open a while, even if only to decode
    m_retryWait = kFirstRetry;
    return true;
}

void AudioOutput::closeMusic() {
    if (m_music != 0)
        SDL_CloseAudioDevice(m_music); // waits for the audio thread to finish its block
    m_music = 0;
}

void AudioOutput::openRustle() {
    if (m_pipewire && m_pipewire->linked()) {
        m_pipewire->setPlaying(true); // no SDL device: m_rustleDevice stays 0
        m_rustleOpen = true;
        return;
    }
    m_rustleDevice = openStream("Card rustle", kRustleFramesPerBlock, &rustleCallback, m_source);
    // An output that takes one stream only (a sound card without a mixer):
    // the rustle is mixed into the music's from now on. (Where the server
    // has gone, the music's stream will not open either.)
    m_rustleShared = m_rustleDevice == 0;
    m_rustleOpen = m_rustleDevice != 0;
}

void AudioOutput::setRustleGoing(bool going) {
    if (m_rustleDevice != 0)
        SDL_PauseAudioDevice(m_rustleDevice, going ? 0 : 1);
    else if (m_pipewire)
        m_pipewire->setPlaying(going);
}

void AudioOutput::closeRustle(bool evenIfSounding) {
    if (!m_rustleOpen) return;
    // Stopped, the stream takes nothing more from the rustle. A rustle that
    // started just now keeps its stream; one that starts after the stop
    // opens it again.
    setRustleGoing(false);
    if (!evenIfSounding && m_source.rustleSounding()) {
        setRustleGoing(true);
        return;
    }
    // PipeWire's stream stays linked, stopped, for the next rustle.
    if (m_rustleDevice != 0) SDL_CloseAudioDevice(m_rustleDevice); // waits for its audio thread
    m_rustleDevice = 0;
    m_rustleOpen = false;
}

} // namespace vimbo::sound

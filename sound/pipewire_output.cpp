#include "pipewire_output.h"

#include <dlfcn.h>
#include <pipewire/pipewire.h>
#include <spa/param/audio/raw-utils.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <type_traits>

namespace vimbo::sound {

// The few functions of libpipewire the stream needs, found at run time.
struct PipeWireOutput::Api {
    void* library = nullptr;
    decltype(&::pw_init) init = nullptr;
    decltype(&::pw_deinit) deinit = nullptr;
    decltype(&::pw_thread_loop_new) loopNew = nullptr;
    decltype(&::pw_thread_loop_get_loop) loopGet = nullptr;
    decltype(&::pw_thread_loop_start) loopStart = nullptr;
    decltype(&::pw_thread_loop_stop) loopStop = nullptr;
    decltype(&::pw_thread_loop_destroy) loopDestroy = nullptr;
    decltype(&::pw_thread_loop_lock) lock = nullptr;
    decltype(&::pw_thread_loop_unlock) unlock = nullptr;
    decltype(&::pw_properties_new) propertiesNew = nullptr;
    decltype(&::pw_stream_new_simple) streamNew = nullptr;
    decltype(&::pw_stream_connect) connect = nullptr;
    decltype(&::pw_stream_destroy) streamDestroy = nullptr;
    decltype(&::pw_stream_dequeue_buffer) dequeue = nullptr;
    decltype(&::pw_stream_queue_buffer) queue = nullptr;
    decltype(&::pw_stream_set_active) setActive = nullptr;
    decltype(&::pw_log_set_level) logLevel = nullptr;

    bool load() {
        // Never closed: PipeWire's own threads and exit work may still reach
        // into the library.
        library = dlopen("libpipewire-0.3.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library) return false;
        const auto find = [this](auto& function, const char* name) {
            function =
                reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
            return function != nullptr;
        };
        return find(init, "pw_init") && find(deinit, "pw_deinit") &&
               find(loopNew, "pw_thread_loop_new") && find(loopGet, "pw_thread_loop_get_loop") &&
               find(loopStart, "pw_thread_loop_start") && find(loopStop, "pw_thread_loop_stop") &&
               find(loopDestroy, "pw_thread_loop_destroy") && find(lock, "pw_thread_loop_lock") &&
               find(unlock, "pw_thread_loop_unlock") && find(propertiesNew, "pw_properties_new") &&
               find(streamNew, "pw_stream_new_simple") && find(connect, "pw_stream_connect") &&
               find(streamDestroy, "pw_stream_destroy") &&
               find(dequeue, "pw_stream_dequeue_buffer") && find(queue, "pw_stream_queue_buffer") &&
               find(setActive, "pw_stream_set_active") && find(logLevel, "pw_log_set_level");
    }
};

struct PipeWireOutput::Stream {
    Api* api = nullptr;
    Fill fill = nullptr;
    void* user = nullptr;
    pw_thread_loop* loop = nullptr;
    pw_stream* stream = nullptr;
    std::atomic<bool> linked{false};
    std::atomic<bool> failed{false};
    std::atomic<bool> playing{false};   // set going by the game
    std::atomic<bool> streaming{false}; // run by PipeWire
    // When it last showed it is taken from (in steady-clock ticks): set going,
    // run, or filled.
    std::atomic<std::chrono::steady_clock::rep> aliveAt{0};
};

namespace {

constexpr std::uint32_t kFrameBytes = 2 * sizeof(std::int16_t);
// A stream whose links are taken away (by hand, or with the session manager
// that made them, which takes its links along when it ends) gets no error:
// PipeWire only stops it, and it waits for links that may never come, with
// the rustle half played. Set going and neither run nor filled for this long,
// it has lost its link. Moved to another output, it is stopped for a few
// milliseconds only; an output that wakes up slowly (Bluetooth) runs it
// first and fills it later.
constexpr std::chrono::milliseconds kLinkLostAfter{1000};

std::chrono::steady_clock::rep ticksNow() {
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

void onProcess(void* data) {
    auto* s = static_cast<PipeWireOutput::Stream*>(data);
    s->aliveAt = ticksNow();
    pw_buffer* buffer = s->api->dequeue(s->stream);
    if (!buffer) return;
    spa_data& out = buffer->buffer->datas[0];
    if (out.data) {
        std::uint32_t frames = out.maxsize / kFrameBytes;
        // As much as the cycle asks for: more would wait in PipeWire's queue.
        if (buffer->requested > 0)
            frames = std::min(frames, static_cast<std::uint32_t>(buffer->requested));
        s->fill(s->user, static_cast<std::int16_t*>(out.data), static_cast<int>(frames));
        out.chunk->offset = 0;
        out.chunk->stride = kFrameBytes;
        out.chunk->size = frames * kFrameBytes;
    }
    s->api->queue(s->stream, buffer);
}

void onAddBuffer(void* data, pw_buffer*) {
    auto* s = static_cast<PipeWireOutput::Stream*>(data);
    // The first buffers show the stream linked to an output and agreed on a
    // format. Until a rustle starts it has nothing to play.
    if (!s->linked.exchange(true)) s->api->setActive(s->stream, false);
}

void onStateChanged(void* data, pw_stream_state, pw_stream_state state, const char*) {
    auto* s = static_cast<PipeWireOutput::Stream*>(data);
    s->streaming = state == PW_STREAM_STATE_STREAMING;
    if (s->streaming) s->aliveAt = ticksNow();
    if (state != PW_STREAM_STATE_ERROR && state != PW_STREAM_STATE_UNCONNECTED) return;
    if (s->linked.exchange(false) || state == PW_STREAM_STATE_ERROR) s->failed = true;
}

} // namespace

namespace {

// The stream's node: a game's playback, at the output's rate, asking the
// server for the latency of one buffer of `frames`.
pw_properties* streamProperties(PipeWireOutput::Api& pw, const char* appName, const char* name,
                                int rate, int frames) {
    char latency[32];
    std::snprintf(latency, sizeof latency, "%d/%d", frames, rate);
    char nodeRate[32];
    std::snprintf(nodeRate, sizeof nodeRate, "1/%d", rate);
    return pw.propertiesNew(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback",
                            PW_KEY_MEDIA_ROLE, "Game", PW_KEY_APP_NAME, appName, PW_KEY_NODE_NAME,
                            name, PW_KEY_NODE_DESCRIPTION, name, PW_KEY_MEDIA_NAME, name,
                            PW_KEY_NODE_LATENCY, latency, PW_KEY_NODE_RATE, nodeRate, nullptr);
}

// Connects the stream as 16-bit stereo at `rate`: true once it is on its way.
bool connectStream(PipeWireOutput::Api& pw, pw_stream* stream, int rate) {
    std::uint8_t podBytes[1024];
    spa_pod_builder builder{};
    spa_pod_builder_init(&builder, podBytes, sizeof podBytes);
    spa_audio_info_raw format{};
    format.format = SPA_AUDIO_FORMAT_S16_LE;
    format.rate = static_cast<std::uint32_t>(rate);
    format.channels = 2;
    format.position[0] = SPA_AUDIO_CHANNEL_FL;
    format.position[1] = SPA_AUDIO_CHANNEL_FR;
    const spa_pod* params[1] = {
        spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &format)};
    // Linked at once, to whatever output the desktop plays on; it runs only
    // until it has its buffers (an inactive stream would not get them, and
    // would not show whether it has an output at all).
    const auto flags =
        static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS);
    return params[0] && pw.connect(stream, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, params, 1) == 0;
}

} // namespace

std::unique_ptr<PipeWireOutput> PipeWireOutput::create(const char* appName, const char* name,
                                                       int rate, int frames, Fill fill,
                                                       void* user) {
    static const pw_stream_events events = [] {
        pw_stream_events e{};
        e.version = PW_VERSION_STREAM_EVENTS;
        e.state_changed = &onStateChanged;
        e.add_buffer = &onAddBuffer;
        e.process = &onProcess;
        return e;
    }();
    auto api = std::make_unique<Api>();
    if (!api->load()) return nullptr;
    std::unique_ptr<PipeWireOutput> output(new PipeWireOutput);
    output->m_api = std::move(api);
    Api& pw = *output->m_api;
    pw.init(nullptr, nullptr);
    // The game prints nothing: not even where the library is installed
    // without a PipeWire to talk to (no client configuration, no server).
    pw.logLevel(SPA_LOG_LEVEL_NONE);
    output->m_stream = std::make_unique<Stream>();
    Stream& s = *output->m_stream;
    s.api = &pw;
    s.fill = fill;
    s.user = user;
    s.loop = pw.loopNew("vimbo-rustle", nullptr);
    if (!s.loop) return nullptr;
    pw.lock(s.loop);
    s.stream = pw.streamNew(pw.loopGet(s.loop), name,
                            streamProperties(pw, appName, name, rate, frames), &events, &s);
    const bool connected = s.stream && connectStream(pw, s.stream, rate);
    pw.unlock(s.loop);
    if (!connected || pw.loopStart(s.loop) != 0) return nullptr;
    return output;
}

PipeWireOutput::~PipeWireOutput() {
    if (!m_stream) return;
    Api& pw = *m_api;
    if (m_stream->loop) pw.loopStop(m_stream->loop); // PipeWire's thread is gone after this
    if (m_stream->stream) pw.streamDestroy(m_stream->stream);
    if (m_stream->loop) pw.loopDestroy(m_stream->loop);
    pw.deinit();
}

bool PipeWireOutput::linked() const {
    return m_stream->linked;
}

bool PipeWireOutput::failed() const {
    const Stream& s = *m_stream;
    if (s.failed) return true;
    const auto idle = std::chrono::steady_clock::duration(ticksNow() - s.aliveAt);
    return s.linked && s.playing && !s.streaming && idle >= kLinkLostAfter;
}

void PipeWireOutput::setPlaying(bool playing) {
    Api& pw = *m_api;
    pw.lock(m_stream->loop);
    if (playing && !m_stream->playing) m_stream->aliveAt = ticksNow();
    m_stream->playing = playing;
    pw.setActive(m_stream->stream, playing);
    pw.unlock(m_stream->loop);
}

} // namespace vimbo::sound

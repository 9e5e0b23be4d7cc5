#include "media_device.h"

#include <algorithm>

namespace vimbo::sound {

MediaDevice::MediaDevice(std::unique_ptr<MediaPlayer> player, Poster post)
    : m_player(std::move(player)), m_post(std::move(post)),
      m_self(std::make_shared<MediaDevice*>(this)) {
    // The end of a play is noticed wherever the player runs (the audio thread);
    // the game hears of it on the UI thread, if the device is still there.
    m_player->finished = [post = m_post, self = std::weak_ptr<MediaDevice*>(m_self)] {
        post([self] {
            if (auto device = self.lock()) (*device)->playerFinished();
        });
    };
}

MediaDevice::~MediaDevice() {
    close();
    m_player.reset(); // no finished report can start after this
    m_self.reset();   // and those already posted find nobody
}

void MediaDevice::open(const std::string& path) {
    close();
    m_length = std::max<std::int64_t>(0, m_player->load(path));
    if (m_length == 0) m_player->unload();
}

void MediaDevice::close() {
    if (m_playing) m_player->halt();
    if (m_length > 0) m_player->unload();
    m_length = 0;
    m_playing = false;
    m_rewound = false;
}

void MediaDevice::play() {
    if (m_length == 0) return;
    if (m_rewound) {
        m_rewound = false;
        if (m_playing) m_player->halt();
        m_player->start(0);
        m_playing = true;
        return;
    }
    if (m_playing) return; // a sounding piece plays on
    const std::int64_t at = m_player->position();
    if (at >= m_length) {
        playAtTheEnd();
        return;
    }
    m_player->start(at);
    m_playing = true;
}

void MediaDevice::playAtTheEnd() {
    // A piece that stands at its end stays there, but the play still completes,
    // at once, as though it had just run out: a Done follows, and the game's
    // handler starts the piece over. Without it, an end report that the game
    // dropped (the piece ran out just as the music was switched off) would
    // leave the music silent for good. The report travels the player's own way,
    // so a pause or a new play before it arrives drops it like any other.
    m_playing = true;
    m_post([self = std::weak_ptr<MediaDevice*>(m_self)] {
        if (auto device = self.lock()) (*device)->playerFinished();
    });
}

void MediaDevice::pause() {
    halt();
}

void MediaDevice::stop() {
    halt();
}

void MediaDevice::halt() {
    if (!m_playing) return;
    m_player->halt();
    m_playing = false;
    // A play cut short completes too. One that reached its end just before the
    // halt is not reported at all: the game asked for quiet, and a Done at the
    // end would start the piece over.
    if (m_player->position() < m_length) postDone();
}

void MediaDevice::rewind() {
    if (m_length > 0) m_rewound = true;
}

std::int64_t MediaDevice::position() const {
    if (m_length == 0) return 0;
    return std::clamp<std::int64_t>(m_player->position(), 0, m_length);
}

std::int64_t MediaDevice::length() const {
    return m_length;
}

void MediaDevice::playerFinished() {
    // A report that arrives after the game halted the play, or after it
    // started a new one, belongs to no play the game still knows of.
    if (!m_playing || m_player->position() != m_length) return;
    m_playing = false;
    if (Done) Done();
}

void MediaDevice::postDone() {
    m_post([self = std::weak_ptr<MediaDevice*>(m_self)] {
        auto device = self.lock();
        if (device && (*device)->Done) (*device)->Done();
    });
}

} // namespace vimbo::sound

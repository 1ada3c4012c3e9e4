#include "platform/flash/runtime/video/flv_playback.h"

#include <algorithm>

#include "platform/flash/flv/flv_audio.h"
#include "platform/flash/video/video_decoder.h"

namespace pencora::runtime {

namespace {

std::shared_ptr<const SoundPcm> toSoundPcm(flv::Pcm&& pcm) {
    auto out = std::make_shared<SoundPcm>();
    out->rate = pcm.rate;
    out->channels = pcm.channels;
    out->samples = std::move(pcm.samples);
    return out;
}

// libavformat hands VP6 pictures without the size adjustment byte the file puts before
// each; the decoder takes FLV packets as the file has them.
std::vector<uint8_t> flvPacket(const flv::File& file, const flv::Packet& p) {
    const bool vp6 = p.codec == flv::video_codec::Vp6 || p.codec == flv::video_codec::Vp6Alpha;
    if (!vp6 || file.video.extra.size() != 1) {
        return p.bytes;
    }
    std::vector<uint8_t> out;
    out.reserve(p.bytes.size() + 1);
    out.push_back(file.video.extra[0]);
    out.insert(out.end(), p.bytes.begin(), p.bytes.end());
    return out;
}

QImage toImage(const flash::video::DecodedFrame& frame) {
    QImage image(frame.width, frame.height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull() || frame.pixels.size() < size_t(frame.width) * size_t(frame.height)) {
        return {};
    }
    for (int y = 0; y < frame.height; ++y) {
        std::copy_n(frame.pixels.data() + size_t(y) * size_t(frame.width), frame.width,
                    reinterpret_cast<uint32_t*>(image.scanLine(y)));
    }
    return image;
}

}  // namespace

FlvPlayback::FlvPlayback(SoundMixer& mixer) : mixer_(mixer) {}

// The mixer is not touched: a playing stream is kept alive until it is closed, so only the
// player's teardown destroys one with its sound on, and the mixer may be gone by then. The
// voice holds its own samples.
FlvPlayback::~FlvPlayback() = default;

bool FlvPlayback::open(std::span<const uint8_t> bytes) {
    close();
    auto file = flv::readFile(bytes);
    if (!file) {
        return false;
    }
    file_ = std::move(file);
    startMs_ = file_->packets.empty() ? 0 : file_->packets.front().ms;
    double last = 0;
    for (const flv::Packet& p : file_->packets) {
        startMs_ = std::min(startMs_, p.ms);
        last = std::max(last, p.ms);
    }
    durationMs_ = file_->durationMs > 0 ? file_->durationMs : last - startMs_;
    if (auto pcm = flv::decodeAudio(*file_)) {
        audioStartMs_ = std::max(0.0, pcm->startMs - startMs_);
        audio_ = toSoundPcm(std::move(*pcm));
    }
    if (file_->video.present && flash::video::isKnownCodec(file_->video.codec)) {
        decoder_ = std::make_unique<flash::video::VideoDecoder>(file_->video.codec,
                                                                flash::video::PacketLayout::Flv);
        if (file_->video.codec == flv::video_codec::Avc) {
            decoder_->configure(file_->video.extra);
        }
    }
    startAudio();
    return true;
}

void FlvPlayback::close() {
    stopAudio();
    file_.reset();
    audio_.reset();
    decoder_.reset();
    playheadMs_ = 0;
    nextPacket_ = 0;
    paused_ = false;
    ended_ = false;
    bufferFull_ = false;
    if (!picture_.isNull()) {
        picture_ = QImage();
        pictureChanged_ = true;
    }
}

std::vector<QString> FlvPlayback::advance(double milliseconds) {
    std::vector<QString> codes;
    if (!file_ || paused_ || ended_) {
        return codes;
    }
    if (!bufferFull_) {
        bufferFull_ = true;
        codes.push_back(QStringLiteral("NetStream.Buffer.Full"));
        showPicturesUpTo(playheadMs_);
        return codes;  // the first picture shows before the playhead moves
    }
    playheadMs_ = std::min(durationMs_, playheadMs_ + std::max(0.0, milliseconds));
    showPicturesUpTo(playheadMs_);
    if (playheadMs_ >= durationMs_) {
        ended_ = true;
        stopAudio();
        codes.push_back(QStringLiteral("NetStream.Buffer.Flush"));
        codes.push_back(QStringLiteral("NetStream.Play.Stop"));
        codes.push_back(QStringLiteral("NetStream.Buffer.Empty"));
    }
    return codes;
}

void FlvPlayback::setPaused(bool paused) {
    if (paused == paused_ || !file_) {
        paused_ = paused;
        return;
    }
    paused_ = paused;
    if (paused) {
        stopAudio();
    } else if (!ended_) {
        startAudio();
    }
}

void FlvPlayback::seek(double seconds) {
    if (!file_) {
        return;
    }
    const double target = std::clamp(seconds * 1000.0, 0.0, durationMs_);
    double to = file_->video.present ? 0 : target;
    size_t from = 0;
    for (size_t i = 0; i < file_->packets.size(); ++i) {
        const flv::Packet& p = file_->packets[i];
        const double at = p.ms - startMs_;
        if (at > target) {
            break;
        }
        if (p.kind == flv::PacketKind::Video && p.keyframe) {
            to = at;
            from = i;
        }
    }
    stopAudio();
    playheadMs_ = to;
    nextPacket_ = from;
    ended_ = false;
    if (decoder_) {
        decoder_->reset();
    }
    showPicturesUpTo(playheadMs_);
    if (!paused_) {
        startAudio();
    }
}

void FlvPlayback::setAudioOwner(const std::shared_ptr<DisplayObject>& owner) {
    audioOwner_ = owner;
    if (voice_) {
        stopAudio();
        if (!paused_ && !ended_) {
            startAudio();
        }
    }
}

bool FlvPlayback::takePictureChanged() {
    return std::exchange(pictureChanged_, false);
}

void FlvPlayback::startAudio() {
    stopAudio();
    if (!audio_ || paused_ || ended_) {
        return;
    }
    const double offset = playheadMs_ - audioStartMs_;
    if (offset >= audio_->milliseconds()) {
        return;
    }
    // A sound starting later in the file starts from its beginning; the small lead is
    // not worth a timer of its own.
    voice_ = mixer_.start(audio_, swf::SoundInfo{}, audioOwner_.lock(), 0, std::max(0.0, offset));
}

void FlvPlayback::stopAudio() {
    if (voice_) {
        mixer_.stop(voice_);
        voice_ = 0;
    }
}

void FlvPlayback::showPicturesUpTo(double ms) {
    if (!file_) {
        return;
    }
    const auto& packets = file_->packets;
    const bool more = nextPacket_ < packets.size();
    while (nextPacket_ < packets.size() && packets[nextPacket_].ms - startMs_ <= ms) {
        const flv::Packet& p = packets[nextPacket_++];
        if (p.kind == flv::PacketKind::Video) {
            decodePicture(p);
        }
    }
    // After the last packet the pictures H.264 held back for reordering come out.
    if (more && nextPacket_ == packets.size() && decoder_) {
        showPicture(decoder_->finish());
    }
}

void FlvPlayback::showPicture(const std::optional<flash::video::DecodedFrame>& frame) {
    if (!frame) {
        return;
    }
    QImage image = toImage(*frame);
    if (!image.isNull()) {
        picture_ = std::move(image);
        pictureChanged_ = true;
    }
}

void FlvPlayback::decodePicture(const flv::Packet& packet) {
    if (!decoder_) {
        return;
    }
    if (!packet.config.empty()) {
        decoder_->configure(packet.config);
    }
    if (!decoder_->valid()) {
        return;
    }
    showPicture(decoder_->decode(flvPacket(*file_, packet)));
}

}  // namespace pencora::runtime

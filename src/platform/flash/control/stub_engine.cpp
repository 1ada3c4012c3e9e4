#include "platform/flash/control/stub_engine.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace pencora::flash {

namespace {

constexpr std::size_t kMaxMovieSize = 64u << 20;

struct Header {
    int version = 0;
    double width = 0, height = 0, frameRate = 0;
    int frameCount = 0;
    std::uint32_t background = 0xFFFFFF;
    int framesLoaded = 0;
    std::vector<std::pair<int, std::u16string>> labels;  // frame, label
};

std::optional<std::vector<std::uint8_t>> inflateBody(std::span<const std::uint8_t> data,
                                                     std::size_t expected) {
    std::vector<std::uint8_t> out(std::min(expected, kMaxMovieSize));
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        return std::nullopt;
    }
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = inflate(&z, Z_FINISH);
    out.resize(z.total_out);
    inflateEnd(&z);
    if (rc != Z_STREAM_END && rc != Z_OK && rc != Z_BUF_ERROR) {
        return std::nullopt;
    }
    return out;
}

std::optional<Header> readHeader(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 8 || bytes[1] != 'W' || bytes[2] != 'S') {
        return std::nullopt;
    }
    Header h;
    h.version = bytes[3];
    const std::size_t declared = bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) |
                                 (std::size_t{bytes[7]} << 24);
    std::vector<std::uint8_t> body;
    if (bytes[0] == 'F') {
        body.assign(bytes.begin() + 8, bytes.end());
    } else if (bytes[0] == 'C') {
        auto inflated = inflateBody(bytes.subspan(8), declared > 8 ? declared - 8 : 0);
        if (!inflated) {
            return std::nullopt;
        }
        body = std::move(*inflated);
    } else {
        return std::nullopt;
    }
    if (body.empty()) {
        return std::nullopt;
    }
    // Stage rectangle: 5 bits of field size, then four signed fields in twips.
    const int nbits = body[0] >> 3;
    const std::size_t rectBytes = (5 + 4 * nbits + 7) / 8;
    if (body.size() < rectBytes + 4) {
        return std::nullopt;
    }
    auto bitsAt = [&](int start, int count) {
        std::int64_t v = 0;
        for (int i = 0; i < count; ++i) {
            const int bit = start + i;
            v = (v << 1) | ((body[bit / 8] >> (7 - bit % 8)) & 1);
        }
        if (count > 0 && (v >> (count - 1)) & 1) {
            v -= std::int64_t{1} << count;
        }
        return v;
    };
    const auto xMin = bitsAt(5, nbits), xMax = bitsAt(5 + nbits, nbits);
    const auto yMin = bitsAt(5 + 2 * nbits, nbits), yMax = bitsAt(5 + 3 * nbits, nbits);
    h.width = std::max<double>(0, (xMax - xMin) / 20.0);
    h.height = std::max<double>(0, (yMax - yMin) / 20.0);
    std::size_t pos = rectBytes;
    h.frameRate = body[pos] / 256.0 + body[pos + 1];
    h.frameCount = body[pos + 2] | (body[pos + 3] << 8);
    pos += 4;
    // The tag list, as far as it is sound.
    while (pos + 2 <= body.size()) {
        const int code = (body[pos] | (body[pos + 1] << 8)) >> 6;
        std::size_t length = (body[pos] | (body[pos + 1] << 8)) & 0x3F;
        pos += 2;
        if (length == 0x3F) {
            if (pos + 4 > body.size()) {
                break;
            }
            length = body[pos] | (body[pos + 1] << 8) | (body[pos + 2] << 16) |
                     (std::size_t{body[pos + 3]} << 24);
            pos += 4;
        }
        if (length > body.size() - pos) {
            break;
        }
        if (code == 0) {
            break;
        }
        if (code == 1) {
            ++h.framesLoaded;
        } else if (code == 9 && length >= 3) {
            h.background = (std::uint32_t{body[pos]} << 16) | (body[pos + 1] << 8) | body[pos + 2];
        } else if (code == 43 && length > 0) {
            std::u16string label;
            for (std::size_t i = pos; i < pos + length && body[i] != 0; ++i) {
                label += static_cast<char16_t>(body[i]);  // ASCII labels are enough here
            }
            h.labels.emplace_back(h.framesLoaded, std::move(label));
        }
        pos += length;
    }
    return h;
}

bool isRoot(std::u16string_view target) {
    return target.empty() || target == u"/" || target == u"_root" || target == u"_level0";
}

class StubMovieEngine final : public MovieEngine {
public:
    void setHost(MovieEngineHost* host) override { host_ = host; }

    bool loadMovie(int layer, std::span<const std::uint8_t> bytes, std::u16string_view,
                   const std::vector<std::pair<std::u16string, std::u16string>>& parameters)
        override {
        if (layer != 0) {
            return false;
        }
        auto header = readHeader(bytes);
        unloadMovie(0);
        if (!header) {
            return false;
        }
        header_ = std::move(*header);
        for (const auto& [name, value] : parameters) {
            variables_[name] = value;
        }
        if (host_) {
            host_->invalidate(std::nullopt);
        }
        return true;
    }

    void unloadMovie(int layer) override {
        if (layer != 0) {
            return;
        }
        header_.reset();
        variables_.clear();
        frame_ = -1;
        playing_ = true;
    }

    void fetchCompleted(int, std::span<const std::uint8_t>) override {}
    void fetchFailed(int) override {}

    MovieInfo movieInfo() const override {
        MovieInfo info;
        if (!header_) {
            return info;
        }
        info.loaded = true;
        info.swfVersion = header_->version;
        info.stageWidth = header_->width;
        info.stageHeight = header_->height;
        info.frameRate = header_->frameRate;
        info.frameCount = header_->frameCount;
        info.framesLoaded = std::max(header_->framesLoaded, 1);
        info.backgroundColor = header_->background;
        return info;
    }

    void runFrame() override {
        if (!header_) {
            return;
        }
        const int last = std::max(header_->frameCount, 1) - 1;
        if (frame_ < 0) {
            frame_ = 0;
        } else if (playing_) {
            if (frame_ < last) {
                ++frame_;
            } else if (loop_) {
                frame_ = 0;
            }
        }
    }
    void advanceClock(double) override {}
    void setLoop(bool loop) override { loop_ = loop; }

    void render(const RenderTarget& target, const RenderOptions& options) override {
        if (!options.paintBackground || !target.bits) {
            return;
        }
        const std::uint32_t rgb = options.backgroundOverride.value_or(
            header_ ? header_->background : 0xFFFFFFu);
        for (int y = std::max(0, target.clipTop); y < std::min(target.height, target.clipBottom);
             ++y) {
            std::uint8_t* row = target.bits + y * target.stride;
            for (int x = std::max(0, target.clipLeft); x < std::min(target.width, target.clipRight);
                 ++x) {
                row[x * 4] = static_cast<std::uint8_t>(rgb);
                row[x * 4 + 1] = static_cast<std::uint8_t>(rgb >> 8);
                row[x * 4 + 2] = static_cast<std::uint8_t>(rgb >> 16);
                row[x * 4 + 3] = 0xFF;
            }
        }
    }

    void handleInput(const InputEvent&) override {}
    CursorShape cursor() const override { return CursorShape::Arrow; }

    bool gotoFrame(std::u16string_view target, int frame, bool play) override {
        if (!header_ || !isRoot(target)) {
            return false;
        }
        frame_ = std::clamp(frame, 0, std::max(header_->frameCount, 1) - 1);
        playing_ = play;
        return true;
    }
    bool gotoLabel(std::u16string_view target, std::u16string_view label, bool play) override {
        if (!header_) {
            return false;
        }
        for (const auto& [frame, name] : header_->labels) {
            if (name == label) {
                return gotoFrame(target, frame, play);
            }
        }
        return false;
    }
    bool play(std::u16string_view target) override { return setPlaying(target, true); }
    bool stop(std::u16string_view target) override { return setPlaying(target, false); }
    std::optional<int> currentFrame(std::u16string_view target) const override {
        if (!header_ || !isRoot(target)) {
            return std::nullopt;
        }
        return std::max(frame_, 0);
    }
    std::optional<std::u16string> currentLabel(std::u16string_view target) const override {
        if (!header_ || !isRoot(target)) {
            return std::nullopt;
        }
        std::u16string label;
        for (const auto& [frame, name] : header_->labels) {
            if (frame <= frame_) {
                label = name;
            }
        }
        return label;
    }
    std::optional<int> totalFrames(std::u16string_view target) const override {
        if (!header_ || !isRoot(target)) {
            return std::nullopt;
        }
        return header_->frameCount;
    }
    bool isPlaying(std::u16string_view target) const override {
        return header_ && isRoot(target) && playing_;
    }
    bool callFrame(std::u16string_view target, int) override { return header_ && isRoot(target); }
    bool callLabel(std::u16string_view target, std::u16string_view) override {
        return header_ && isRoot(target);
    }

    std::optional<std::u16string> getVariable(std::u16string_view path) const override {
        const auto it = variables_.find(std::u16string(path));
        if (it == variables_.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    bool setVariable(std::u16string_view path, std::u16string_view value) override {
        if (!header_) {
            return false;
        }
        variables_[std::u16string(path)] = std::u16string(value);
        return true;
    }

    std::optional<std::u16string> getProperty(std::u16string_view target,
                                              int index) const override {
        const auto n = getPropertyNumber(target, index);
        if (!n) {
            return std::nullopt;
        }
        const auto text = std::to_string(static_cast<long long>(std::llround(*n)));
        return std::u16string(text.begin(), text.end());
    }
    std::optional<double> getPropertyNumber(std::u16string_view target, int index) const override {
        if (!header_ || !isRoot(target)) {
            return std::nullopt;
        }
        switch (index) {
            case 2:
            case 3:
            case 6:
                return 100.0;
            case 4:
                return std::max(frame_, 0) + 1.0;
            case 5:
                return header_->frameCount;
            case 7:
                return 1.0;
            case 8:
                return header_->width;
            case 9:
                return header_->height;
            case 12:
                return std::max(header_->framesLoaded, 1);
            default:
                return 0.0;
        }
    }
    bool setProperty(std::u16string_view target, int, std::u16string_view) override {
        return header_ && isRoot(target);
    }
    bool setPropertyNumber(std::u16string_view target, int, double) override {
        return header_ && isRoot(target);
    }

    std::optional<std::u16string> callFunction(std::u16string_view) override {
        return std::nullopt;
    }

private:
    bool setPlaying(std::u16string_view target, bool playing) {
        if (!header_ || !isRoot(target)) {
            return false;
        }
        playing_ = playing;
        return true;
    }

    MovieEngineHost* host_ = nullptr;
    std::optional<Header> header_;
    std::map<std::u16string, std::u16string> variables_;
    int frame_ = -1;
    bool playing_ = true;
    bool loop_ = true;
};

}  // namespace

std::unique_ptr<MovieEngine> createStubMovieEngine() {
    return std::make_unique<StubMovieEngine>();
}

}  // namespace pencora::flash

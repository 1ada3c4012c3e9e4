// The bytes a stream decodes: a window offset..offset+length of a file or of a memory block.
// The decoder sees the window as a whole file of its own, so a stream can start anywhere in
// a recording. For MPEG audio the window's start moves forward to the next frame header,
// because a decoder cannot find its footing in the middle of a frame.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <span>

namespace pencora::audio {

class ByteRange {
  public:
    // A window of a file; length 0 means up to the end of the file. Empty when the file
    // cannot be opened or the offset lies beyond its end.
    static std::unique_ptr<ByteRange> openFile(const std::filesystem::path& path, uint64_t offset,
                                               uint64_t length);
    // A window of caller-owned memory that outlives the range.
    static std::unique_ptr<ByteRange> openMemory(std::span<const uint8_t> bytes, uint64_t offset,
                                                 uint64_t length);

    int64_t size() const { return end_ - begin_; }
    int64_t tell() const { return pos_; }
    // Positions are relative to the window; the result is clamped to 0..size().
    int64_t seek(int64_t position);
    // Reads at most `count` bytes at the current position without passing the window's end.
    int64_t read(void* dst, int64_t count);

    // Samples per channel at the start of the decoded sound that are not part of the
    // window: whole MPEG frames before the cut, read only to prime the decoder.
    int64_t prerollSamples() const { return prerollSamples_; }

  private:
    ByteRange() = default;
    bool place(uint64_t offset, uint64_t length, uint64_t total);
    void preroll(int64_t frameStart);
    int64_t readAbsolute(int64_t at, void* dst, int64_t count);

    std::ifstream file_;
    std::span<const uint8_t> memory_;
    bool fromMemory_ = false;
    int64_t begin_ = 0;
    int64_t end_ = 0;
    int64_t pos_ = 0;
    int64_t prerollSamples_ = 0;
};

// Where the next MPEG audio frame starts in `bytes` at or after `from`: a frame header
// whose successor frame (when it lies inside `bytes`) starts with a matching header.
// Returns -1 when there is none.
int64_t findMpegFrame(std::span<const uint8_t> bytes, int64_t from);

// True when `head` (the first bytes of a file) looks like MPEG audio: an ID3v2 tag or a
// frame header at the very start.
bool looksLikeMpeg(std::span<const uint8_t> head);

}  // namespace pencora::audio

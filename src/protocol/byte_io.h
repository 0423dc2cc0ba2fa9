#pragma once
// Bounds-checked cursors over a fixed message: every read and write checks the room left, and
// a cursor that ran out stays failed, so a layout is written or read as a straight sequence
// and checked once at the end.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace trv81k {

class ByteWriter {
public:
    explicit ByteWriter(std::span<std::uint8_t> out) : out_(out) {}

    void put(std::uint8_t value) {
        if (room(1)) {
            out_[pos_++] = value;
        }
    }
    void put(std::span<const std::uint8_t> bytes) {
        if (room(bytes.size())) {
            std::copy(bytes.begin(), bytes.end(), out_.begin() + static_cast<std::ptrdiff_t>(pos_));
            pos_ += bytes.size();
        }
    }
    void put(std::string_view text) {
        put(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }
    // A length byte and the text; a text above 255 bytes fails the writer.
    void putLengthPrefixed(std::string_view text) {
        if (text.size() > 255) {
            failed_ = true;
            return;
        }
        put(static_cast<std::uint8_t>(text.size()));
        put(text);
    }
    // `width` bytes: the text's first bytes, then zeros.
    void putPadded(std::string_view text, std::size_t width) {
        if (!room(width)) {
            return;
        }
        const std::size_t n = std::min(text.size(), width);
        std::copy_n(reinterpret_cast<const std::uint8_t*>(text.data()), n,
                    out_.begin() + static_cast<std::ptrdiff_t>(pos_));
        std::fill_n(out_.begin() + static_cast<std::ptrdiff_t>(pos_ + n), width - n, 0);
        pos_ += width;
    }
    void skip(std::size_t n) {
        if (room(n)) {
            pos_ += n;
        }
    }

    bool ok() const { return !failed_; }

private:
    bool room(std::size_t n) {
        if (failed_ || n > out_.size() - pos_) {
            failed_ = true;
            return false;
        }
        return true;
    }

    std::span<std::uint8_t> out_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> in) : in_(in) {}

    std::uint8_t get() {
        if (!room(1)) {
            return 0;
        }
        return in_[pos_++];
    }
    // Copies exactly out.size() bytes.
    void get(std::span<std::uint8_t> out) {
        if (!room(out.size())) {
            return;
        }
        std::copy_n(in_.begin() + static_cast<std::ptrdiff_t>(pos_), out.size(), out.begin());
        pos_ += out.size();
    }
    // The next n bytes, or an empty span when they are not there.
    std::span<const std::uint8_t> take(std::size_t n) {
        if (!room(n)) {
            return {};
        }
        auto bytes = in_.subspan(pos_, n);
        pos_ += n;
        return bytes;
    }
    void skip(std::size_t n) {
        if (room(n)) {
            pos_ += n;
        }
    }
    void fail() { failed_ = true; }

    bool ok() const { return !failed_; }

private:
    bool room(std::size_t n) {
        if (failed_ || n > in_.size() - pos_) {
            failed_ = true;
            return false;
        }
        return true;
    }

    std::span<const std::uint8_t> in_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

}  // namespace trv81k

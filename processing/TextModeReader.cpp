#include "processing/TextModeReader.h"

#include <cstring>

namespace velcor::processing {

namespace {

constexpr char kEndOfFile = '\x1A';

// Whether [first, last) holds anything but what may pad a file behind its end mark.
bool holdsData(const char* first, const char* last) {
    for (; first < last; ++first)
        if (*first != '\r' && *first != '\n' && *first != ' ' && *first != '\t' &&
            *first != kEndOfFile)
            return true;
    return false;
}

}  // namespace

TextModeReader::TextModeReader(fileio::ReadFile& file)
    : file_(file), buffer_(kMaxPiece + 1 + kBlockSize) {}

TextModeReader::Result TextModeReader::next(std::string_view& piece) {
    for (;;) {
        const std::size_t available = end_ - begin_;
        const std::size_t window = available < kMaxPiece ? available : kMaxPiece;
        const char* start = buffer_.data() + begin_;
        if (const void* lf = std::memchr(start, '\n', window); lf != nullptr) {
            const auto size = static_cast<std::size_t>(static_cast<const char*>(lf) - start) + 1;
            piece = std::string_view(start, size);
            begin_ += size;
            return Result::piece;
        }
        if (available >= kMaxPiece || (atEnd_ && available > 0)) {
            piece = std::string_view(start, window);
            begin_ += window;
            return Result::piece;
        }
        if (atEnd_) return tailUnread_ && !readTail() ? Result::error : Result::end;
        if (!refill()) return Result::error;
    }
}

bool TextModeReader::refill() {
    // Fewer than kMaxPiece bytes without an LF are left; move them to the front.
    const std::size_t kept = end_ - begin_;
    if (kept > 0 && begin_ > 0) std::memmove(buffer_.data(), buffer_.data() + begin_, kept);
    begin_ = 0;
    end_ = kept;

    // The raw block goes one byte behind the translated text, so that a CR held back from the
    // previous block can still be written in front of it.
    char* raw = buffer_.data() + kept + 1;
    const std::ptrdiff_t got = file_.read(raw, kBlockSize);
    if (got < 0) return false;

    char* out = buffer_.data() + kept;
    const char* in = raw;
    const char* const last = raw + got;
    if (pendingCr_) {
        pendingCr_ = false;
        if (in < last && *in == '\n') {
            *out++ = '\n';
            ++in;
        } else {
            *out++ = '\r';
        }
    }
    if (got == 0) {
        atEnd_ = true;
        end_ = static_cast<std::size_t>(out - buffer_.data());
        return true;
    }
    // Text mode stops at the first 0x1A; nothing behind it is ever read.
    const char* stop = last;
    if (const void* mark = std::memchr(in, kEndOfFile, static_cast<std::size_t>(last - in))) {
        stop = static_cast<const char*>(mark);
        atEnd_ = true;
        dataAfterMark_ = holdsData(stop + 1, last);
        tailUnread_ = !dataAfterMark_;
    }
    while (in < stop) {
        // Copy the plain stretch up to the next CR in one go.
        const void* cr = std::memchr(in, '\r', static_cast<std::size_t>(stop - in));
        const char* special = cr != nullptr ? static_cast<const char*>(cr) : stop;
        const auto plain = static_cast<std::size_t>(special - in);
        if (out != in) std::memmove(out, in, plain);
        out += plain;
        in = special;
        if (in == stop) break;
        if (in + 1 == stop) {
            // A CR at the end of the block waits for the next one; before 0x1A it simply stays.
            if (atEnd_)
                *out++ = '\r';
            else
                pendingCr_ = true;
            ++in;
        } else if (in[1] == '\n') {
            *out++ = '\n';
            in += 2;
        } else {
            *out++ = '\r';
            ++in;
        }
    }
    end_ = static_cast<std::size_t>(out - buffer_.data());
    return true;
}

bool TextModeReader::readTail() {
    // All text is handed out by now, so the whole buffer is free for the look.
    while (!dataAfterMark_) {
        const std::ptrdiff_t got = file_.read(buffer_.data(), buffer_.size());
        if (got < 0) return false;
        if (got == 0) break;
        dataAfterMark_ = holdsData(buffer_.data(), buffer_.data() + got);
    }
    tailUnread_ = false;
    return true;
}

}  // namespace velcor::processing

#pragma once

// Reads a payment list the way a Windows C runtime reads a file opened in text mode, one line
// piece at a time, on every platform: a CR LF pair becomes LF, a lone CR stays, a byte 0x1A ends
// the text (what follows it is only looked at, see dataAfterEndMark), and a line longer than 4094
// bytes arrives as several pieces of at most 4094 bytes, only the last with the LF. Lists written
// on any system thus give the same rows and the same control code everywhere.

#include "fileio/FileSystem.h"
#include "text/LineLimits.h"

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace velcor::processing {

class TextModeReader {
  public:
    static constexpr std::size_t kMaxPiece = text::kLinePieceLimit;
    static constexpr std::size_t kBlockSize = 64 * 1024;

    explicit TextModeReader(fileio::ReadFile& file);

    enum class Result { piece, end, error };

    // The next line piece (with its LF, if it has one). The view stays valid until the next call.
    Result next(std::string_view& piece);

    // Once next() has answered `end`: whether the file holds data behind a 0x1A. Line ends,
    // blanks, TABs and more 0x1A there are the harmless old end-of-file padding; anything else
    // is rows the text would silently lose.
    bool dataAfterEndMark() const { return dataAfterMark_; }

  private:
    // Reads one more block behind the unread text and translates it; false on a read error.
    bool refill();

    fileio::ReadFile& file_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;  // unread translated text is buffer_[begin_, end_)
    std::size_t end_ = 0;
    bool pendingCr_ = false;      // the last block ended with a CR whose partner is not read yet
    bool atEnd_ = false;          // no more text comes from the file
    bool tailUnread_ = false;     // a 0x1A was met and the file behind it is not all looked at
    bool dataAfterMark_ = false;  // something other than padding stands behind a 0x1A

    // Looks at the rest of the file behind a 0x1A; false on a read error.
    bool readTail();
};

}  // namespace velcor::processing

#include "output/PreparedFile.h"

#include "processing/Amount.h"
#include "processing/BudgetUnitCode.h"
#include "processing/Scan.h"
#include "text/LineLimits.h"
#include "text/Text.h"

#include <memory>
#include <utility>
#include <vector>

namespace velcor::output {

namespace {

constexpr std::size_t kWriteBlock = 1 << 20;

// A file read through to `digester`, which learns whether it was read to its end.
class DigestedReadFile final : public fileio::ReadFile {
  public:
    DigestedReadFile(std::unique_ptr<fileio::ReadFile> file, fileio::ContentDigester& digester,
                     bool& atEnd)
        : file_(std::move(file)), digester_(digester), atEnd_(atEnd) {}

    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        const std::ptrdiff_t got = file_->read(buffer, size);
        if (got > 0) digester_.add(buffer, static_cast<std::size_t>(got));
        if (got == 0 && size > 0) atEnd_ = true;
        return got;
    }
    std::error_code error() const override { return file_->error(); }

  private:
    std::unique_ptr<fileio::ReadFile> file_;
    fileio::ContentDigester& digester_;
    bool& atEnd_;
};

// The file system as it is, but for the one list whose reading is digested on the way: the
// original's digest costs no pass of its own.
class DigestingFileSystem final : public fileio::ForwardingFileSystem {
  public:
    DigestingFileSystem(fileio::FileSystem& inner, std::string path)
        : ForwardingFileSystem(inner), path_(std::move(path)) {}

    // What the last reading of the list gave; none when it did not read the list to its end.
    std::optional<fileio::ContentDigest> digest() {
        if (!atEnd_) return std::nullopt;
        atEnd_ = false;
        return digester_.finish();
    }

    std::unique_ptr<fileio::ReadFile> openRead(const std::string& path,
                                               std::error_code& cause) override {
        std::unique_ptr<fileio::ReadFile> file = inner().openRead(path, cause);
        if (!file || path != path_) return file;
        digester_ = {};
        atEnd_ = false;
        return std::make_unique<DigestedReadFile>(std::move(file), digester_, atEnd_);
    }

  private:
    std::string path_;
    fileio::ContentDigester digester_;
    bool atEnd_ = false;
};

}  // namespace

PreparedWrite writePreparedFile(fileio::FileSystem& fs, const std::string& path,
                                std::string_view header, const processing::ControlData& expected,
                                const std::optional<fileio::FileStamp>& scannedStamp,
                                const processing::ScanProgress& progress,
                                const BeforeReplacing& beforeReplacing, char delimiter) {
    PreparedWrite result;
    // The list is digested while it is read again, for a caller who wants to know what it held.
    DigestingFileSystem digesting(fs, path);
    fileio::FileSystem& reading = beforeReplacing ? digesting : fs;
    // Where the work stood, for the question asked while the list's lock is waited for.
    std::uint64_t lastRead = 0;
    std::error_code readCause;
    std::uint64_t listSize = 0;
    processing::ScanProgress tracked;
    if (progress)
        tracked = [&](std::uint64_t read, std::uint64_t size) {
            lastRead = read;
            listSize = size;
            return progress(read, size);
        };
    result.replaced = fileio::replaceFileWith(
        fs, path,
        [&](fileio::WriteFile& file) {
            // Rows come a line at a time; they go to the file a block at a time.
            std::string block(header);
            block.reserve(kWriteBlock + text::kLinePieceLimit);
            // Only digested for a caller who wants to know what was written.
            fileio::ContentDigester digester;
            const auto flushBlock = [&] {
                if (beforeReplacing) digester.add(block.data(), block.size());
                const bool written = block.empty() || file.write(block.data(), block.size());
                block.clear();
                return written;
            };
            // Read as the scan read it, with no row check: the rows it keeps are written as they
            // come, and their control data are counted again.
            const processing::ScanResult again = processing::scanPaymentFile(
                reading, path, nullptr, delimiter,
                [&](std::string_view piece) {
                    block += piece;
                    return block.size() < kWriteBlock || flushBlock();
                },
                tracked);
            if (again.error == processing::ScanError::none && !flushBlock()) return false;
            readCause = again.cause;
            switch (again.error) {
                case processing::ScanError::rowsNotTaken:
                case processing::ScanError::cannotOpen:
                case processing::ScanError::readError:
                case processing::ScanError::outOfMemory:
                    return false;  // not read whole: nothing is known of the rows
                case processing::ScanError::cancelled:
                    result.cancelled = true;
                    return false;
                default:
                    break;
            }
            result.listChanged = again.error != processing::ScanError::none ||
                                 again.controlData.recordCount != expected.recordCount ||
                                 again.controlData.controlCrc != expected.controlCrc;
            if (result.listChanged) return false;
            if (!beforeReplacing) return true;
            // A scan that stopped at an end mark with data behind it did not read the list to
            // its end: it is read once more for its digest, and the stamp checked before the
            // rename vouches that both readings saw the same list.
            std::optional<fileio::ContentDigest> original = digesting.digest();
            std::error_code cause;
            if (!original) original = fileio::digestOfFile(fs, path, cause);
            return original && beforeReplacing(*original, digester.finish());
        },
        scannedStamp,
        // Where another program holds the list, the operator may stop the wait for it.
        [&] { return !progress || progress(lastRead, listSize); });
    if (result.replaced.cause == std::errc::operation_canceled) result.cancelled = true;
    // The list that could not be read again is the failure's file, not the temporary one.
    if (!result.replaced.ok() && !result.replaced.cause) result.replaced.cause = readCause;
    return result;
}

}  // namespace velcor::output

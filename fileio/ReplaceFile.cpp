#include "fileio/FileSystem.h"

namespace velcor::fileio {

ReplaceResult replaceFile(FileSystem& fs, const std::string& path,
                          std::initializer_list<std::string_view> pieces,
                          const std::optional<FileStamp>& expectedStamp) {
    std::string tempPath;
    auto file = fs.createTemporaryBeside(path, tempPath);
    if (!file) return ReplaceResult::openFailed;

    bool ok = true;
    for (const std::string_view piece : pieces) {
        if (!piece.empty() && !file->write(piece.data(), piece.size())) {
            ok = false;
            break;
        }
    }
    ok = ok && file->flush() && file->sync();
    // Close even after a failure so that the temporary file can be removed (Windows refuses to
    // delete an open file).
    const bool closed = file->close();
    file.reset();
    ok = ok && closed;

    // Checked as late as possible: a row appended to the list while the temporary file was being
    // written would otherwise vanish with the rename.
    if (ok && expectedStamp) {
        const std::optional<FileStamp> now = fs.stamp(path);
        ok = now && *now == *expectedStamp;
    }

    if (ok && fs.rename(tempPath, path)) return ReplaceResult::ok;
    fs.remove(tempPath);
    return ReplaceResult::writeFailed;
}

}  // namespace velcor::fileio

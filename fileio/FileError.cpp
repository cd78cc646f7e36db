#include "fileio/FileError.h"

#include <cerrno>

namespace velcor::fileio {

namespace {

class FileErrorCategory final : public std::error_category {
  public:
    const char* name() const noexcept override { return "velcor-file"; }
    std::string message(int value) const override {
        switch (static_cast<FileError>(value)) {
            case FileError::notRegularFile:
                return "not a regular file";
        }
        return "unknown file error";
    }
};

}  // namespace

const std::error_category& fileErrorCategory() {
    static const FileErrorCategory category;
    return category;
}

std::error_code lastSystemError() {
    const int error = errno;
    return {error != 0 ? error : EIO, std::generic_category()};
}

}  // namespace velcor::fileio

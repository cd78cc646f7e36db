#pragma once

// Small helpers shared by the test programs.

#include <filesystem>
#include <string>
#include <string_view>

namespace velcor::testing {

// A fresh, empty folder under the system's temporary folder, removed when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // The path of `name` inside the folder, as a string.
    std::string file(std::string_view name) const;

  private:
    std::filesystem::path path_;
};

std::string readFileBytes(const std::filesystem::path& path);
void writeFileBytes(const std::filesystem::path& path, std::string_view bytes);

}  // namespace velcor::testing

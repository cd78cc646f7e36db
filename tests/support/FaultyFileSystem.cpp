#include "support/FaultyFileSystem.h"

#include <numeric>
#include <utility>

namespace velcor::testing {

using Step = FaultyFileSystem::Step;

namespace {

class FaultyReadFile final : public fileio::ReadFile {
  public:
    FaultyReadFile(FaultyFileSystem& owner, std::unique_ptr<fileio::ReadFile> inner)
        : owner_(owner), inner_(std::move(inner)) {}

    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        injected_ = owner_.nextCallFails(Step::read);
        if (injected_) return -1;
        return inner_->read(buffer, size);
    }
    std::error_code error() const override {
        return injected_ ? std::make_error_code(std::errc::io_error) : inner_->error();
    }
    bool seek(std::uint64_t offset) override { return inner_->seek(offset); }

  private:
    FaultyFileSystem& owner_;
    std::unique_ptr<fileio::ReadFile> inner_;
    bool injected_ = false;
};

class FaultyWriteFile final : public fileio::WriteFile {
  public:
    FaultyWriteFile(FaultyFileSystem& owner, std::unique_ptr<fileio::WriteFile> inner)
        : owner_(owner), inner_(std::move(inner)) {}

    bool write(const char* data, std::size_t size) override {
        if (injected(Step::write)) {
            inner_->write(data, size / 2);
            return false;
        }
        return inner_->write(data, size);
    }
    bool flush() override { return !injected(Step::flush) && inner_->flush(); }
    bool sync() override { return !injected(Step::sync) && inner_->sync(); }
    bool close() override {
        const bool fails = injected(Step::close);
        const bool closed = inner_->close();
        return !fails && closed;
    }
    std::error_code error() const override {
        return injected_ ? std::make_error_code(std::errc::io_error) : inner_->error();
    }

  private:
    bool injected(Step step) {
        const bool fails = owner_.nextCallFails(step);
        injected_ = injected_ || fails;
        return fails;
    }

    FaultyFileSystem& owner_;
    std::unique_ptr<fileio::WriteFile> inner_;
    bool injected_ = false;
};

}  // namespace

FaultyFileSystem::FaultyFileSystem(fileio::FileSystem& inner) : inner_(inner) {}

void FaultyFileSystem::failCall(Step step, unsigned nth) { rules_[index(step)].onlyCall = nth; }

void FaultyFileSystem::failFromCall(Step step, unsigned nth) { rules_[index(step)].fromCall = nth; }

void FaultyFileSystem::runAtCall(Step step, unsigned nth, std::function<void()> action) {
    actions_[index(step)] = {nth, std::move(action)};
}

void FaultyFileSystem::clearFailures() {
    rules_ = {};
    actions_ = {};
}

void FaultyFileSystem::resetCounts() {
    calls_ = {};
    failures_ = {};
}

unsigned FaultyFileSystem::calls(Step step) const { return calls_[index(step)]; }

unsigned FaultyFileSystem::failures(Step step) const { return failures_[index(step)]; }

unsigned FaultyFileSystem::totalFailures() const {
    return std::accumulate(failures_.begin(), failures_.end(), 0u);
}

bool FaultyFileSystem::nextCallFails(Step step) {
    const unsigned call = ++calls_[index(step)];
    Action& action = actions_[index(step)];
    if (action.run && call == action.call) std::exchange(action.run, nullptr)();
    const Rule& rule = rules_[index(step)];
    const bool fails = call == rule.onlyCall || (rule.fromCall != 0 && call >= rule.fromCall);
    if (fails) ++failures_[index(step)];
    return fails;
}

std::unique_ptr<fileio::ReadFile> FaultyFileSystem::openRead(const std::string& path,
                                                             std::error_code& cause) {
    if (nextCallFails(Step::openRead)) {
        cause = std::make_error_code(std::errc::io_error);
        return nullptr;
    }
    auto file = inner_.openRead(path, cause);
    if (!file) return nullptr;
    return std::make_unique<FaultyReadFile>(*this, std::move(file));
}

std::unique_ptr<fileio::WriteFile> FaultyFileSystem::createTemporaryBeside(
    const std::string& targetPath, std::string& tempPath, std::error_code& cause) {
    if (nextCallFails(Step::createTemporary)) {
        cause = std::make_error_code(std::errc::io_error);
        return nullptr;
    }
    auto file = inner_.createTemporaryBeside(targetPath, tempPath, cause);
    if (!file) return nullptr;
    return std::make_unique<FaultyWriteFile>(*this, std::move(file));
}

bool FaultyFileSystem::rename(const std::string& from, const std::string& to,
                              std::error_code& cause) {
    if (nextCallFails(Step::rename)) {
        cause = std::make_error_code(std::errc::io_error);
        return false;
    }
    return inner_.rename(from, to, cause);
}

bool FaultyFileSystem::remove(const std::string& path) {
    return !nextCallFails(Step::remove) && inner_.remove(path);
}

bool FaultyFileSystem::copy(const std::string& from, const std::string& to) {
    return !nextCallFails(Step::copy) && inner_.copy(from, to);
}

std::optional<fileio::FileStamp> FaultyFileSystem::stamp(const std::string& path) {
    if (nextCallFails(Step::stamp)) return std::nullopt;
    return inner_.stamp(path);
}

fileio::LockAttempt FaultyFileSystem::tryLock(const std::string& path) {
    if (nextCallFails(Step::lock)) return {};
    return inner_.tryLock(path);
}

bool FaultyFileSystem::createPrivateFolder(const std::string& path, std::error_code& cause) {
    if (nextCallFails(Step::createFolder)) {
        cause = std::make_error_code(std::errc::io_error);
        return false;
    }
    return inner_.createPrivateFolder(path, cause);
}

std::vector<std::string> FaultyFileSystem::folderEntries(const std::string& path) {
    if (nextCallFails(Step::listFolder)) return {};
    return inner_.folderEntries(path);
}

bool FaultyFileSystem::hardLink(const std::string& from, const std::string& to,
                                std::error_code& cause) {
    if (nextCallFails(Step::link)) {
        cause = std::make_error_code(std::errc::cross_device_link);
        return false;
    }
    return inner_.hardLink(from, to, cause);
}

bool FaultyFileSystem::makePrivate(const std::string& path) {
    return !nextCallFails(Step::makePrivate) && inner_.makePrivate(path);
}

}  // namespace velcor::testing

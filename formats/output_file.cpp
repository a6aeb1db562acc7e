#include "formats/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "formats/source_file.h"
#include "model/block_file.h"

namespace wd {
namespace {

// Longest part of the target's name kept in the temporary name, so the temporary name
// stays within the file system's 255-byte limit.
constexpr size_t kNameKept = 200;

mode_t currentUmask() {
    // umask() cannot be read without changing it (and that is not thread-safe); the
    // kernel shows it here.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
    return 022;
}

}  // namespace

int openRegularFileForReading(const std::string& path, FileProblem* problem) {
    auto report = [problem](FileProblem p) {
        if (problem) *problem = p;
        return -1;
    };
    // Non-blocking, so a FIFO without a writer does not hold the open; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return report(problemOfErrno(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return report(FileProblem::NotRegular);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (problem) *problem = FileProblem::None;
    return fd;
}

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::fail(int error) {
    problem_ = problemOfErrno(error);
    if (problem_ == FileProblem::None) problem_ = FileProblem::Other;
}

bool OutputFile::open(const std::string& target) {
    discard();
    target_ = target;
    problem_ = FileProblem::None;
    if (target.empty()) {
        problem_ = FileProblem::Missing;
        return false;
    }
    struct stat st {};
    mode_t mode = 0666 & ~currentUmask();
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            problem_ = FileProblem::NotRegular;
            return false;
        }
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        fail(errno);
        return false;
    }
    const size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash == 0 ? 1 : slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string pattern = folder + "/." + name.substr(0, kNameKept) + ".wavedeck-XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        fail(errno);
        return false;
    }
    ::fchmod(fd, mode);
    readFailuresAtOpen_ = BlockFile::readFailuresOnThisThread();
    changedReadsAtOpen_ = SourceFile::changedReadsOnThisThread();
    descriptor_ = fd;
    temporaryPath_ = pattern;
    return true;
}

bool OutputFile::commit() {
    if (descriptor_ < 0) return false;
    if (BlockFile::readFailuresOnThisThread() != readFailuresAtOpen_) {
        problem_ = SourceFile::changedReadsOnThisThread() != changedReadsAtOpen_ ? FileProblem::SourceChanged : FileProblem::Other;
        discard();
        return false;
    }
    bool ok = ::fsync(descriptor_) == 0;
    if (!ok) fail(errno);
    if (::close(descriptor_) != 0 && ok) {
        ok = false;
        fail(errno);
    }
    descriptor_ = -1;
    if (ok && ::rename(temporaryPath_.c_str(), target_.c_str()) != 0) {
        ok = false;
        fail(errno);
    }
    if (!ok) ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
    return ok;
}

void OutputFile::discard() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
    if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
}

}  // namespace wd

#include "formats/output_file.h"

#include <cerrno>

#include "platform/files/file_io.h"

#include "formats/source_file.h"
#include "model/block_file.h"

namespace wd {
namespace {

// Longest part of the target's name kept in the temporary name, so the temporary name
// stays within the file system's 255-byte limit.
constexpr size_t kNameKept = 200;
// Written bytes given to the disk at a time: large enough for few calls, small enough that
// the disk starts early and little is left for the final flush.
constexpr int64_t kWriteBackBytes = 8 << 20;

}  // namespace

int openRegularFileForReading(const std::string& path, FileProblem* problem) {
    auto report = [problem](FileProblem p) {
        if (problem) *problem = p;
        return -1;
    };
    bool notRegular = false;
    const int fd = openRegularForReading(path, notRegular);
    if (fd < 0) return report(notRegular ? FileProblem::NotRegular : problemOfErrno(errno));
    if (problem) *problem = FileProblem::None;
    return fd;
}

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) closeFile(fd_);
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
    switch (kindOfPath(target)) {
        case PathKind::Missing:
        case PathKind::RegularFile: break;
        case PathKind::Folder:
        case PathKind::Other: problem_ = FileProblem::NotRegular; return false;
        case PathKind::Unreadable: fail(errno); return false;
    }
    const size_t slash = lastPathSeparator(target);
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash == 0 ? 1 : slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string pattern = folder + "/." + name.substr(0, kNameKept) + ".wavedeck-XXXXXX";
    const int fd = createUniqueFile(pattern, target);
    if (fd < 0) {
        fail(errno);
        return false;
    }
    readFailuresAtOpen_ = BlockFile::readFailuresOnThisThread();
    changedReadsAtOpen_ = SourceFile::changedReadsOnThisThread();
    descriptor_ = fd;
    temporaryPath_ = pattern;
    writeBackFrom_ = 0;
    return true;
}

void OutputFile::wrote() {
    if (descriptor_ < 0) return;
    const int64_t end = seekFile(descriptor_, 0, SEEK_CUR);
    if (end - writeBackFrom_ < kWriteBackBytes) return;
    startWriteBack(descriptor_, writeBackFrom_, end - writeBackFrom_);
    writeBackFrom_ = end;
}

bool OutputFile::commit() {
    if (descriptor_ < 0) return false;
    if (BlockFile::readFailuresOnThisThread() != readFailuresAtOpen_) {
        problem_ = SourceFile::changedReadsOnThisThread() != changedReadsAtOpen_ ? FileProblem::SourceChanged : FileProblem::Other;
        discard();
        return false;
    }
    bool ok = syncFile(descriptor_);
    if (!ok) fail(errno);
    if (!closeFile(descriptor_) && ok) {
        ok = false;
        fail(errno);
    }
    descriptor_ = -1;
    if (ok && !replaceFile(temporaryPath_, target_)) {
        ok = false;
        fail(errno);
    }
    if (!ok) removeFile(temporaryPath_);
    temporaryPath_.clear();
    return ok;
}

void OutputFile::discard() {
    if (descriptor_ >= 0) closeFile(descriptor_);
    descriptor_ = -1;
    if (!temporaryPath_.empty()) removeFile(temporaryPath_);
    temporaryPath_.clear();
}

}  // namespace wd

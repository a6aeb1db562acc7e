// The files readers read and writers write: regular files only, and a written file
// replaces what was there only once it is complete.
#pragma once

#include <cstdint>
#include <string>

#include "formats/file_problem.h"

namespace wd {

/**
 * Opens path for reading when it is a regular file. FIFOs, devices and folders are refused
 * at once (the open never blocks on them). @returns a descriptor the caller closes, or -1
 * with the reason in problem (when given).
 */
int openRegularFileForReading(const std::string& path, FileProblem* problem = nullptr);

/** Owns a descriptor: closes it when it goes. */
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

/**
 * A file written beside its target under a temporary name and renamed over the target
 * only by commit(), after everything was written and flushed to disk. Until then the
 * target (an older file of that name) stays as it was; a failed or abandoned write removes
 * the temporary file. The target must be a regular file or not exist yet. The finished
 * file keeps the target's permissions when it replaces one, else the usual ones for a new
 * file (0666 less the umask).
 *
 * A block that could not be read on the thread that opened the file, between open() and
 * commit(), would leave samples missing from it: commit() then refuses.
 *
 * One thread uses an object at a time, the one that writes the file.
 */
class OutputFile {
public:
    OutputFile() = default;
    /** Discards an uncommitted file. */
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /** Makes the temporary file. @returns false (reason in problem()) when the target is
     * not a regular file or its folder does not take a new file. */
    bool open(const std::string& target);
    bool isOpen() const { return descriptor_ >= 0; }
    /** The temporary file's descriptor (-1 when not open); writers write through it and
     * leave closing to this object. */
    int descriptor() const { return descriptor_; }
    /** The temporary file's name, for libraries that open files by name. */
    const std::string& temporaryPath() const { return temporaryPath_; }
    const std::string& target() const { return target_; }
    FileProblem problem() const { return problem_; }

    /** Told after writes: once a few MiB more were written through descriptor(), starts
     * putting them on the disk, so commit()'s flush has little left to wait for. */
    void wrote();

    /** Flushes the file to disk and renames it over the target. @returns false (the
     * temporary file is removed, the target untouched) when that fails or a block read
     * failed meanwhile (SourceChanged when its file had been rewritten, else Other). */
    bool commit();
    /** Closes and removes the temporary file; the target stays as it was. */
    void discard();

private:
    void fail(int error);

    std::string target_;
    std::string temporaryPath_;
    int descriptor_ = -1;
    FileProblem problem_ = FileProblem::None;
    uint32_t readFailuresAtOpen_ = 0;
    uint32_t changedReadsAtOpen_ = 0;
    int64_t writeBackFrom_ = 0;  // bytes before it are on their way to the disk
};

}  // namespace wd

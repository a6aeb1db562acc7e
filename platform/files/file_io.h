// File and process calls of the engine's storage: block files, their folders, the
// readers' and writers' files. Descriptors are the C runtime's (opened binary and not
// inherited by child processes); a failure leaves its reason in errno, so callers report
// the same problems on every system.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#ifndef EDQUOT
// A C runtime without disk quotas never reports this; the value only keeps the code that
// tells problems apart the same everywhere.
#define EDQUOT 10069
#endif

namespace wd {

/** What a path names; Unreadable when it cannot be looked at (errno says why). */
enum class PathKind { Missing, RegularFile, Folder, Other, Unreadable };
PathKind kindOfPath(const std::string& path);
/** True for a folder this process can make files in. (A folder's read-only or hidden
 * attribute on Windows says nothing about that: the shell sets them on folders of its own.) */
bool canCreateFilesIn(const std::string& folder);

/** -1 on failure. */
int openForReading(const std::string& path);
/** Opens path for reading only when it is a regular file, never waiting on a pipe or a
 * device: -1 with notRegular set for anything else, or -1 with errno. */
int openRegularForReading(const std::string& path, bool& notRegular);
/** Creates or truncates a file only this user may read, for writing. */
int createPrivateFile(const std::string& path);
/** Creates a new file for writing whose name is pattern with its last six characters
 * ("XXXXXX") made unique; pattern then holds the name. The file gets the permissions of
 * likeFile when that exists, else the usual ones of a new file. */
int createUniqueFile(std::string& pattern, const std::string& likeFile);

/** read(), pread() and write(): the bytes moved, 0 at the end of the file, -1 on error. */
long readFile(int fd, void* buffer, size_t size);
long readFileAt(int fd, void* buffer, size_t size, int64_t offset);
long writeFile(int fd, const void* data, size_t size);
/** lseek(): the new position, or -1. whence is SEEK_SET, SEEK_CUR or SEEK_END. */
int64_t seekFile(int fd, int64_t offset, int whence);
/** The size of the open file; -1 when unknown. */
int64_t fileSize(int fd);
/** Hints for a file about to be read from start to end, and for a range about to be read;
 * a system without such hints reads ahead on its own. */
void adviseSequentialRead(int fd);
void adviseReadSoon(int fd, int64_t offset, int64_t length);
/** What shows that an open file was rewritten: its size and last modification time. */
struct FileIdentity {
    int64_t size = -1;
    int64_t modifiedSeconds = 0;
    int64_t modifiedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};
/** false when the open file cannot be looked at. */
bool identifyFile(int fd, FileIdentity& identity);
/** Flushes the file's data to the disk. */
bool syncFile(int fd);
/** Starts putting length bytes of the file's data from offset on the disk and returns at
 * once, so that a later syncFile finds little left to write: a large file written and then
 * flushed costs the time of the writing, not that plus the flush. A hint: nothing is
 * reported, and a system whose cache writes on its own soon enough does nothing. */
void startWriteBack(int fd, int64_t offset, int64_t length);
/** false when the last data could not be written (a full disk may show only here). */
bool closeFile(int fd);
/** A second descriptor for the same open file; -1 on failure. */
int duplicateFile(int fd);

bool removeFile(const std::string& path);
/** Renames from over to, replacing a file of that name in one step. */
bool replaceFile(const std::string& from, const std::string& to);
/** Gives an existing file a second name (a hard link); false with errno (EEXIST when the
 * name is taken). */
bool linkFile(const std::string& existing, const std::string& link);
/** Puts everything written to the files of folder's file system on the disk. */
bool syncFileSystemOf(const std::string& folder);
/** Puts the folder's own entries (names made, renamed or removed) on the disk. */
bool syncFolder(const std::string& folder);
/** Makes one folder only this user may enter; false when it exists or cannot be made. */
bool makePrivateFolder(const std::string& path);
/** Makes a new private folder named pattern with its last six characters ("XXXXXX") made
 * unique; pattern then holds the name. */
bool makeUniqueFolder(std::string& pattern);
/** Takes an exclusive lock on a folder, held until the descriptor is closed; -1 when the
 * folder cannot be opened or another process holds the lock. */
int lockFolder(const std::string& folder);

/** The position of the last folder separator in path, or std::string::npos. */
size_t lastPathSeparator(const std::string& path);
bool isAbsolutePath(const std::string& path);
/** Where the user's cached, re-creatable data goes (no trailing separator). */
std::string userCacheFolder();

int currentProcessId();
/** Whether a process with that id runs (one this user may not signal counts as running). */
bool processAlive(int pid);

}  // namespace wd

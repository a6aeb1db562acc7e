// Path splitting and folder creation shared by the settings, the readers and the host-facing name exports.
// Both "\" and "/" separate folders where a function says so; texts are 8-bit.
#pragma once

namespace wd {

/** Everything after the last "." of path (letter case kept; the dot may lie in a folder
 * name). -1 (out untouched) for null arguments, no dot, or a path ending in a dot. */
int fileExtension(const char* path, char* out);
/** The name between the last separator ("\" first, else "/") and the last "."; the whole
 * name after the separator when the dot lies before it. -1 for null arguments, no dot (out
 * then receives the whole path), no separator, or an empty result (out untouched). */
int fileNameNoExtension(const char* path, char* out);
/** Everything after the last backslash (only "\" counts), or the whole path. Always 0. */
int fileNameHasExt(const char* path, char* out);
/** Everything before the last separator ("\" first, else "/"). -1 for null arguments, no
 * separator, or an empty result. */
int filePath(const char* path, char* out);

/** The folder part of path: the text before the last separator ("\" or "/"), where the
 * last character is never taken as the separator. False (out untouched) when either
 * argument is null or there is no separator. out must hold strlen(path) + 1. */
bool directoryOf(const char* path, char* out);
/** Creates every missing folder of path, parents first; failures (folders that exist)
 * are ignored. False only for a null path. */
bool createDirectoryPath(const char* path);
/** True when something matches path (a file, a folder or a wildcard pattern). */
bool fileExists(const char* path);
/** ASCII letters A-Z become lower case in place; -1 for null, else 0. */
int toLowerAscii(char* text);

}  // namespace wd

// Path splitting and folder creation shared by the settings, block files and importers.
// Both "\" and "/" separate folders where a function says so; texts are 8-bit.
#pragma once

namespace wd {

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

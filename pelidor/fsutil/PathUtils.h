// Windows path utilities: split a path into drive, folder, title and extension, hand out single
// parts, compose a path next to the running program, add a trailing backslash. Double-byte
// characters of the process's code page are stepped over whole.
#pragma once

#include "pelidor/app/ResultCodes.h"

#include <string>

// Each given output receives its part (possibly empty). A folder, title or extension longer
// than 255 bytes makes all four parts empty.
void SplitPath(const std::string& path, std::string* drive, std::string* folder, std::string* title,
               std::string* extension);

// Outputs are written only on success (0); 300 when the part is missing.
RESULT_CODE GetDrivePart(const std::string& path, std::string& out, int addBackslash);
RESULT_CODE GetFolderPart(const std::string& path, std::string& out, int addBackslash);
RESULT_CODE GetTitlePart(const std::string& path, std::string& out);
RESULT_CODE GetExtensionPart(const std::string& path, std::string& out);

// out = program folder + (title or program title) + (extension or program extension); the
// program's own path when both are empty.
RESULT_CODE MakeModuleRelativePath(std::string& out, const std::string& title,
                                   const std::string& extension);

// Index of the last occurrence of value that begins a character, or -1.
int ReverseFindMbcs(const char* text, int value);

// text with a "\" appended unless it already ends in one.
std::string AddTrailingBackslash(const std::string& text);

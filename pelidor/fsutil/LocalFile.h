// LocalFile: an open local file owned by the caller through a pointer; created by
// OpenLocalFile, written by WriteLocalFile, destroyed by CloseLocalFile.
//
// Open reports failure by returning false; Write and Close throw CFileException; Abort closes
// and suppresses every error; destruction never fails.
#pragma once

#include "platform/fs/File.h"

using CFileException = platform::CFileException;

class LocalFile : public platform::CFile {
public:
    // Open flags (bit values; access, sharing and creation bits combine).
    static constexpr unsigned kRead = platform::CFile::modeRead;
    static constexpr unsigned kWrite = platform::CFile::modeWrite;
    static constexpr unsigned kReadWrite = platform::CFile::modeReadWrite;
    static constexpr unsigned kShareExclusive = platform::CFile::shareExclusive;
    static constexpr unsigned kShareDenyNone = platform::CFile::shareDenyNone;
    static constexpr unsigned kCreate = platform::CFile::modeCreate;
    static constexpr unsigned kNoTruncate = platform::CFile::modeNoTruncate;
};

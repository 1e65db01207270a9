// The platform file class: a local file opened with access, sharing and creation flags,
// written through a user-space buffer, closed with a flush to stable storage.
//
// Writes are collected in a 64 KiB buffer and written out when it is full and at close, so a
// write error may show at a later write or at the close. Once a write-out has failed, the
// close fails too: bytes have been lost.
#pragma once

#include "platform/fs/FileException.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class CFile {
public:
    // Open flags; one access value, one sharing bit and the creation bits combine.
    static constexpr unsigned modeRead = 0x0000;
    static constexpr unsigned modeWrite = 0x0001;
    static constexpr unsigned modeReadWrite = 0x0002;
    static constexpr unsigned shareExclusive = 0x0010; // no other exclusive opener meanwhile
    static constexpr unsigned shareDenyNone = 0x0040;
    static constexpr unsigned modeCreate = 0x1000;     // create, or cut an existing file to 0
    static constexpr unsigned modeNoTruncate = 0x2000; // with modeCreate: keep the contents

    static constexpr std::size_t kBufferSize = 64 * 1024;

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    // Writes out what is buffered and closes, ignoring every error (Close reports them).
    virtual ~CFile();

    // Opens a Windows path. False on any failure: letter not mapped, missing file without
    // modeCreate, a folder, a read-only file (no owner write bit) opened for writing, a
    // write-protected drive, an exclusive open while another opener holds the file.
    bool Open(const std::string& windowsPath, unsigned flags);
    bool IsOpen() const { return m_nFd >= 0; }

    // Appends count bytes at the current position; throws CFileException.
    void Write(const void* bytes, std::uint32_t count);

    // Writes out the buffer, flushes to stable storage when opened for writing, and closes.
    // Throws CFileException; the file then stays open for Abort.
    void Close();

    // Closes, dropping buffered bytes and suppressing every error.
    void Abort() noexcept;

private:
    void WriteOut(const char* bytes, std::size_t count);
    void FlushBuffer();

    int m_nFd = -1;
    bool m_bWritable = false;
    bool m_bWriteFailed = false;
    bool m_bContentChanged = false; // a byte was written or the file was cut since the open
    std::vector<char> m_arrBuffer;
};

} // namespace platform

// TFileStream: one open disk, volume or image file, owning one handle of the layer.
#pragma once

#include <cstdint>
#include <string>

#include "engine/platform/winapi.h"

// Open modes (the mode words of the stream class).
constexpr std::uint16_t fmOpenReadShared = 0x0040;       // read-only, others may read and write
constexpr std::uint16_t fmOpenReadWriteShared = 0x0042;  // read-write, others may read and write
constexpr std::uint16_t fmCreate = 0xFFFF;  // a new empty file; an existing one is emptied

class TFileStream {
  public:
    // Opens the path in the given mode. Raises EFOpenError "Cannot open file "%s". %s", or
    // for fmCreate EFCreateError "Cannot create file "%s". %s", with the full path and the
    // system's error text. Streams that open a device for writing claim it exclusively, so a
    // device with a mounted file system is refused.
    TFileStream(const std::string& fileName, std::uint16_t mode);
    // The same, with flags of CreateFileA added to the open (FILE_FLAG_NO_BUFFERING).
    TFileStream(const std::string& fileName, std::uint16_t mode, win::DWORD extraFlags);
    ~TFileStream();
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    // One read or write at the current position: the number of bytes done, 0 on failure.
    // They never raise; LastError() tells why the last one failed or came up short.
    std::int32_t Read(void* buffer, std::int32_t count);
    std::int32_t Write(const void* buffer, std::int32_t count);

    // Position from the beginning; setting it raises nothing and its result is not looked at.
    std::int64_t Position() const;
    void SetPosition(std::int64_t position);
    // True when the stream can be positioned: a file or a device, not a pipe.
    bool CanSeek() const;
    // The length in bytes (the position is kept).
    std::int64_t Size() const;
    // Writes all the system still holds for the stream to the device; false when that failed.
    bool Flush();

    win::HANDLE Handle() const { return handle_; }
    const std::string& FileName() const { return fileName_; }
    win::DWORD LastError() const { return lastError_; }

  private:
    std::string fileName_;
    win::HANDLE handle_ = win::INVALID_HANDLE_VALUE;
    win::DWORD lastError_ = 0;
};

// The system's text for an error code, trailing characters below "!" and full stops cut off,
// as the open and create errors show it.
std::string SystemErrorText(win::DWORD errorCode);

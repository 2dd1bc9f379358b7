#include "engine/file_stream.h"

#include "engine/errors.h"

using namespace win;

namespace {

// One read or write of `count` bytes through `call`: the bytes moved, 0 on failure, with the
// failure's code in `lastError`. A read that stops at the end of the data is no failure: it
// delivers fewer bytes and `lastError` is 0.
template <typename Call>
std::int32_t Transfer(std::int32_t count, DWORD& lastError, Call call) {
    if (count <= 0) {
        return 0;
    }
    DWORD done = 0;
    if (!call(static_cast<DWORD>(count), &done)) {
        lastError = GetLastError();
        return 0;
    }
    lastError = ERROR_SUCCESS;
    return static_cast<std::int32_t>(done);
}

}  // namespace

std::string SystemErrorText(DWORD errorCode) {
    std::string text = FormatSystemMessage(errorCode);
    while (!text.empty() && (static_cast<unsigned char>(text.back()) < '!' || text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

TFileStream::TFileStream(const std::string& fileName, std::uint16_t mode)
    : TFileStream(fileName, mode, 0) {}

TFileStream::TFileStream(const std::string& fileName, std::uint16_t mode, DWORD extraFlags)
    : fileName_(fileName) {
    if (mode == fmCreate) {
        handle_ =
            CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_EXCLUSIVE_DEVICE | extraFlags, 0);
        if (handle_ < 0) {
            const DWORD error = GetLastError();
            throw EFCreateError(Format("Cannot create file \"%s\". %s",
                                       GetFullPathNameA(fileName).c_str(),
                                       SystemErrorText(error).c_str()));
        }
        return;
    }
    const bool write = (mode & 0x0003) != 0;
    DWORD access = GENERIC_READ;
    DWORD flags = FILE_ATTRIBUTE_NORMAL | extraFlags;
    if (write) {
        access |= GENERIC_WRITE;
        flags |= FILE_FLAG_EXCLUSIVE_DEVICE;
    }
    handle_ = CreateFileA(fileName.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, flags, 0);
    if (handle_ < 0) {
        const DWORD error = GetLastError();
        throw EFOpenError(Format("Cannot open file \"%s\". %s", GetFullPathNameA(fileName).c_str(),
                                 SystemErrorText(error).c_str()));
    }
}

TFileStream::~TFileStream() {
    if (handle_ >= 0) {
        CloseHandle(handle_);
    }
}

std::int32_t TFileStream::Read(void* buffer, std::int32_t count) {
    return Transfer(count, lastError_, [&](DWORD wanted, DWORD* done) {
        return ReadFile(handle_, buffer, wanted, done, nullptr);
    });
}

std::int32_t TFileStream::Write(const void* buffer, std::int32_t count) {
    return Transfer(count, lastError_, [&](DWORD wanted, DWORD* done) {
        return WriteFile(handle_, buffer, wanted, done, nullptr);
    });
}

std::int64_t TFileStream::Position() const {
    LONGLONG position = 0;
    SetFilePointerEx(handle_, 0, &position, FILE_CURRENT);
    return position;
}

void TFileStream::SetPosition(std::int64_t position) {
    SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN);
}

bool TFileStream::CanSeek() const {
    LONGLONG position = 0;
    return SetFilePointerEx(handle_, 0, &position, FILE_CURRENT) != FALSE;
}

std::int64_t TFileStream::Size() const {
    LONGLONG current = 0;
    LONGLONG end = 0;
    SetFilePointerEx(handle_, 0, &current, FILE_CURRENT);
    SetFilePointerEx(handle_, 0, &end, FILE_END);
    SetFilePointerEx(handle_, current, nullptr, FILE_BEGIN);
    return end;
}

bool TFileStream::Flush() {
    if (!FlushFileBuffers(handle_)) {
        lastError_ = GetLastError();
        return false;
    }
    return true;
}

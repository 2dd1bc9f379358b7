#include "engine/sector_reader.h"

#include <algorithm>
#include <cstring>

#include "engine/disk_geometry.h"
#include "engine/errors.h"
#include "engine/read_errors.h"

namespace {

constexpr std::int32_t kOutputSector = 512;
// Device sector sizes the unbuffered path serves; others are read through the cache.
constexpr std::int32_t kLargestDeviceSector = 65536;
constexpr std::size_t kBufferAlignment = 4096;

bool UsableDeviceSector(std::int32_t size) {
    return size >= kOutputSector && size <= kLargestDeviceSector && (size & (size - 1)) == 0;
}

}  // namespace

void RaiseReadError(const TFileStream& source, std::int64_t position, win::DWORD error) {
    throw EReadError(Format("Cannot read file \"%s\" at byte %lld. %s",
                            win::GetFullPathNameA(source.FileName()).c_str(),
                            static_cast<long long>(position), SystemErrorText(error).c_str()));
}

void RaiseSourceEnded(const TFileStream& source, std::int64_t position, std::int64_t size) {
    throw EReadError(Format("Source \"%s\" ended at byte %lld, %lld bytes before its measured end",
                            win::GetFullPathNameA(source.FileName()).c_str(),
                            static_cast<long long>(position),
                            static_cast<long long>(size - position)));
}

SectorReader::SectorReader(TFileStream& source, std::int32_t sectorSize, std::int64_t startOffset,
                           int attempts)
    : source_(source),
      sectorSize_(sectorSize),
      startOffset_(startOffset),
      attempts_(std::max(attempts, 1)) {
    const std::int32_t deviceSector = GetDeviceSectorSize(source);
    if (!UsableDeviceSector(deviceSector)) {
        return;
    }
    try {
        direct_ = std::make_unique<TFileStream>(source.FileName(), fmOpenReadShared,
                                                win::FILE_FLAG_NO_BUFFERING);
    } catch (const EFOpenError&) {
        return;  // the device refuses unbuffered reads: read through the cache
    }
    deviceSector_ = deviceSector;
    deviceBuffer_ = std::make_unique<AlignedBuffer>(
        static_cast<std::size_t>(deviceSector),
        std::max<std::size_t>(kBufferAlignment, static_cast<std::size_t>(deviceSector)));
}

SectorReader::~SectorReader() = default;

SectorReader::Result SectorReader::Read(std::int64_t sector, std::uint8_t* out) {
    const std::int64_t position = startOffset_ + sector * sectorSize_;
    return direct_ ? ReadDirect(position, out) : ReadBuffered(position, out);
}

SectorReader::Result SectorReader::ReadBuffered(std::int64_t position, std::uint8_t* out) {
    for (int attempt = 0; attempt < attempts_; ++attempt) {
        source_.SetPosition(position);
        const std::int32_t got = source_.Read(out, kOutputSector);
        if (got == kOutputSector) {
            return {};
        }
        const win::DWORD error = source_.LastError();
        if (error == win::ERROR_SUCCESS) {
            return {Outcome::Ended, got};
        }
        if (!IsMediaError(error)) {
            RaiseReadError(source_, position, error);
        }
    }
    std::memset(out, 0, kOutputSector);
    return {Outcome::Unreadable, 0};
}

SectorReader::Result SectorReader::ReadDirect(std::int64_t position, std::uint8_t* out) {
    Result result;
    std::int32_t done = 0;
    while (done < kOutputSector) {
        const std::int64_t at = position + done;
        const std::int64_t index = at / deviceSector_;
        const auto within = static_cast<std::int32_t>(at - index * deviceSector_);
        const std::int32_t take = std::min(kOutputSector - done, deviceSector_ - within);
        const Result device = ReadDeviceSector(index);
        if (device.outcome == Outcome::Ended && device.delivered < within + take) {
            const std::int32_t part = std::max(device.delivered - within, 0);
            std::memcpy(out + done, deviceBuffer_->Data() + within, static_cast<std::size_t>(part));
            return {Outcome::Ended, done + part};
        }
        if (device.outcome == Outcome::Unreadable) {
            result = {Outcome::Unreadable, 0};
        } else {
            std::memcpy(out + done, deviceBuffer_->Data() + within, static_cast<std::size_t>(take));
        }
        done += take;
    }
    if (result.outcome == Outcome::Unreadable) {
        // A sector is copied whole or written as zeros, never as a mix of both.
        std::memset(out, 0, kOutputSector);
    }
    return result;
}

SectorReader::Result SectorReader::ReadDeviceSector(std::int64_t index) {
    if (index == bufferedIndex_) {
        return buffered_;
    }
    bufferedIndex_ = -1;
    const std::int64_t position = index * deviceSector_;
    Result result{Outcome::Unreadable, 0};
    for (int attempt = 0; attempt < attempts_; ++attempt) {
        direct_->SetPosition(position);
        const std::int32_t got = direct_->Read(deviceBuffer_->Data(), deviceSector_);
        if (got == deviceSector_) {
            result = {};
            break;
        }
        const win::DWORD error = direct_->LastError();
        if (error == win::ERROR_SUCCESS) {
            result = {Outcome::Ended, got};
            break;
        }
        if (!IsMediaError(error)) {
            RaiseReadError(*direct_, position, error);
        }
    }
    bufferedIndex_ = index;
    buffered_ = result;
    return result;
}

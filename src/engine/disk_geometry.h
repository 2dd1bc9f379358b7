// The size and media type of an open physical disk, each from a geometry query of its own.
#pragma once

#include <cstdint>
#include <string>

class TFileStream;

// DiskSize of the disk's geometry, in bytes. Raises EDeviceError when the driver refuses the
// query: "Cannot read the geometry of "%s". %s".
std::int64_t GetDiskSize(TFileStream& stream);
// The text for the disk's MediaType; raises like GetDiskSize.
std::string GetMediaTypeName(TFileStream& stream);
// BytesPerSector of the geometry of the disk or volume behind the stream: the size of the
// device's own sectors. 0 when the stream is no device or the driver refuses the query.
std::int32_t GetDeviceSectorSize(TFileStream& stream);
// The text for one MediaType value: "Unknown Media Type", "Floppy Disk", "Removable Drive",
// "Fixed Drive", "Zip / Other" or "Undefined".
std::string MediaTypeText(std::int32_t mediaType);

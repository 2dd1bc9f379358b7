#include "engine/platform/linux/volume_probe.h"

#include <blkid/blkid.h>

#include <cctype>
#include <memory>

namespace win::linux_backend {
namespace {

struct ProbeDeleter {
    void operator()(blkid_probe probe) const { blkid_free_probe(probe); }
};
using ProbePtr = std::unique_ptr<std::remove_pointer_t<blkid_probe>, ProbeDeleter>;

std::string LookupValue(blkid_probe probe, const char* name) {
    const char* data = nullptr;
    if (blkid_probe_lookup_value(probe, name, &data, nullptr) != 0 || data == nullptr) {
        return {};
    }
    return data;
}

}  // namespace

std::optional<VolumeIdentity> ProbeVolumeIdentity(const std::string& node) {
    ProbePtr probe(blkid_new_probe_from_filename(node.c_str()));
    if (!probe) {
        return std::nullopt;
    }
    blkid_probe_enable_superblocks(probe.get(), 1);
    blkid_probe_set_superblocks_flags(probe.get(), BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID |
                                                       BLKID_SUBLKS_TYPE | BLKID_SUBLKS_VERSION);
    const int result = blkid_do_safeprobe(probe.get());
    if (result < 0) {
        return std::nullopt;
    }
    VolumeIdentity identity;
    if (result == 0) {
        const std::string type = LookupValue(probe.get(), "TYPE");
        identity.label = LookupValue(probe.get(), "LABEL");
        identity.serial = SerialFromIdentifier(type, LookupValue(probe.get(), "UUID"));
        identity.fileSystem = WindowsFileSystemName(type, LookupValue(probe.get(), "VERSION"));
    }
    return identity;
}

DWORD SerialFromIdentifier(const std::string& type, const std::string& identifier) {
    std::string digits;
    for (const char c : identifier) {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits += c;
        }
    }
    if (digits.size() > 8) {
        digits = type == "ntfs" ? digits.substr(digits.size() - 8) : digits.substr(0, 8);
    }
    return digits.empty() ? 0 : static_cast<DWORD>(std::stoul(digits, nullptr, 16));
}

std::string WindowsFileSystemName(const std::string& type, const std::string& version) {
    if (type == "vfat") {
        return version == "FAT12" || version == "FAT16" || version == "FAT32" ? version : "FAT";
    }
    if (type == "ntfs") {
        return "NTFS";
    }
    if (type == "exfat") {
        return "exFAT";
    }
    return type;
}

}  // namespace win::linux_backend

#include "engine/device_question.h"

#include "engine/errors.h"

namespace {

constexpr double kMiB = 1024.0 * 1024.0;
constexpr double kGiB = kMiB * 1024.0;

// Why a file system stays mounted, or nothing when it may be unmounted.
std::string ReasonToKeep(const win::MountedFileSystem& mount) {
    if (mount.isRoot) {
        return Format("the system's root file system is mounted from %s at \"/\"",
                      mount.device.c_str());
    }
    if (mount.holdsSwap) {
        return mount.mountPoint.empty()
                   ? Format("%s is swap space in use", mount.device.c_str())
                   : Format("the file system on %s holds swap space in use", mount.device.c_str());
    }
    if (mount.holdsProgram) {
        return Format("the file system on %s holds this program's own files", mount.device.c_str());
    }
    if (mount.holdsKeptPath) {
        return Format("the file system on %s holds the source", mount.device.c_str());
    }
    return "";
}

}  // namespace

std::string DeviceSizeText(std::int64_t bytes, const char* bytesWord) {
    const long long exact = static_cast<long long>(bytes);
    if (bytes >= static_cast<std::int64_t>(kGiB)) {
        return Format("%.1f GB (%lld %s)", static_cast<double>(bytes) / kGiB, exact, bytesWord);
    }
    if (bytes >= static_cast<std::int64_t>(kMiB)) {
        return Format("%.1f MB (%lld %s)", static_cast<double>(bytes) / kMiB, exact, bytesWord);
    }
    return Format("%lld %s", exact, bytesWord);
}

std::string DeviceQuestion(const std::string& target, const win::DeviceFacts& facts) {
    std::string text = Format("目标 %s 上的所有数据将被覆盖。\n", target.c_str());
    if (!facts.systemName.empty()) {
        text += Format("设备: %s\n", facts.systemName.c_str());
    }
    if (!facts.model.empty()) {
        text += Format("型号: %s\n", facts.model.c_str());
    }
    if (!facts.serial.empty()) {
        text += Format("序列号: %s\n", facts.serial.c_str());
    }
    text += Format("大小: %s\n", DeviceSizeText(facts.sizeBytes, "字节").c_str());
    if (!facts.mounts.empty()) {
        text += "以下文件系统将被卸载:\n";
        for (const win::MountedFileSystem& mount : facts.mounts) {
            text += Format("%s (%s) 挂载于 %s\n", mount.device.c_str(), mount.fsType.c_str(),
                           mount.mountPoint.c_str());
        }
    }
    return text + "是否继续?";
}

void CheckUnmountable(const std::string& target, const win::DeviceFacts& facts) {
    for (const win::MountedFileSystem& mount : facts.mounts) {
        const std::string reason = ReasonToKeep(mount);
        if (!reason.empty()) {
            throw EDeviceError(
                Format("Target \"%s\" cannot be written: %s.", target.c_str(), reason.c_str()));
        }
    }
}

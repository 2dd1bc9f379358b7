#include "test_devices.h"

#include <QFile>
#include <stdexcept>

#include "engine/platform/winapi.h"
#include "support/image_files.h"

namespace {

win::DeviceMap FolderDevices(const TempDir& dir) {
    const std::string disk0 = dir.File("disk0.bin");
    win::DeviceMap map = DisksWithVolume({disk0, dir.File("disk1.bin")}, 'C', disk0, dir.Path());
    win::VolumeEntry& volume = map.volumes.front();
    volume.fsType = "ext4";
    volume.driveType = win::DRIVE_FIXED;
    volume.extentLength = 1 << 20;
    return map;
}

}  // namespace

TestDevices::TestDevices() : map_(FolderDevices(dir_)) {
    WriteFile(Disk0(), Pattern(1 << 20));
    WriteFile(Disk1(), QByteArray(4 << 20, '\0'));
}

QString TestDevices::Path(const QString& name) const {
    return QString::fromStdString(dir_.File(name.toStdString()));
}

QByteArray TestDevices::Pattern(std::int64_t size) {
    return QByteArray::fromStdString(::Pattern(static_cast<std::size_t>(size)));
}

void TestDevices::WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

QByteArray TestDevices::ReadFile(const QString& path) {
    return QByteArray::fromStdString(ReadWholeFile(path.toStdString()));
}

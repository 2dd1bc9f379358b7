#include "test_devices.h"

#include <QFile>
#include <stdexcept>

#include "engine/platform/winapi.h"

TestDevices::TestDevices() {
    if (!dir_.isValid()) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    WriteFile(Disk0(), Pattern(1 << 20));
    WriteFile(Disk1(), QByteArray(4 << 20, '\0'));

    win::DeviceMap map;
    map.disks.push_back({Disk0().toStdString(), "disk0", false});
    map.disks.push_back({Disk1().toStdString(), "disk1", false});
    win::VolumeEntry volume;
    volume.letter = 'C';
    volume.node = Disk0().toStdString();
    volume.mountPoint = dir_.path().toStdString();
    volume.fsType = "ext4";
    volume.driveType = win::DRIVE_FIXED;
    volume.diskNumber = 0;
    volume.extentLength = 1 << 20;
    map.volumes.push_back(volume);
    map_ = std::make_unique<ScopedDeviceMap>(map);
}

TestDevices::~TestDevices() = default;

QString TestDevices::Path(const QString& name) const {
    return dir_.filePath(name);
}

QByteArray TestDevices::Pattern(std::int64_t size) {
    QByteArray bytes(static_cast<qsizetype>(size), '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((i / 512 * 7 + i) & 0xff);
    }
    return bytes;
}

void TestDevices::WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

QByteArray TestDevices::ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

// Files of a test standing in for the machine's disks and volumes: a temporary folder with a
// device map in which PhysicalDrive0 and PhysicalDrive1 and the volume C: (on disk 0, mounted
// at the folder) are files of that folder. The previous map comes back on destruction.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "support/scoped_device_map.h"
#include "support/temp_dir.h"

class TestDevices {
  public:
    TestDevices();
    TestDevices(const TestDevices&) = delete;
    TestDevices& operator=(const TestDevices&) = delete;

    QString Path(const QString& name) const;
    QString Disk0() const { return Path(QStringLiteral("disk0.bin")); }
    QString Disk1() const { return Path(QStringLiteral("disk1.bin")); }

    // Bytes that differ from sector to sector, so misplaced sectors show.
    static QByteArray Pattern(std::int64_t size);
    static void WriteFile(const QString& path, const QByteArray& bytes);
    static QByteArray ReadFile(const QString& path);

  private:
    TempDir dir_;
    ScopedDeviceMap map_;
};

// How sources and targets are named: disk and volume paths in the device namespace, their
// short forms, and the tests that tell the forms apart. Positions count from 1, a text that is
// too short never equals a longer name, and comparisons are exact and case-sensitive.
#pragma once

#include <string>

// Fills DriveStem with "PhysicalDrive" and DevicePrefix with "\\.\".
void InitDeviceNames(std::string& driveStem, std::string& devicePrefix);

// The first 13 characters equal DriveStem: PhysicalDrive2.
bool IsDiskName(const std::string& text, const std::string& driveStem);
// Exactly 2 characters, the second ":": D:.
bool IsBareDrive(const std::string& text);
// Characters 5 to 17 equal DriveStem: \\.\PhysicalDrive2.
bool IsPhysicalDiskPath(const std::string& text, const std::string& driveStem);
// The first 4 characters equal DevicePrefix: \\.\C:.
bool IsDevicePath(const std::string& text, const std::string& devicePrefix);
// The character at position 5 of a device path, as a text (empty when there is none).
std::string VolumeLetterOf(const std::string& devicePath);

// DevicePrefix + disk name; DevicePrefix + bare drive.
std::string DiskNameToPath(const std::string& diskName, const std::string& devicePrefix);
std::string BareDriveToPath(const std::string& bareDrive, const std::string& devicePrefix);

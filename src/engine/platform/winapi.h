// The file and device API the engine and drive discovery are written against.
//
// The names, constants, structure layouts and results are those of the Windows API, so the
// code above this layer reads like the Windows program it is: reads and writes report byte
// counts and never throw, failures are a FALSE result plus GetLastError(), and the device
// queries fill byte buffers in the Windows layouts.
//
// Paths: "\\.\PhysicalDriveN" names the N-th disk and "\\.\X:" the volume of drive letter X
// (both resolved through the device map, see device_map.h); "X:\" is the root of drive X for
// the volume queries; everything else is a file path of the host system.
#pragma once

#include <cstdint>
#include <string>

namespace win {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using BOOL = int;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using HANDLE = std::intptr_t;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

// Any negative handle counts as a failed open.
constexpr HANDLE INVALID_HANDLE_VALUE = -1;

// CreateFileA: access rights
constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
// CreateFileA: share modes
constexpr DWORD FILE_SHARE_READ = 0x00000001u;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002u;
// CreateFileA: dispositions
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
// CreateFileA: flags and attributes
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080u;
// Reads and writes bypass the system's cache. Positions, lengths and buffer addresses must then
// be multiples of the device's sector size. The Linux backend honours it for block devices
// (O_DIRECT) and ignores it for files.
constexpr DWORD FILE_FLAG_NO_BUFFERING = 0x20000000u;
// Our own flag, not a Windows one: a disk or volume opened for writing with this flag is
// claimed for this handle alone. The open is refused when a file system on the device (or on
// any partition of a disk) is mounted or the device is claimed elsewhere; the error text then
// says that the device is in use. Streams that measure and write a target use it; queries
// that open a mounted volume only to ask about it do not.
constexpr DWORD FILE_FLAG_EXCLUSIVE_DEVICE = 0x00800000u;

// SetFilePointerEx: move methods
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;

// GetFileType results
constexpr DWORD FILE_TYPE_UNKNOWN = 0x0000;
constexpr DWORD FILE_TYPE_DISK = 0x0001;  // a file or a disk: data at positions, a fixed length
constexpr DWORD FILE_TYPE_CHAR = 0x0002;  // a character device: a console, /dev/null, a tape
constexpr DWORD FILE_TYPE_PIPE = 0x0003;  // a pipe, a named pipe or a socket

// GetStdHandle: the standard streams
constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
constexpr DWORD STD_ERROR_HANDLE = static_cast<DWORD>(-12);

// GetConsoleMode: the modes a console reports
constexpr DWORD ENABLE_PROCESSED_OUTPUT = 0x0001u;
constexpr DWORD ENABLE_WRAP_AT_EOL_OUTPUT = 0x0002u;

// DeviceIoControl: control codes
constexpr DWORD IOCTL_DISK_GET_DRIVE_GEOMETRY_EX = 0x000700A0u;
constexpr DWORD IOCTL_DISK_GET_LENGTH_INFO = 0x0007405Cu;
constexpr DWORD IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS = 0x00560000u;

// GetDriveTypeA results
constexpr UINT DRIVE_UNKNOWN = 0;
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_REMOVABLE = 2;
constexpr UINT DRIVE_FIXED = 3;
constexpr UINT DRIVE_REMOTE = 4;
constexpr UINT DRIVE_CDROM = 5;
constexpr UINT DRIVE_RAMDISK = 6;

// MEDIA_TYPE values the layer reports in DISK_GEOMETRY_EX
constexpr std::int32_t RemovableMedia = 11;
constexpr std::int32_t FixedMedia = 12;

// Sizes of the Windows structures as byte buffers. All fields are little-endian.
//
// DISK_GEOMETRY_EX (40 bytes as the engine asks for it):
//   0  int64  Cylinders          8  int32  MediaType       12 uint32 TracksPerCylinder
//   16 uint32 SectorsPerTrack    20 uint32 BytesPerSector  24 int64  DiskSize
//   32 ...    Data (partition and detection information; the layer writes zeros)
constexpr DWORD DISK_GEOMETRY_EX_SIZE = 40;
// GET_LENGTH_INFORMATION (8 bytes): 0 int64 Length
constexpr DWORD GET_LENGTH_INFORMATION_SIZE = 8;
// VOLUME_DISK_EXTENTS: 0 uint32 NumberOfDiskExtents, 4 padding, then from 8 one DISK_EXTENT
// of 24 bytes per extent: 0 uint32 DiskNumber, 4 padding, 8 int64 StartingOffset,
// 16 int64 ExtentLength.
constexpr DWORD VOLUME_DISK_EXTENTS_HEADER_SIZE = 8;
constexpr DWORD DISK_EXTENT_SIZE = 24;

// GetLastError codes, with the values Windows gives them. The Linux backend reports every
// failure of the host system as one of these (see linux/error_codes.h).
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_FUNCTION = 1;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_WRITE_PROTECT = 19;
constexpr DWORD ERROR_NOT_READY = 21;
constexpr DWORD ERROR_CRC = 23;
constexpr DWORD ERROR_SECTOR_NOT_FOUND = 27;
constexpr DWORD ERROR_WRITE_FAULT = 29;
constexpr DWORD ERROR_READ_FAULT = 30;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_HANDLE_EOF = 38;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_DEV_NOT_EXIST = 55;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_BROKEN_PIPE = 109;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_SEEK_ON_DEVICE = 132;
constexpr DWORD ERROR_BUSY = 170;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_FILE_TOO_LARGE = 223;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_OPERATION_ABORTED = 995;
constexpr DWORD ERROR_INVALID_FLAGS = 1004;
constexpr DWORD ERROR_IO_DEVICE = 1117;
constexpr DWORD ERROR_DEVICE_NOT_CONNECTED = 1167;
constexpr DWORD ERROR_DISK_QUOTA_EXCEEDED = 1295;
// Bit 29 marks a code as the application's own: the Linux backend reports a host error that
// has no Windows counterpart as this bit plus the host's error number.
constexpr DWORD APPLICATION_ERROR_BIT = 0x20000000u;
// A disk or volume opened with FILE_FLAG_EXCLUSIVE_DEVICE is in use: a file system on it (or
// on one of its partitions) is mounted, or another program claimed it.
constexpr DWORD ERROR_DEVICE_IN_USE = 2404;

struct FILETIME {
    DWORD dwLowDateTime = 0;
    DWORD dwHighDateTime = 0;
};

// GetFileInformationByHandle's answer. The volume serial number and the file index together
// name one file, whatever name or link it was opened by.
struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes = 0;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber = 0;
    DWORD nFileSizeHigh = 0;
    DWORD nFileSizeLow = 0;
    DWORD nNumberOfLinks = 0;
    DWORD nFileIndexHigh = 0;
    DWORD nFileIndexLow = 0;
};

// ---- Files and devices ---------------------------------------------------------------------

HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode,
                   void* securityAttributes, DWORD creationDisposition, DWORD flagsAndAttributes,
                   HANDLE templateFile);

// One read at the handle's current position; *bytesRead gets the count (0 on failure).
BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void* overlapped);

// One write at the handle's current position; *bytesWritten gets the count (0 on failure).
BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten,
               void* overlapped);

BOOL SetFilePointerEx(HANDLE file, LONGLONG distanceToMove, LONGLONG* newFilePointer,
                      DWORD moveMethod);

// Writes everything the system still holds for the handle to the device.
BOOL FlushFileBuffers(HANDLE file);

BOOL CloseHandle(HANDLE object);

// What a handle is open on: FILE_TYPE_DISK, FILE_TYPE_CHAR or FILE_TYPE_PIPE;
// FILE_TYPE_UNKNOWN with GetLastError() set when the handle is not open.
DWORD GetFileType(HANDLE file);

BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* fileInformation);

BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, void* inBuffer, DWORD inBufferSize,
                     void* outBuffer, DWORD outBufferSize, DWORD* bytesReturned, void* overlapped);

// GetFileAttributesA: the answer for a path that cannot be asked about (GetLastError says why)
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010u;

// MoveFileExA: flags
constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x00000001u;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x00000008u;

// The attributes of a file or folder: FILE_ATTRIBUTE_DIRECTORY for a folder,
// FILE_ATTRIBUTE_NORMAL for anything else; INVALID_FILE_ATTRIBUTES when it does not exist.
DWORD GetFileAttributesA(const char* fileName);

// Renames a file. With MOVEFILE_REPLACE_EXISTING an existing file of the new name is replaced
// in one step; with MOVEFILE_WRITE_THROUGH the call returns only when the rename is on disk.
BOOL MoveFileExA(const char* existingFileName, const char* newFileName, DWORD flags);

// ---- Volumes (rootPathName is "X:\") ---------------------------------------------------------

UINT GetDriveTypeA(const char* rootPathName);

BOOL GetVolumeInformationA(const char* rootPathName, char* volumeNameBuffer, DWORD volumeNameSize,
                           DWORD* volumeSerialNumber, DWORD* maximumComponentLength,
                           DWORD* fileSystemFlags, char* fileSystemNameBuffer,
                           DWORD fileSystemNameSize);

BOOL GetDiskFreeSpaceExA(const char* directoryName, ULONGLONG* freeBytesAvailableToCaller,
                         ULONGLONG* totalNumberOfBytes, ULONGLONG* totalNumberOfFreeBytes);

// ---- Console ---------------------------------------------------------------------------------

// The handle of a standard stream: the same handle for as long as the stream goes to the same
// file or device; 0 (NULL) when the process has no such stream; INVALID_HANDLE_VALUE with
// ERROR_INVALID_HANDLE for any other value. It needs no closing, and closing it leaves the
// process's stream open.
HANDLE GetStdHandle(DWORD stdHandle);

// TRUE and the console's mode when the handle is a console (a terminal); FALSE with
// ERROR_INVALID_HANDLE for anything else (a file, a pipe, /dev/null, a handle that is not
// open).
BOOL GetConsoleMode(HANDLE console, DWORD* mode);

// ---- Console control -----------------------------------------------------------------------

// The events a console control handler is called for.
constexpr DWORD CTRL_C_EVENT = 0;
constexpr DWORD CTRL_BREAK_EVENT = 1;
constexpr DWORD CTRL_CLOSE_EVENT = 2;
constexpr DWORD CTRL_LOGOFF_EVENT = 5;
constexpr DWORD CTRL_SHUTDOWN_EVENT = 6;

// A handler: TRUE when it dealt with the event, FALSE to pass it on to the handler added
// before it and finally to the system's, which ends the process. For CTRL_CLOSE_EVENT,
// CTRL_LOGOFF_EVENT and CTRL_SHUTDOWN_EVENT the process ends once the handler returns, so a
// handler may wait there for the program to reach a safe point. A handler may run on another
// thread than the program's, or interrupt it: it may only set and read atomic flags.
using PHANDLER_ROUTINE = BOOL (*)(DWORD ctrlType);

// Adds (add TRUE) or removes (add FALSE) a handler; the last one added is called first. When
// the last handler goes, the console's events have their earlier effect again.
BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add);

// ---- Locale ----------------------------------------------------------------------------------

using LCID = DWORD;
using LCTYPE = DWORD;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCTYPE LOCALE_SDECIMAL = 0x0000000E;

// The user's locale information of the given type, zero-terminated, into a buffer of `size`
// characters: the characters written, the zero included. With size 0 the size needed; 0 with
// ERROR_INSUFFICIENT_BUFFER when the buffer is too small, ERROR_INVALID_FLAGS for a type the
// layer does not know.
int GetLocaleInfoA(LCID locale, LCTYPE type, char* data, int size);

// ---- Errors ----------------------------------------------------------------------------------

DWORD GetLastError();
void SetLastError(DWORD errorCode);

// The system's text for an error code, as FormatMessageA gives it from the system table
// (at most 256 bytes), before any trimming.
std::string FormatSystemMessage(DWORD errorCode);

// The full path as GetFullPathNameA expands it: a relative path is made absolute against the
// current directory; device paths ("\\.\...") come back unchanged.
std::string GetFullPathNameA(const std::string& fileName);

// ---- The project's own operations (no counterpart in the Windows API) -------------------------

// The host system's number of the device a handle is open on (a disk, a partition, a character
// device): the same for every name of the device. FALSE with ERROR_INVALID_FUNCTION for a
// handle on a file or a pipe.
BOOL GetHostDeviceNumber(HANDLE device, ULONGLONG* deviceNumber);

// The file that holds the data of a loop device: for the host device number of a loop device
// or of one of its partitions, the backing file's path as the system's device tree under
// `deviceTreeRoot` ("/sys" on a running system) tells it; empty when the device is no loop
// device or has no backing file.
std::string GetLoopBackingFile(const std::string& deviceTreeRoot, ULONGLONG deviceNumber);

// TRUE when the handle is open on a file that the system makes up while it is read, whose
// length says nothing of what a read delivers (the process and kernel files of the host);
// FALSE for every other file and device, and for a handle that is not open.
BOOL IsGeneratedFile(HANDLE file);

}  // namespace win

// What a target names, and so how the job treats it before the copy writes it.
#pragma once

#include <string>

// The target name that stands for the standard output.
inline constexpr const char* kStandardOutputTarget = "-";
// The name the standard output goes by in messages.
inline constexpr const char* kStandardOutputName = "/dev/stdout";

enum class TargetKind {
    File,             // a file: created anew (or written in place), measured by its length
    Device,           // a disk or volume, by its device name or its file name: sized and asked
    CharacterDevice,  // a character device: asked, but it has no size to check
    Pipe,             // a named pipe: opened once, by the copy, and streamed
    StandardOutput,   // kStandardOutputTarget: the image streams to the standard output
};

// Looks at the target without writing it (a named pipe is opened for reading only, which its
// reader does not notice). A name that cannot be opened is a File: creating it tells why not.
TargetKind TargetKindOf(const std::string& path);

// A pipe or the standard output: written front to back as the copy goes, never measured.
inline bool IsStreamTarget(TargetKind kind) {
    return kind == TargetKind::Pipe || kind == TargetKind::StandardOutput;
}

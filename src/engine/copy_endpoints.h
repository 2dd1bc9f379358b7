// How the copy opens its source and target: the devices the job measured (and the user agreed
// to overwrite) are held to, and streamed targets are opened as streams.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/endpoint_size.h"
#include "engine/file_stream.h"

// While an object lives, the copy opens a pinned name only when it still leads to the file or
// device it led to when it was measured, and a device only with the same size. Pins are for
// the thread that made them.
class ScopedEndpointPins {
  public:
    ScopedEndpointPins();
    ~ScopedEndpointPins();
    ScopedEndpointPins(const ScopedEndpointPins&) = delete;
    ScopedEndpointPins& operator=(const ScopedEndpointPins&) = delete;

    // Pins the name to what was measured; a measure without an identity (a pipe) pins nothing.
    void Pin(const std::string& path, const EndpointMeasure& measure);

    // Raises EFOpenError when the stream, opened by `path`, is not what the name was pinned to.
    void Check(TFileStream& stream, const std::string& path) const;

  private:
    struct Pinned {
        std::string path;
        EndpointIdentity identity;
        std::int64_t size = 0;
    };
    std::vector<Pinned> pins_;
    ScopedEndpointPins* previous_;
};

// The copy's source, opened read-only. Raises EFOpenError as TFileStream does, and when a
// pinned name now leads elsewhere than when it was measured.
TFileStream OpenCopySource(const std::string& path);
// The copy's target, opened for writing: the standard output for kStandardOutputTarget, a
// named pipe for writing only (so that its reader sees the end when the copy closes it).
TFileStream OpenCopyTarget(const std::string& path);

// The exceptions through which every failure leaves the engine, drive discovery and the
// window's handlers. Message() is the text the exception box shows.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
  public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    std::string message_;
};

// A stream could not be opened: "Cannot open file "%s". %s".
class EFOpenError : public Exception {
    using Exception::Exception;
};
// A stream could not be created: "Cannot create file "%s". %s".
class EFCreateError : public Exception {
    using Exception::Exception;
};
// A text that is not an integer: "'%s' is not a valid integer value".
class EConvertError : public Exception {
    using Exception::Exception;
};
// A list index out of range: "List index out of bounds (%d)".
class EListError : public Exception {
    using Exception::Exception;
};
// A value the gauge refuses: "Value must be between %d and %d".
class EInvalidArgument : public Exception {
    using Exception::Exception;
};
// A device query refused, a target that cannot take the image, a failed write or flush.
class EDeviceError : public Exception {
    using Exception::Exception;
};
class EWriteError : public Exception {
    using Exception::Exception;
};
// A source that cannot be read on: a read that failed for another reason than a bad sector
// (the device went away, say), or a source that ended before its measured end.
class EReadError : public Exception {
    using Exception::Exception;
};
// A map file of a resumable copy that cannot be read, or that belongs to another copy.
class EMapError : public Exception {
    using Exception::Exception;
};

// printf-style formatting into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

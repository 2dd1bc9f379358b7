// A zero-filled byte buffer whose start is aligned, as unbuffered device reads need it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

class AlignedBuffer {
  public:
    // `size` bytes starting at a multiple of `alignment` (a power of two).
    AlignedBuffer(std::size_t size, std::size_t alignment)
        : size_(size), bytes_(Allocate(size, alignment)) {}

    std::uint8_t* Data() { return bytes_.get(); }
    const std::uint8_t* Data() const { return bytes_.get(); }
    std::size_t Size() const { return size_; }

  private:
    struct Free {
        void operator()(std::uint8_t* bytes) const { std::free(bytes); }
    };

    static std::uint8_t* Allocate(std::size_t size, std::size_t alignment) {
        // aligned_alloc wants a size that is a multiple of the alignment.
        const std::size_t rounded = (size + alignment - 1) / alignment * alignment;
        auto* bytes = static_cast<std::uint8_t*>(std::aligned_alloc(alignment, rounded));
        if (bytes == nullptr) {
            throw std::bad_alloc();
        }
        std::memset(bytes, 0, rounded);
        return bytes;
    }

    std::size_t size_;
    std::unique_ptr<std::uint8_t, Free> bytes_;
};

#include "engine/read_errors.h"

bool IsMediaError(win::DWORD error) {
    switch (error) {
        case win::ERROR_CRC:
        case win::ERROR_SECTOR_NOT_FOUND:
        case win::ERROR_IO_DEVICE:
        case win::ERROR_READ_FAULT:
            return true;
        default:
            return false;
    }
}

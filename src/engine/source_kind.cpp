#include "engine/source_kind.h"

#include "engine/errors.h"
#include "engine/file_stream.h"

using namespace win;

namespace {

// What the source is, when it is not a file or a disk; null when it is one.
const char* NoFixedSize(HANDLE handle) {
    switch (GetFileType(handle)) {
        case FILE_TYPE_DISK:
            return IsGeneratedFile(handle) ? "a file the system makes up as it is read" : nullptr;
        case FILE_TYPE_CHAR:
            return "a character device";
        case FILE_TYPE_PIPE:
            return "a pipe";
        default:
            return "a special file";
    }
}

}  // namespace

void CheckSourceKind(const TFileStream& source) {
    if (const char* what = NoFixedSize(source.Handle())) {
        throw EFOpenError(Format("Cannot image \"%s\". It is %s, not a file or a disk",
                                 GetFullPathNameA(source.FileName()).c_str(), what));
    }
}

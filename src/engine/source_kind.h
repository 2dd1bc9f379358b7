// Which endpoints can be read as a source: those whose data has a fixed length.
#pragma once

class TFileStream;

// Raises EFOpenError "Cannot image "%s". It is <what>, not a file or a disk" for an open
// source that is a pipe, a character device (a console, /dev/zero) or a file the system makes
// up as it is read: such a source has no length to copy up to.
void CheckSourceKind(const TFileStream& source);

#pragma once

#include <memory>

#include "update/transport.h"

namespace venmark {

// Reads listings from files of a folder as a transport fetches them from a
// server: the same parts, progress (the file's size known at once),
// cancel, size limit and date (the file's time), so that a folder goes
// through every check a download does. A file that is not there, or that
// cannot be read, or is no regular file, is a failure on the way (kNoFile,
// kFileUnreadable, kFileNotRegular) with its path as detail and the errno
// value.
std::unique_ptr<Transport> MakeFileTransport();

}  // namespace venmark

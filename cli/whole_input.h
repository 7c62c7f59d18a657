#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "listings/file_read.h"

namespace venmark {

// Regular files up to this size are read whole and scanned as one text
// (on two threads, the labels looked at only where a MAC needs them);
// larger ones, pipes and terminals are read a piece at a time. Memory read
// into is fresh pages the kernel clears first: for a log of hundreds of
// megabytes that clearing costs more than the scan, where pieces read into
// the same memory again and again cost nothing of the kind.
inline constexpr std::size_t kWholeInputBytes = std::size_t{16} << 20;

// What reading an input whole gave.
struct WholeInput {
  bool whole = false;  // false: not a regular file, or too large
  int error = 0;       // errno of a failed read
  FileBytes bytes;     // from the file's position to its end as read
};

// Reads file from where it stands to its end with plain reads, when it is
// a regular file of at most limit bytes. A file cut or growing meanwhile
// gives what was read.
WholeInput ReadWholeInput(std::FILE* file,
                          std::size_t limit = kWholeInputBytes);

}  // namespace venmark

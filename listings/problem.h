#pragma once

#include <optional>
#include <string>

// What went wrong reading a listing, as values. The words for a user are
// app/'s: nothing at this floor holds a sentence.
namespace venmark {

// The listings of blocks that may stand beside the MA-L listing.
enum class BlockKind { kMaS, kIab, kMaM };

// Why a file could not be read as a listing.
struct ReadFailure {
  enum class Kind {
    kSystem,     // the system refused: error_number says why
    kTooLarge,   // over kMaxListingBytes: no listing comes near it
    kNoRecord,   // read, but not a single record line in it
    kNotAFile,   // a pipe, a device or a socket: nothing a listing can be
  };
  Kind kind = Kind::kSystem;
  int error_number = 0;  // errno, for kSystem
};

// A listing that could not be read: which, where and why.
struct ListingProblem {
  std::optional<BlockKind> companion;  // nothing: the MA-L listing
  std::string path;
  ReadFailure why;
};

}  // namespace venmark

#pragma once

#include <string>

#include "listings/listing_kinds.h"

// What went wrong reading a listing, as values. The words for a user are
// app/'s: nothing at this floor holds a sentence.
namespace venmark {

// Why a file could not be read as a listing.
struct ReadFailure {
  enum class Kind {
    kSystem,    // the system refused: error_number says why
    kTooLarge,  // over kMaxListingBytes: no listing comes near it
    kNoRecord,  // read, but not a single record line in it
    kNotAFile,  // a pipe, a device or a socket: nothing a listing can be
    kChanging,  // written to all the while it was read, each time
  };
  Kind kind = Kind::kSystem;
  int error_number = 0;  // errno, for kSystem
};

// A listing that could not be read: which, where and why.
struct ListingProblem {
  ListingKind kind = ListingKind::kMaL;
  std::string path;
  ReadFailure why;
};

}  // namespace venmark

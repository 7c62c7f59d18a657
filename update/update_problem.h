#pragma once

#include <cstdint>
#include <string>

#include "listings/problem.h"

namespace venmark {

// What went wrong on the way, whatever the transport.
enum class NetworkFailure {
  kHostNotFound,
  kProxyNotFound,
  kCannotConnect,
  kTimedOut,
  kCutOff,
  kTooManyRedirects,
  kBadRedirect,   // to a scheme not allowed, https to http among them
  kUntrusted,     // the server's certificate is not trusted
  kNoTrustStore,  // the system's certificates could not be read
  kTls,           // any other failure of the secure connection
  kBadAddress,
  kNoLibrary,       // the transport's library could not be loaded
  kCannotStart,     // the transport could not start a transfer
  kNoFile,          // a file of a folder: detail its path
  kFileUnreadable,  // the same, and error_number
  kFileNotRegular,  // the same: a FIFO, a device, no regular file
  kOther,
};

// Why an update failed, or why a companion kept its old file, as values;
// app/ words it.
enum class UpdateFailure {
  kNone,
  kBadSource,           // path: an address neither https:// nor http://
  kSystemFolder,        // path: the folder, one of the system's packages
  kBusy,                // another update holds the folder's lock
  kCannotLock,          // path: the folder; error_number
  kStaleLock,           // path: a killed update's lock file; detail: whose
  kCannotCreate,        // path: the folder; error_number
  kCannotWrite,         // path: the file written; error_number
  kTooLarge,            // count: the limit in bytes
  kHttpStatus,          // count: the server's status
  kNetwork,             // network, and the transport's own detail
  kTimeLimit,           // count: the update's limit in seconds
  kFetchedUnreadable,   // read: why the download reads as no listing
  kNotAListing,         // the server sent a file without a record
  kWrongKind,           // count: the kind it holds, other: the kind asked
                        // for (their places in kListingKinds)
  kCutOff,              // the download ends inside a record
  kTooFew,              // count: records fetched; other: records now
  kTooMany,             // the same
  kCurrentUnreadable,   // path: the listing in place; read: why
  kCurrentNotAListing,  // path: the file in place, which holds no record
  kCannotReplace,       // path: the file replaced; error_number
  kNoFile,              // path: a listing missing from the origin's folder
  kFileUnreadable,      // path: a listing of that folder; error_number
  kFileNotRegular,      // path: the same, a FIFO or a device
  kGroupNotKept,        // path: a file replaced, now of the user's group
  kNoDataFolder,        // no ./base.dat, and no home to put the listings in
};

struct UpdateProblem {
  UpdateFailure kind = UpdateFailure::kNone;
  std::string path = {};
  int error_number = 0;
  std::int64_t count = 0;
  std::int64_t other = 0;
  NetworkFailure network = NetworkFailure::kOther;
  std::string detail = {};  // the transport's own words, in brackets for a user
  ReadFailure read = {};
};

}  // namespace venmark

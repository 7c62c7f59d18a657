#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace venmark {

// Exit statuses of venmark-scan.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;  // bad arguments or unreadable input
inline constexpr int kExitNoListing = 2;
inline constexpr int kExitUpdateFailed = 3;

// Runs venmark-scan with args (program name excluded), reading standard
// input from in and writing to out and err. Returns the exit status.
int RunScanCommand(const std::vector<std::string>& args, std::FILE* in,
                   std::FILE* out, std::FILE* err);

}  // namespace venmark

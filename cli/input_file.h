#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The system's own part of reading inputs and telling a terminal, one file
// per system (input_file_posix.cc, input_file_win32.cc).
namespace venmark {

// Opens the file called name (UTF-8) for reading; null with errno set.
std::FILE* OpenInput(const std::string& name);

// The size of file when it is a regular file.
bool RegularFileSize(std::FILE* file, std::uint64_t* size);

// Reads at most most bytes of file, waiting only while none have come: how
// many, 0 at the end, -1 with *error set.
long long ReadFrom(std::FILE* file, char* into, std::size_t most, int* error);

// Whether stream is a terminal.
bool IsTerminal(std::FILE* stream);

}  // namespace venmark

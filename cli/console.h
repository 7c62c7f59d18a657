#pragma once

#include <cstdio>
#include <string>

namespace venmark {

// Writes "venmark-scan: line" (its first letter lowered) and a line break
// to stream.
void PrintLine(std::FILE* stream, std::string line);

}  // namespace venmark

#pragma once

#include <string>

namespace venmark {

// A Russian wording of errno value `error` met while reading a file.
std::string DescribeSystemError(int error);

// The same for making, writing or replacing a file, in words that say what
// to do about it ("нет прав на запись в папку").
std::string DescribeWriteError(int error);

}  // namespace venmark

#pragma once

#include <cstdio>

#include "cli/options.h"

namespace venmark {

// Replaces the listings with fresh IEEE ones, the steps and the outcome
// told on err; the exit status.
int RunUpdateCommand(const Options& options, std::FILE* err);

}  // namespace venmark

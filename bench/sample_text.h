#pragma once

#include <cstddef>
#include <string>

namespace venmark {

// A pasted text of mac_count MACs in all three notations, laid out like
// ipconfig, ip link and switch table output (about 50 bytes a MAC). The same
// seed gives the same text.
std::string MakeSampleText(std::size_t mac_count, unsigned seed = 42);

}  // namespace venmark

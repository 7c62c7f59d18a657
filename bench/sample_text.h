#pragma once

#include <cstddef>
#include <string>

namespace venmark {

// A pasted text of mac_count MACs in all three notations, laid out like
// ipconfig, ip link and switch table output (about 50 bytes a MAC). The same
// seed gives the same text.
std::string MakeSampleText(std::size_t mac_count, unsigned seed = 42);

// A syslog of about bytes bytes in which every line has a timestamp, a
// host and a daemon, and about one line in seven names a MAC (DHCP, ARP
// and Wi-Fi messages); the rest are the usual noise.
std::string MakeSyslog(std::size_t bytes, unsigned seed = 1);

}  // namespace venmark

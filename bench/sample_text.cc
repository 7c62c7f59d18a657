#include "bench/sample_text.h"

#include <cstdio>
#include <random>

namespace venmark {

std::string MakeSampleText(std::size_t mac_count, unsigned seed) {
  // Prefixes of well-known vendors, so most lines find a name, and a few
  // that the listing does not hold.
  static constexpr unsigned kPrefixes[] = {0x00000C, 0x005056, 0x000C29,
                                           0x525400, 0x00155D, 0xF4CE46,
                                           0x3C5AB4, 0x001A2B, 0xFEFEFE};
  std::mt19937 rng(seed);
  std::uniform_int_distribution<unsigned> byte(0, 255);
  std::uniform_int_distribution<std::size_t> prefix(0,
                                                    std::size(kPrefixes) - 1);
  std::string text;
  text.reserve(mac_count * 52);
  char line[128];
  for (std::size_t i = 0; i < mac_count; ++i) {
    const unsigned oui = kPrefixes[prefix(rng)];
    const unsigned a = oui >> 16, b = (oui >> 8) & 0xFF, c = oui & 0xFF;
    const unsigned d = byte(rng), e = byte(rng), f = byte(rng);
    int n = 0;
    switch (i % 3) {
      case 0:
        n = std::snprintf(
            line, sizeof line,
            "   Физический адрес. . : %02X-%02X-%02X-%02X-%02X-%02X\r\n", a, b,
            c, d, e, f);
        break;
      case 1:
        n = std::snprintf(line, sizeof line,
                          "    link/ether %02x:%02x:%02x:%02x:%02x:%02x brd\n",
                          a, b, c, d, e, f);
        break;
      default:
        n = std::snprintf(
            line, sizeof line,
            " %4zu    %02x%02x.%02x%02x.%02x%02x    DYNAMIC     Gi1/0/%zu\n",
            i % 4000, a, b, c, d, e, f, i % 48 + 1);
        break;
    }
    text.append(line, static_cast<std::size_t>(n));
  }
  return text;
}

std::string MakeSyslog(std::size_t bytes, unsigned seed) {
  static constexpr const char* kNoise[] = {
      "systemd[1]: Started Session 42 of user admin.",
      "sshd[2211]: Accepted publickey for admin from 10.0.0.5 port 51234 ssh2",
      "CRON[3301]: (root) CMD (run-parts /etc/cron.hourly)",
      "kernel: [12345.678901] EXT4-fs (sda1): re-mounted. Opts: "
      "errors=remount-ro",
      "postfix/smtpd[991]: connect from mail.example.org[192.0.2.10]",
      "NetworkManager[812]: <info>  [1717000000.1234] device (eth0): state "
      "change",
  };
  std::mt19937 rng(seed);
  std::uniform_int_distribution<unsigned> byte(0, 255);
  std::uniform_int_distribution<int> pick(0, 99);
  std::string text;
  text.reserve(bytes + 256);
  char line[256];
  for (unsigned long i = 0; text.size() < bytes; ++i) {
    const int kind = pick(rng);
    int n = 0;
    const unsigned a = byte(rng) & 0xFC, b = byte(rng), c = byte(rng);
    const unsigned d = byte(rng), e = byte(rng), f = byte(rng);
    if (kind < 8) {
      n = std::snprintf(
          line, sizeof line,
          "Jun  1 12:%02lu:%02lu gw dhcpd[1234]: DHCPACK on "
          "10.0.%u.%u to %02x:%02x:%02x:%02x:%02x:%02x via eth1\n",
          i / 60 % 60, i % 60, d, e, a, b, c, d, e, f);
    } else if (kind < 15) {
      n = std::snprintf(line, sizeof line,
                        "Jun  1 12:%02lu:%02lu ap1 hostapd: wlan0: STA "
                        "%02x:%02x:%02x:%02x:%02x:%02x IEEE 802.11: "
                        "associated\n",
                        i / 60 % 60, i % 60, a, b, c, d, e, f);
    } else {
      n = std::snprintf(
          line, sizeof line, "Jun  1 12:%02lu:%02lu host1 %s\n", i / 60 % 60,
          i % 60, kNoise[static_cast<std::size_t>(kind) % std::size(kNoise)]);
    }
    text.append(line, static_cast<std::size_t>(n));
  }
  return text;
}

}  // namespace venmark

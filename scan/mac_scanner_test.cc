#include "scan/mac_scanner.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "scan/mac.h"
#include "testing/mac_scanner_model.h"

namespace venmark {
namespace {

struct Expected {
  std::size_t offset;
  Notation notation;
  std::string candidate_mac;
  std::string oui_key;
};

// The MACs of text as written, scanned whole.
std::vector<std::string> WholeMacs(std::string_view text) {
  std::vector<std::string> macs;
  for (const MacFinding& f : FindMacs(text)) macs.emplace_back(f.candidate_mac);
  return macs;
}

// The same, fed to a StreamScanner (limits longest and context) in blocks
// of 1 to most bytes drawn from rng.
std::vector<std::string> BlockWiseMacs(
    std::string_view text, std::mt19937& rng, std::size_t most,
    std::size_t longest = StreamScanner::kLongestRun,
    std::size_t context = StreamScanner::kContext) {
  std::vector<std::string> macs;
  auto found = [&](const MacFinding& f) { macs.emplace_back(f.candidate_mac); };
  StreamScanner stream(longest, context);
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t n =
        std::uniform_int_distribution<std::size_t>(1, most)(rng);
    stream.Feed(text.substr(at, std::min(n, text.size() - at)), found);
    at += n;
  }
  stream.Finish(found);
  return macs;
}

void ExpectFindings(std::string_view text, const std::vector<Expected>& want) {
  const std::vector<MacFinding> got = FindMacs(text);
  ASSERT_EQ(got.size(), want.size()) << "text: " << text;
  for (std::size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "finding " << i << " of " << text);
    EXPECT_EQ(got[i].offset, want[i].offset);
    EXPECT_EQ(got[i].notation, want[i].notation);
    EXPECT_EQ(got[i].candidate_mac, want[i].candidate_mac);
    EXPECT_EQ(mac::OuiKey(got[i].address), want[i].oui_key);
  }
}

TEST(MacScannerTest, FindsEachNotationAndUpperCasesTheKeyOnly) {
  ExpectFindings("00-1a-2b-3c-4d-5e",
                 {{0, Notation::kDash, "00-1a-2b-3c-4d-5e", "00-1A-2B"}});
  ExpectFindings("00:1A:2B:3C:4D:5E",
                 {{0, Notation::kColon, "00:1A:2B:3C:4D:5E", "00-1A-2B"}});
  ExpectFindings("001a.2b3c.4d5e",
                 {{0, Notation::kDot, "001a.2b3c.4d5e", "00-1A-2B"}});
  ExpectFindings("aB:cD:eF:01:23:45",
                 {{0, Notation::kColon, "aB:cD:eF:01:23:45", "AB-CD-EF"}});
}

TEST(MacScannerTest, ShowsOnlyTheMacNotWhatFollowsIt) {
  // A dotted MAC is 14 characters; the text after it is not part of it.
  ExpectFindings("001a.2b3c.4d5e  Ab",
                 {{0, Notation::kDot, "001a.2b3c.4d5e", "00-1A-2B"}});
  ExpectFindings("00-1A-2B-3C-4D-5A",
                 {{0, Notation::kDash, "00-1A-2B-3C-4D-5A", "00-1A-2B"}});
}

// Only whole MACs count: nothing alphanumeric touches them, and their own
// separator does not carry them on into a run of hex digits.
TEST(MacScannerTest, FindsOnlyWholeMacs) {
  const struct {
    const char* text;
    std::vector<std::string> macs;
  } cases[] = {
      {"00-11-22-33-44-55-66", {}},
      {"DUID . . : 00-01-00-01-2A-BC-DE-F0-8C-EC-4B-12-34-56-78", {}},
      {"DUID . . : 00-02-00-01-2A-BC-DE-F0-8C-EC-4B-12-34-56", {}},
      {"00-00-00-00-00-00-00-E0", {}},
      {"00:19:e8:a1:2b:3c:4d", {}},
      {"abc00:19:e8:a1:2b:3cdef", {}},
      {"0011.2233.4455.6677", {}},
      {"550e8400-e29b-41d4-a716-446655440000", {}},
      {"x00-1a-2b-3c-4d-5e", {}},
      {"00-1a-2b-3c-4d-5e0", {}},
      {"0011.2233-4455", {}},
      {"0011.2233x4455", {}},
      {"MAC:00:1a:2b:3c:4d:5e", {"00:1a:2b:3c:4d:5e"}},
      {"port1-00-1a-2b-3c-4d-5e", {"00-1a-2b-3c-4d-5e"}},
      {"at 001a.2b3c.4d5e.", {"001a.2b3c.4d5e"}},
      {"(00-1a-2b-3c-4d-5e)", {"00-1a-2b-3c-4d-5e"}},
      {"адрес00-1a-2b-3c-4d-5eпорт", {"00-1a-2b-3c-4d-5e"}},
      {"00-1a-2b-3c-4d-5e-", {"00-1a-2b-3c-4d-5e"}},
      {"00-1a-2b-3c-4d-5e-xyz", {"00-1a-2b-3c-4d-5e"}},
      {"ab.00-1a-2b-3c-4d-5e.cd", {"00-1a-2b-3c-4d-5e"}},
      // A dash MAC ended by a colon MAC: neither continues the other.
      {"00-11-22-33-44-55:66:77:88:99:aa",
       {"00-11-22-33-44-55", "55:66:77:88:99:aa"}},
      {"00e0-fc12-3456 1 Eth0/0/1", {"00e0-fc12-3456"}},
      {"00e0-fc12-3456-7890", {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> got;
    for (const MacFinding& finding : FindMacs(c.text)) {
      got.emplace_back(finding.candidate_mac);
    }
    EXPECT_EQ(got, c.macs) << c.text;
    EXPECT_EQ(model::Macs(c.text), c.macs) << "model: " << c.text;
  }
}

TEST(MacScannerTest, ReadsTheWholeAddress) {
  ExpectFindings("00e0-fc12-3456",
                 {{0, Notation::kDashQuad, "00e0-fc12-3456", "00-E0-FC"}});
  for (const char* text : {"70:b3:d5:f2:f0:01", "70-B3-D5-F2-F0-01",
                           "70b3.d5f2.f001", "70b3-d5f2-f001"}) {
    const std::vector<MacFinding> found = FindMacs(text);
    ASSERT_EQ(found.size(), 1u) << text;
    EXPECT_EQ(found[0].address, 0x70B3D5F2F001u) << text;
  }
}

TEST(MacScannerTest, FindsMacsAtTheEdgesOfTheText) {
  ExpectFindings("x 00:1a:2b:3c:4d:5e",
                 {{2, Notation::kColon, "00:1a:2b:3c:4d:5e", "00-1A-2B"}});
  ExpectFindings("ab 001a.2b3c.4d5e",
                 {{3, Notation::kDot, "001a.2b3c.4d5e", "00-1A-2B"}});
  ExpectFindings("00-1a-2b-3c-4d-5", {});
  ExpectFindings("001a.2b3c.4d5", {});
  ExpectFindings("", {});
  ExpectFindings("0", {});
}

TEST(MacScannerTest, RejectsTextThatOnlyLooksLikeAMac) {
  for (const char* text : {
           "00-1a:2b-3c-4d-5e",          // mixed separators
           "zz-zz-zz-zz-zz-zz",          // no hex digits
           "ab-c.-fg-.x-kl-mn",          // separators in both places
           "1234.5678.9",                // a version number
           "10.0.0.1 255.255.255.0",     // addresses
           "00-1g-2b-3c-4d-5e",          // one non-hex digit
           "001a.2b3c.4d5g",             // one non-hex digit at the end
           "001a-2b3c.4d5e",             // two separators
           "2024-12-07 10:11:12:13:14",  // a timestamp
           "---------------------------------------------------",
           "Vlan    Mac Address       Type        Ports\n"
           "----    -----------       --------    -----",
       }) {
    ExpectFindings(text, {});
  }
}

// The notations real devices print beside the four above, each with the
// decoys that stand next to it in the same outputs; a bare word counts only
// under a label on its line or a heading over its column or field.
TEST(MacScannerTest, FindsFieldNotationsAndLeavesTheirDecoys) {
  const struct {
    const char* text;
    std::vector<std::string> macs;
    std::uint64_t first_address = 0;
  } cases[] = {
      // macOS arp -a, net-snmp, dhcpd: one-digit groups read as 0H.
      {"? (192.168.1.1) at 0:1d:aa:8f:23:ed on en0 ifscope [ethernet]",
       {"0:1d:aa:8f:23:ed"},
       0x001DAA8F23ED},
      {"hardware ethernet 8:0:27:a:b:c;", {"8:0:27:a:b:c"}, 0x0800270A0B0C},
      {"fe80::1:2:3:4:5:6 and 1:2:3:4:5:6:7 and 0:1d:aa:8f:23:edf", {}},
      // HPE ProCurve, Aruba AOS-S.
      {"  001e49-7a33c1    12   Trk1", {"001e49-7a33c1"}, 0x001E497A33C1},
      {"001e49-7a33c1-00 and 0000001e49-7a33c1", {}},
      // Bare words: a label on the line, 0x too.
      {"Physical Address...: 001A2B3C4D5E", {"001A2B3C4D5E"}, 0x001A2B3C4D5E},
      {"macaddress1=\"080027AABBCC\"", {"080027AABBCC"}, 0x080027AABBCC},
      {"User-Name = \"a0b1c2d3e4f5\"", {"a0b1c2d3e4f5"}, 0xA0B1C2D3E4F5},
      {"Station Address 0x001A2B3C4D5E", {"0x001A2B3C4D5E"}, 0x001A2B3C4D5E},
      // A label's line ends at LF, CR LF or a lone CR (old Mac text) alike;
      // a blank line ends its table.
      {"MAC: 001A2B3C4D5E\n\nSerial: 0123456789AB\n",
       {"001A2B3C4D5E"},
       0x001A2B3C4D5E},
      {"MAC: 001A2B3C4D5E\r\n\r\nSerial: 0123456789AB\r\n",
       {"001A2B3C4D5E"},
       0x001A2B3C4D5E},
      {"MAC: 001A2B3C4D5E\r\rSerial: 0123456789AB\r",
       {"001A2B3C4D5E"},
       0x001A2B3C4D5E},
      {" mac\r\r000000000000", {}},  // the blank line's CR right before it
      {"mac\r\x01\r\r\n044400000000", {}},  // a CR-only blank, then LF
      {"-hwaddr\r0\r EEEEEEEEEEE0", {"EEEEEEEEEEE0"}, 0xEEEEEEEEEEE0},
      {"Name\tMAC\rhost1\t001A2B3C4D5E\r\rName\tSerial\rhost2\t0123456789AB",
       {"001A2B3C4D5E"},
       0x001A2B3C4D5E},
      // A heading over a field of semicolon-separated values, 0X in capitals;
      // HMAC, tomac and Macintosh are no labels, and a seventh pair makes
      // no MAC of the six after Hex-STRING.
      {"Name;MAC;IP\nhost;001A2B3C4D5E;10.0.0.1",
       {"001A2B3C4D5E"},
       0x001A2B3C4D5E},
      {"Name;Serial;IP\nhost;001A2B3C4D5E;10.0.0.1", {}},
      {"Hostname\tLocation\tSerial\tMAC\tIP\n"
       "pc-01\tRoom 101, floor 1\t0123456789AB\tf8e4e3a1b2c3\t10.0.0.1",
       {"f8e4e3a1b2c3"},
       0xF8E4E3A1B2C3},
      {"MAC: 0X001A2B3C4D5E", {"0X001A2B3C4D5E"}, 0x001A2B3C4D5E},
      {"HMAC: 001A2B3C4D5E", {}},
      // Labels inside names written in camel and snake case, and Russian
      // ones as admins write them; never a longer word.
      {"WiFiMacAddress : f8e4e3a1b2c3", {"f8e4e3a1b2c3"}, 0xF8E4E3A1B2C3},
      {"ClientMacAddress=f8e4e3a1b2c3", {"f8e4e3a1b2c3"}, 0xF8E4E3A1B2C3},
      {"mac_address=f8e4e3a1b2c3", {"f8e4e3a1b2c3"}, 0xF8E4E3A1B2C3},
      // Written short, as device configurations and APIs write it.
      {"MacAddr: 001A2B3C4D5E", {"001A2B3C4D5E"}, 0x001A2B3C4D5E},
      {"clientMacAddr=001a2b3c4d5e", {"001a2b3c4d5e"}, 0x001A2B3C4D5E},
      {"mac_addr 001A2B3C4D5E", {"001A2B3C4D5E"}, 0x001A2B3C4D5E},
      {"macaddress1: 001A2B3C4D5E", {"001A2B3C4D5E"}, 0x001A2B3C4D5E},
      {"MACADDR=001A2B3C4D5E", {"001A2B3C4D5E"}, 0x001A2B3C4D5E},
      {"\"macAddress\": \"000D3A8F126C\"", {"000D3A8F126C"}, 0x000D3A8F126C},
      {"МАК-адрес: f8e4e3a1b2c3", {"f8e4e3a1b2c3"}, 0xF8E4E3A1B2C3},
      {"мак f8e4e3a1b2c3", {"f8e4e3a1b2c3"}, 0xF8E4E3A1B2C3},
      {"ПК-12, мак: f8e4e3a1b2c3", {"f8e4e3a1b2c3"}, 0xF8E4E3A1B2C3},
      {"MAC-адрес f8e4e3a1b2c3", {"f8e4e3a1b2c3"}, 0xF8E4E3A1B2C3},
      // A dash or a quote of more than one byte is no Cyrillic letter.
      {"МАК–адрес f8e4e3a1b2c3", {"f8e4e3a1b2c3"}, 0xF8E4E3A1B2C3},
      {"«мак» f8e4e3a1b2c3", {"f8e4e3a1b2c3"}, 0xF8E4E3A1B2C3},
      {"макет f8e4e3a1b2c3 смак f8e4e3a1b2c4", {}},
      {"HMACAddress f8e4e3a1b2c3 MacBook f8e4e3a1b2c4 isMacro f8e4e3a1b2c5",
       {}},
      {"ZMAC: 001A2B3C4D5E", {}},
      // A heading that only starts with мак is a longer word.
      {"Имя  Макс\npc1  001A2B3C4D5E\n", {}},
      {"HMAC-SHA256 001A2B3C4D5E", {}},
      {"tomac 001A2B3C4D5E and Macintosh 001A2B3C4D5F", {}},
      {"Hex-STRING: 00 1A 2B 3C 4D 5E 6F", {}},
      {"Hex-STRING: 00 1A 2B 3C 4D 5E", {"00 1A 2B 3C 4D 5E"}, 0x001A2B3C4D5E},
      // ... never without one, and never as a GUID's or UUID's tail.
      {"Machine 001A2B3C4D5E", {}},
      {"commit 001a2b3c4d5e and 0x001A2B3C4D5E", {}},
      {"MAC {4d36e972-e325-11ce-bfc1-08002be10318}", {}},
      {"MAC 0000-1000-8000-00805f9b34fb", {}},
      // A heading over the column, on one line or two, or over the field.
      {"Name  MacAddress    Status\n----  ----------    ------\n"
       "vm1   00155D010203  Ok\n",
       {"00155D010203"},
       0x00155D010203},
      {"Hardware Station        Crd\nPath     Address        In#\n"
       "0/0/0/1  0x001A2B3C4D5E 0\n",
       {"0x001A2B3C4D5E"},
       0x001A2B3C4D5E},
      {"ID,Date,Time,Description,IP Address,Host Name,MAC Address\n"
       "10,05/14/24,09:01:02,Assign,10.0.0.9,pc1,001A2B3C4D5E\n"
       "10,05/14/24,09:01:03,Assign,10.0.0.9,pc1,abcdef,001A2B3C4D5E\n",
       {"001A2B3C4D5E"},
       0x001A2B3C4D5E},
      // A heading on two lines further down a block, beside a label of
      // its own line: "Physical" over "Address".
      {"Port  Name\n1     x\nHost  Physical      MAC\n"
       "Name  Address\npc1   001A2B3C4D5E  x\n",
       {"001A2B3C4D5E"},
       0x001A2B3C4D5E},
      // A value with a key of its own is that key's, not the heading's.
      {" #    ADDRESS         MAC-ADDRESS       INTERFACE\n"
       " 0 DC 192.168.88.254  4C5E0C112233      ether1\n"
       "     serial-number:   D4570C1B2A3F\n"
       "     zz:              001A2B3C4D5F\n"
       "     z:               001A2B3C4D5C\n"
       "     Id = 001A2B3C4D5E \"x\": \"001A2B3C4D5F\"\n",
       {"4C5E0C112233"},
       0x4C5E0C112233},
      // On a labelled line, a value under a key of its own that names no
      // MAC is no MAC: the label's reach ends at the next key. Near
      // misses: a value with no key of its own, a key that is a label.
      {"MAC: 3C52821A5D07  S/N: 211234567890",
       {"3C52821A5D07"},
       0x3C52821A5D07},
      {"GET /login?mac=001122334455&ts=202403191031&id=001122334466",
       {"001122334455"},
       0x001122334455},
      {"Serial: 211234567890 MAC: 3C52821A5D07",
       {"3C52821A5D07"},
       0x3C52821A5D07},
      {"{\"mac\": \"001122334455\", \"time\": \"202403191031\"}",
       {"001122334455"},
       0x001122334455},
      {"SN=211234567890 mac 001122334455", {"001122334455"}, 0x001122334455},
      {"MAC 001A2B3C4D5E;a=211234567890", {"001A2B3C4D5E"}, 0x001A2B3C4D5E},
      {"MAC='3C52821A5D07' SN='211234567890'",
       {"3C52821A5D07"},
       0x3C52821A5D07},
      {"mac lookup /x?ts=202403191031 and {ts=202403191031}", {}},
      // route print's interfaces: a number's dot leader, and nothing else.
      {" 7...00 50 56 b9 c5 4b ......vmxnet3",
       {"00 50 56 b9 c5 4b"},
       0x005056B9C54B},
      {"ab...00 50 56 b9 c5 4b x.1...00 50 56 b9 c5 4b ....00 50 56 b9 c5 4b",
       {}},
      // DUIDs in one- or two-digit groups: LLT (type 1) of 14 groups, LL
      // (type 3) of 10, over Ethernet only.
      {"server_id = 0:3:0:1:0:50:56:b9:c5:4b",
       {"0:3:0:1:0:50:56:b9:c5:4b"},
       0x005056B9C54B},
      {"0:4:0:1:0:50:56:b9:c5:4b 0:3:0:6:0:50:56:b9:c5:4b "
       "0:1:0:1:0:50:56:b9:c5:4b 0:3:0:1:1:2:3:4:5:6:7",
       {}},
      // Eleven hex digits in a heading are no MAC's value: it is a heading.
      {"Host\tMAC\npc1\t001A2B3C4D5E\nabcdef01234\tSerial\tMAC\n"
       "pc2\t211234567890\t001A2B3C4D5F\n",
       {"001A2B3C4D5E", "001A2B3C4D5F"},
       0x001A2B3C4D5E},
      {"MAC: 3C52821A5D07 3C52821A5D08",
       {"3C52821A5D07", "3C52821A5D08"},
       0x3C52821A5D07},
      {"id=5, client mac=001122334455", {"001122334455"}, 0x001122334455},
      // RADIUS as FreeRADIUS prints a MAB request: the access point's MAC,
      // and the client's as user name and password.
      {"\tCalled-Station-Id = \"24DEC6A1B2C1\"",
       {"24DEC6A1B2C1"},
       0x24DEC6A1B2C1},
      {"\tCalled-Station-Id = \"24-DE-C6-A1-B2-C1:corp-wifi\"",
       {"24-DE-C6-A1-B2-C1"},
       0x24DEC6A1B2C1},
      {"\tUser-Password = \"a483e72d638f\"", {"a483e72d638f"}, 0xA483E72D638F},
      // Labels in other words: the DHCP console's export, Wi-Fi, Russian
      // abbreviations and "MAC" typed in Cyrillic or mixed letters.
      {"Reservation Name\tIP Address\tUnique ID\n"
       "printer-1\t10.0.0.5\t001a2b3c4d5e\n",
       {"001a2b3c4d5e"},
       0x001A2B3C4D5E},
      {"BSSID  SSID  CHANNEL\n24DEC6A1B2C1  corp  36\n",
       {"24DEC6A1B2C1"},
       0x24DEC6A1B2C1},
      {"физ. адрес: 001A2B3C4D5E", {"001A2B3C4D5E"}, 0x001A2B3C4D5E},
      {"Физ. адрес 001A2B3C4D5E", {"001A2B3C4D5E"}, 0x001A2B3C4D5E},
      {"МАС-адрес: 001A2B3C4D5E", {"001A2B3C4D5E"}, 0x001A2B3C4D5E},
      {"MАС 001A2B3C4D5E", {"001A2B3C4D5E"}, 0x001A2B3C4D5E},
      {"МAC: 001A2B3C4D5E", {"001A2B3C4D5E"}, 0x001A2B3C4D5E},
      {"масса 001A2B3C4D5E маска 001A2B3C4D5F", {}},
      {"Link-layer address: 0x001a2b3c4d5e",
       {"0x001a2b3c4d5e"},
       0x001A2B3C4D5E},
      // A heading holds through rows that name a Mac computer or say
      // "МАК" in a note; only a heading row or a blank line ends it.
      {"Имя;MAC-адрес;Примечание\niMac;001A2B3C4D5E;\n"
       "pc-02;001A2B3C4D5F;МАК сменили\nMac mini;001A2B3C4D60;склад\n",
       {"001A2B3C4D5E", "001A2B3C4D5F", "001A2B3C4D60"},
       0x001A2B3C4D5E},
      {"Имя\tМАК-адрес\nMac mini 2018\t001A2B3C4D5E\npc\t001A2B3C4D5F\n"
       "Имя\tСерийный номер MAC\nx\t001A2B3C4D60\n\n"
       "Имя\tСерийный номер\ny\t001A2B3C4D61\n",
       {"001A2B3C4D5E", "001A2B3C4D5F", "001A2B3C4D60"},
       0x001A2B3C4D5E},
      // A sentence that mentions a MAC heads nothing below it.
      {"[09:12] Sergey: who has the printer with MAC 00-1D-AA-61-08-3C?\n"
       "[09:13] Olga: the one in room 214\n"
       "[09:16] Sergey: and the hash 001a2b3c4d5e of the file?\n",
       {"00-1D-AA-61-08-3C"},
       0x001DAA61083C},
      // A blank line ends the table the heading stood over.
      {"Name  MacAddress\n\nvm1   00155D010203\n", {}},
      {"Name  MacAddress\n----  ----------\n\nvm1   00155D010203\n", {}},
      {"Name  MacAddress\n----  ----------\n \t\r\nvm1   00155D010203\n", {}},
      {"Name  MacAddress    Id\nvm1   x             00155D010203\n", {}},
      // net-snmp Hex-STRING: six pairs, not seven.
      {"ifPhysAddress.2 = Hex-STRING: 00 1A 2B 3C 4D 5E \n",
       {"00 1A 2B 3C 4D 5E"},
       0x001A2B3C4D5E},
      {"x = Hex-STRING: 00 1A 2B 3C 4D 5E 6F\nSTRING: 00 1A 2B 3C 4D 5E", {}},
      // Cisco DHCP client identifiers: 01 and the MAC.
      {"10.0.0.5   0100.1a2b.3c4d.5e   Mar 01 2024",
       {"0100.1a2b.3c4d.5e"},
       0x001A2B3C4D5E},
      {"0063.6973.636f.2d30.3031 and 0100.1a2b.3c4d.5e.6f", {}},
      // Escaped colons, as nmcli -t and URLs write them.
      {"GENERAL.HWADDR:3C\\:52\\:82\\:1A\\:2B\\:3C",
       {"3C\\:52\\:82\\:1A\\:2B\\:3C"},
       0x3C52821A2B3C},
      {"?client_mac=F8%3AE4%3AE3%3AA1%3AB2%3AC3&ssid=Guest",
       {"F8%3AE4%3AE3%3AA1%3AB2%3AC3"},
       0xF8E4E3A1B2C3},
      {"id=f8%3ae4%3ae3%3aa1%3ab2%3ac3",
       {"f8%3ae4%3ae3%3aa1%3ab2%3ac3"},
       0xF8E4E3A1B2C3},
      {"a=F8%3AE4%3AE3%3AA1%3AB2%3AC3%3A00 b=3C\\:52\\:82\\:1A\\:2B\\:3C\\:4D",
       {}},
      {"F8%2FE4%2FE3%2FA1%2FB2%2FC3", {}},
      // Six spaced pairs under a MAC label, not under another or a seventh.
      {"MAC: 44 19 b6 3a 7c 01", {"44 19 b6 3a 7c 01"}, 0x4419B63A7C01},
      {"мак 44 19 b6 3a 7c 01 порт 5", {"44 19 b6 3a 7c 01"}, 0x4419B63A7C01},
      {"MAC: 44 19 b6 3a 7c 01 02", {}},
      {"Serial: 44 19 b6 3a 7c 01", {}},
      {"0000: 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff", {}},
      // DHCP client identifiers of type 1: six bytes after the 01.
      {"1717000000 90:61:ae:3d:5c:1f 10.0.0.5 pc1 01:90:61:ae:3d:5c:1f",
       {"90:61:ae:3d:5c:1f", "01:90:61:ae:3d:5c:1f"},
       0x9061AE3D5C1F},
      {"ClientId 01-90-61-ae-3d-5c-1f",
       {"01-90-61-ae-3d-5c-1f"},
       0x9061AE3D5C1F},
      {"02:90:61:ae:3d:5c:1f 01:90:61:ae:3d:5c:1f:00", {}},
      {"client-id: 019061ae3d5c1f", {"019061ae3d5c1f"}, 0x9061AE3D5C1F},
      {"MAC: 019061ae3d5c1f, Serial 019061ae3d5c1f", {}},
      // DHCPv6 DUIDs of type 1 (LLT) and 3 (LL) over Ethernet.
      {"DHCPv6 Client DUID. . : 00-01-00-01-2B-8C-1D-4E-90-61-AE-3D-5C-1F",
       {"00-01-00-01-2B-8C-1D-4E-90-61-AE-3D-5C-1F"},
       0x9061AE3D5C1F},
      {"duid 00:03:00:01:90:61:ae:3d:5c:1f;",
       {"00:03:00:01:90:61:ae:3d:5c:1f"},
       0x9061AE3D5C1F},
      {"ClientDuid 000100012B8C1D4E9061AE3D5C1F and 000300019061ae3d5c1f",
       {"000100012B8C1D4E9061AE3D5C1F", "000300019061ae3d5c1f"},
       0x9061AE3D5C1F},
      {"DUID клиента DHCPv6: 000300019061ae3d5c1f",
       {"000300019061ae3d5c1f"},
       0x9061AE3D5C1F},
      {"00:02:00:00:ab:11:aa:bb:cc:dd:ee:ff 00-03-00-06-90-61-AE-3D-5C-1F", {}},
      {"MAC 000300019061ae3d5c1f 00030001-9061ae3d5c1f", {}},
      // IPv6 addresses with the MAC in a modified EUI-64 identifier.
      {"fe80::21d:aaff:fe61:83c dev eth0 lladdr 00:1d:aa:61:08:3c",
       {"fe80::21d:aaff:fe61:83c", "00:1d:aa:61:08:3c"},
       0x001DAA61083C},
      {"2001:DB8:1:0:BA27:EBFF:FE0C:1E07/64",
       {"2001:DB8:1:0:BA27:EBFF:FE0C:1E07"},
       0xB827EB0C1E07},
      {"ping fe80::a00:27ff:fe4e:66a1%enp0s3.",
       {"fe80::a00:27ff:fe4e:66a1"},
       0x0800274E66A1},
      {"fe80::1 ::1 2001:db8::8a2e:370:7334 fe80::f1d3:2c4e:ab12:9a0b "
       "2001:db8::ff:fe00:1:2 fe80::21d:aaff:fe61:83c:1 "
       "fe80::21d:aaff:fd61:83c fe80::21d:aafe:fe61:83c "
       "x:fe80::21d:aaff:fe61:83c fe80::21d:aaff:fe61:83cg "
       "::ffff:aaff:fe61:1.2.3.4 fe80::21d::aaff:fe61:83c",
       {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> got;
    std::uint64_t first = 0;
    for (const MacFinding& finding : FindMacs(c.text)) {
      if (got.empty()) first = finding.address;
      got.emplace_back(finding.candidate_mac);
    }
    EXPECT_EQ(got, c.macs) << c.text;
    EXPECT_EQ(first, c.first_address) << c.text;
    // The same in two blocks, cut anywhere: what decides a bare word may
    // lie on either side of the cut.
    const std::string_view text = c.text;
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
      std::vector<std::string> blockwise;
      auto found = [&](const MacFinding& f) {
        blockwise.emplace_back(f.candidate_mac);
      };
      StreamScanner stream;
      stream.Feed(text.substr(0, cut), found);
      stream.Feed(text.substr(cut), found);
      stream.Finish(found);
      EXPECT_EQ(blockwise, got) << "cut at " << cut << " of " << text;
    }
  }
}

// A text that ends inside an identifier is read up to its last byte and
// no further: each is scanned from a buffer of exactly its size, where a
// read past the end is caught.
TEST(MacScannerTest, ReadsNoFurtherThanTheEndOfTheText) {
  for (const std::string text :
       {"fe80:1:2:3::", "fe80:1:2:3:", "fe80::21d:aaff:fe61:83c",
        "2001:db8:1:0:ba27:ebff:fe0c:1e07:", "3C\\:52\\:82\\:1A\\:2B\\:3C\\",
        "F8%3AE4%3AE3%3AA1%3AB2%3AC3%3",
        "01:90:61:ae:3d:5c:1f:", "00-01-00-01-2B-8C",
        "MAC: 44 19 b6 3a 7c 01 0", "DUID 000100012B8C1D4E9061AE3D5C1", "0x"}) {
    const auto buffer = std::make_unique<char[]>(text.size());
    std::copy(text.begin(), text.end(), buffer.get());
    const std::string_view exact(buffer.get(), text.size());
    std::vector<std::string> macs;
    for (const MacFinding& f : FindMacs(exact))
      macs.emplace_back(f.candidate_mac);
    EXPECT_EQ(macs, model::Macs(text)) << text;
  }
}

// Lines are numbered only when asked for (machine formats): plain text
// does not pay for a count it never shows.
TEST(MacScannerTest, NumbersLinesOnlyWhenAsked) {
  const std::string text = "a\nb\n00:1a:2b:3c:4d:5e\nc\r\n001a.2b3c.4d5e";
  std::vector<std::size_t> lines;
  for (const MacFinding& f : FindMacs(text)) lines.push_back(f.line);
  EXPECT_EQ(lines, (std::vector<std::size_t>{0, 0}));
  MacScanner numbered(text);
  numbered.CountLines(10);
  lines.clear();
  while (const std::optional<MacFinding> f = numbered.Next()) {
    lines.push_back(f->line);
  }
  EXPECT_EQ(lines, (std::vector<std::size_t>{12, 14}));
  // Also where held text is cut in a run without a break.
  std::string run;
  for (int i = 0; i < 19; ++i) run += "0:";
  const std::string long_text = "a\nb\n" + run + "00-1a-2b-3c-4d-5e." + run;
  StreamScanner stream(40, 20);
  stream.CountLines();
  lines.clear();
  auto found = [&](const MacFinding& f) { lines.push_back(f.line); };
  for (const char c : long_text) stream.Feed(std::string_view(&c, 1), found);
  stream.Finish(found);
  EXPECT_EQ(lines, (std::vector<std::size_t>{3}));
}

// A lone CR ends a line as CR LF and LF do (old Mac text, some switches'
// consoles): findings are numbered alike whole and fed in pieces of every
// size, a CR LF split between two pieces counting once.
TEST(MacScannerTest, NumbersLinesEndedAnyWay) {
  for (const char* eol : {"\r", "\r\n", "\n"}) {
    const std::string e = eol;
    const std::string text = "a" + e + "b" + e + "00:1a:2b:3c:4d:5e" + e + e +
                             "c" + e + "001a.2b3c.4d5e" + e;
    MacScanner whole(text);
    whole.CountLines(1);
    std::vector<std::size_t> expected;
    while (const std::optional<MacFinding> f = whole.Next()) {
      expected.push_back(f->line);
    }
    EXPECT_EQ(expected, (std::vector<std::size_t>{3, 6})) << int(eol[0]);
    for (const std::size_t piece : {1, 2, 3, 5, 64}) {
      StreamScanner stream(40, 20);  // held text cut often
      stream.CountLines();
      std::vector<std::size_t> lines;
      auto found = [&](const MacFinding& f) { lines.push_back(f.line); };
      for (std::size_t at = 0; at < text.size(); at += piece) {
        stream.Feed(std::string_view(text).substr(at, piece), found);
      }
      stream.Finish(found);
      EXPECT_EQ(lines, expected) << int(eol[0]) << " in pieces of " << piece;
    }
  }
  // Mixed, and the count itself.
  EXPECT_EQ(LineEnds("a\r\nb\rc\nd\r"), 4u);
  EXPECT_EQ(LineEnds("\nx\r\r\n", true), 2u);
  EXPECT_EQ(LineEnds("\r\n\r\n"), 2u);
}

TEST(MacScannerTest, CountsBytesInUtf8Text) {
  const std::string text = "Физический адрес. . . . : 00-1A-2B-3C-4D-5E\r\n";
  const std::size_t at = text.find("00-1A");
  ExpectFindings(text,
                 {{at, Notation::kDash, "00-1A-2B-3C-4D-5E", "00-1A-2B"}});
}

TEST(MacScannerTest, FindsRealCommandOutput) {
  const std::string ip_link =
      "2: eth0: <BROADCAST,MULTICAST,UP,LOWER_UP> mtu 1500\n"
      "    link/ether 52:54:00:12:34:56 brd ff:ff:ff:ff:ff:ff\n";
  const std::vector<MacFinding> links = FindMacs(ip_link);
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(mac::OuiKey(links[0].address), "52-54-00");
  EXPECT_EQ(links[1].candidate_mac, "ff:ff:ff:ff:ff:ff");

  const std::string cisco =
      "          Mac Address Table\n"
      "-------------------------------------------\n"
      "Vlan    Mac Address       Type        Ports\n"
      "----    -----------       --------    -----\n"
      " 100    0050.56a3.1b2c    DYNAMIC     Gi1/0/1\n"
      " 100    000c.29ff.fe01    STATIC      Gi1/0/2\n";
  const std::vector<MacFinding> table = FindMacs(cisco);
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(mac::OuiKey(table[0].address), "00-50-56");
  EXPECT_EQ(mac::OuiKey(table[1].address), "00-0C-29");
}

// Each notation's key comes from the scanner's own reading: a MAC of
// another notation, or no whole MAC, has none.
TEST(MacScannerTest, KeysOfEachNotationReadOnlyTheFirstThreeBytes) {
  const struct {
    std::string (*key)(std::string_view);
    const char* mac;
    const char* expected;
  } cases[] = {
      {SearchWindows, "0a-1b-2c-3d-4e-5f", "0A-1B-2C"},
      {SearchWindows, "0A-1B-2C-FF-FF-FF", "0A-1B-2C"},
      {SearchWindows, "0a:1b:2c:3d:4e:5f", ""},
      {SearchWindows, "0a-1b-2c-3d-4e", ""},
      {SearchWindows, "0a-1b-2c-3d-4e-5f and more", ""},
      {SearchUnix, "0a:1b:2c:3d:4e:5f", "0A-1B-2C"},
      {SearchUnix, "0a1b.2c3d.4e5f", ""},
      {SearchCisco, "0a1b.2c3d.4e5f", "0A-1B-2C"},
      {SearchCisco, "0a-1b-2c-3d-4e-5f", ""},
      {SearchCisco, "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.key(c.mac), c.expected) << c.mac;
  }
}

// Random filler around MACs planted at known places: every planted MAC must
// come back with its key, and nothing else may.
TEST(MacScannerTest, FindsExactlyThePlantedMacs) {
  std::mt19937 rng(20261207);
  // Filler never holds hex digits, so it cannot extend a planted MAC.
  const std::string filler = "ghijklmnopqrstuvwxyz GHIJKLMNOPQRSTUVWXYZ-:.\n\t";
  const std::string hex = "0123456789abcdefABCDEF";
  auto pick = [&](const std::string& from) {
    return from[std::uniform_int_distribution<std::size_t>(
        0, from.size() - 1)(rng)];
  };
  for (int round = 0; round < 200; ++round) {
    std::string text;
    std::vector<Expected> planted;
    const int macs = std::uniform_int_distribution<int>(0, 12)(rng);
    for (int m = 0; m < macs; ++m) {
      const int gap = std::uniform_int_distribution<int>(1, 30)(rng);
      for (int g = 0; g < gap; ++g) text += pick(filler);
      text += ' ';  // keeps a filler separator from touching the MAC
      std::string digits;
      for (int d = 0; d < 12; ++d) digits += pick(hex);
      const auto notation =
          static_cast<Notation>(std::uniform_int_distribution<int>(0, 3)(rng));
      std::string mac;
      if (notation == Notation::kDot || notation == Notation::kDashQuad) {
        const char separator = notation == Notation::kDot ? '.' : '-';
        mac = digits.substr(0, 4) + separator + digits.substr(4, 4) +
              separator + digits.substr(8, 4);
      } else {
        const char separator = notation == Notation::kDash ? '-' : ':';
        for (int g = 0; g < 6; ++g) {
          if (g > 0) mac += separator;
          mac += digits.substr(g * 2, 2);
        }
      }
      std::string key = digits.substr(0, 2) + "-" + digits.substr(2, 2) + "-" +
                        digits.substr(4, 2);
      for (char& c : key) c = static_cast<char>(std::toupper(c));
      planted.push_back({text.size(), notation, mac, key});
      text += mac;
      text += ' ';
    }
    for (int g = 0; g < 5; ++g) text += pick(filler);
    ExpectFindings(text, planted);
  }
}

// Where the held text reaches its limit, a MAC starting just before the cut
// is found once, and one just after it still sees what precedes it.
TEST(MacScannerTest, CutsHeldTextWithoutLosingContext) {
  std::string prefix;
  for (int i = 0; i < 19; ++i) prefix += "0:";  // 38 bytes, no break
  const std::string blanks(50, ' ');
  // Held 40 or 100 bytes with 20 or 48 after the cut: the cut falls at
  // byte 40, among the blanks between a tag and its pairs, or inside the
  // word before a MAC's separator, which decides whether the MAC is whole
  // (an x makes it no hex word).
  const struct {
    std::string text;
    std::size_t longest, context;
  } cases[] = {
      {prefix + "00-1a-2b-3c-4d-5e:0:0:", 40, 20},
      {prefix + "0-00-1a-2b-3c-4d-5e:0:", 40, 20},
      {"g Hex-STRING:" + blanks + "00 1A 2B 3C 4D 5E." + prefix, 40, 20},
      {prefix + "0x000000000000000000000000-00-1a-2b-3c-4d-5e." + prefix, 100,
       48},
      // The cut just after a separator.
      {prefix + "0:" + "00-1a-2b-3c-4d-5e. 00:1a:2b:3c:4d:5f", 40, 20},
      {prefix + "-00-1a-2b-3c-4d-5e. 00-1a-2b-3c-4d-5f", 40, 20},
  };
  for (const auto& c : cases) {
    const std::string& text = c.text;
    std::vector<std::string> whole;
    for (const MacFinding& f : FindMacs(text))
      whole.emplace_back(f.candidate_mac);
    for (std::size_t piece = 1; piece <= 13; ++piece) {
      std::vector<std::string> blockwise;
      StreamScanner stream(c.longest, c.context);
      auto found = [&](const MacFinding& f) {
        blockwise.emplace_back(f.candidate_mac);
      };
      for (std::size_t at = 0; at < text.size(); at += piece) {
        stream.Feed(std::string_view(text).substr(at, piece), found);
      }
      stream.Finish(found);
      EXPECT_EQ(blockwise, whole) << piece << " at a time: " << text;
    }
  }
  EXPECT_EQ(FindMacs(cases[2].text).size(), 1u);
  EXPECT_EQ(FindMacs(cases[3].text).size(), 1u);
}

// Megabytes without a letter or a space: memory stays bounded, and the MACs
// at either end are still found, the ones continued by hex digits not.
TEST(MacScannerTest, StreamsEndlessHexRunsInBoundedMemory) {
  // Also after a letter, which is decided already and must not hold the
  // rest back.
  for (const std::string prefix : {"", "g "}) {
    std::string text = prefix + "00-1a-2b-3c-4d-5e ";
    for (int i = 0; i < 400000; ++i) text += "0:1";
    text += "-00-1a-2b-3c-4d-5e- 001a.2b3c.4d5e";
    std::vector<std::string> blockwise;
    StreamScanner stream;
    std::size_t most = 0;
    for (std::size_t at = 0; at < text.size(); at += 4096) {
      stream.Feed(std::string_view(text).substr(at, 4096),
                  [&](const MacFinding& f) {
                    blockwise.emplace_back(f.candidate_mac);
                  });
      most = std::max(most, stream.pending());
    }
    stream.Finish(
        [&](const MacFinding& f) { blockwise.emplace_back(f.candidate_mac); });
    EXPECT_LE(most, StreamScanner::kLongestRun + 4096) << prefix;
    std::vector<std::string> whole;
    for (const MacFinding& f : FindMacs(text))
      whole.emplace_back(f.candidate_mac);
    EXPECT_EQ(blockwise, whole);
    EXPECT_EQ(whole, (std::vector<std::string>{"00-1a-2b-3c-4d-5e",
                                               "001a.2b3c.4d5e"}));
  }
}

}  // namespace
}  // namespace venmark

namespace venmark {
namespace {

// Random texts of MACs, hex words, separators and letters, scanned whole,
// by the model, and a block at a time with random block sizes: all agree.
TEST(MacScannerTest, AgreesWithTheModelWholeAndBlockWise) {
  std::mt19937 rng(7);
  auto below = [&](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  const std::vector<std::string> pieces = {"00-1a-2b-3c-4d-5e",
                                           "00:1A:2B:3C:4D:5E",
                                           "001a.2b3c.4d5e",
                                           "00e0-fc12-3456",
                                           "0:1d:a:8f:23:ed",
                                           "001e49-7a33c1",
                                           "0100.1a2b.3c4d.5e",
                                           "Hex-STRING: ",
                                           "00 1A 2B 3C 4D 5E",
                                           "001A2B3C4D5E",
                                           "0x",
                                           "MAC ",
                                           "Station",
                                           "Address",
                                           ",",
                                           "  ",
                                           "\n",
                                           "\n\n",
                                           "0a",
                                           "beef",
                                           "-",
                                           ":",
                                           ".",
                                           "g",
                                           " ",
                                           "Ж",
                                           "3C\\:52\\:82\\:1A\\:2B\\:3C",
                                           "F8%3ae4%3AE3%3AA1%3AB2%3AC3",
                                           "\\:",
                                           "%3A",
                                           "01:90:61:ae:3d:5c:1f",
                                           "00-03-00-01",
                                           "00:01:00:01:2b:8c:1d:4e",
                                           "000300019061ae3d5c1f",
                                           "019061ae3d5c1f",
                                           "DUID ",
                                           "client-id ",
                                           "fe80::21d:aaff:fe61:83c",
                                           "aaff:fe61:83c",
                                           "::",
                                           "\t",
                                           ";",
                                           "\r",
                                           "\r\n",
                                           "MAC\t",
                                           "Name  MAC",
                                           "  MacAddress  ",
                                           "\"a,b\"",
                                           "HMAC"};
  for (int round = 0; round < 6000; ++round) {
    std::string text;
    for (std::size_t n = below(24); n > 0; --n)
      text += pieces[below(pieces.size())];
    const std::vector<std::string> whole = WholeMacs(text);
    ASSERT_EQ(whole, model::Macs(text)) << text;
    // Also with the limit on held text reached all the time: the runs of
    // letters and digits here are far shorter than the context kept.
    for (const std::size_t longest :
         {StreamScanner::kLongestRun, std::size_t{96}}) {
      ASSERT_EQ(BlockWiseMacs(text, rng, 20, longest, 64), whole) << text;
    }
  }
}

}  // namespace
}  // namespace venmark

namespace venmark {
namespace {

// Random tables, as sheets, exports and switches print them: headings on
// one line or two over columns aligned by blanks or split by tabs, commas
// or semicolons, bare words of every kind below, blank lines between
// tables, any line end. The scanner, a block at a time too, agrees with
// the label rule read plainly.
TEST(MacScannerTest, AgreesWithThePlainLabelRuleOverTables) {
  std::mt19937 rng(23);
  auto below = [&](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  const std::vector<std::string> headings = {
      "Name",     "MAC",    "Mac",        "Address", "Station",
      "Physical", "Serial", "DUID",       "Client",  "client-id",
      "Id",       "HMAC",   "MacAddress", "Ж",       "Serial:"};
  const std::vector<std::string> cells = {"001A2B3C4D5E",
                                          "0x001A2B3C4D5E",
                                          "019061ae3d5c1f",
                                          "000300019061ae3d5c1f",
                                          "44 19 b6 3a 7c 01",
                                          "pc1",
                                          "10.0.0.1",
                                          "",
                                          "\"a,b\"",
                                          "000100012B8C1D4E9061AE3D5C1F",
                                          "id:",
                                          "x =",
                                          "MAC:"};
  const std::vector<std::string> separators = {",",  ";",   "\t",
                                               "  ", "   ", " "};
  const std::vector<std::string> ends = {"\n", "\r\n", "\r"};
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const std::string& end = ends[below(ends.size())];
    for (std::size_t table = 1 + below(3); table > 0; --table) {
      const std::string& separator = separators[below(separators.size())];
      const std::size_t columns = 1 + below(4);
      for (std::size_t heading_lines = 1 + below(2); heading_lines > 0;
           --heading_lines) {
        for (std::size_t c = 0; c < columns; ++c) {
          if (c > 0) text += separator;
          text += headings[below(headings.size())];
        }
        text += end;
      }
      for (std::size_t rows = below(4); rows > 0; --rows) {
        for (std::size_t c = 0; c < columns; ++c) {
          if (c > 0) text += separator;
          text += cells[below(cells.size())];
        }
        text += end;
      }
      if (below(2) == 0) text += end;  // a blank line ends the table
    }
    const std::vector<std::string> whole = WholeMacs(text);
    ASSERT_EQ(whole, model::Macs(text)) << text;
    ASSERT_EQ(BlockWiseMacs(text, rng, 30), whole) << text;
  }
}

}  // namespace
}  // namespace venmark

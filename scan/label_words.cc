#include "scan/label_words.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "scan/byte_passes.h"
#include "scan/mac_shapes.h"

namespace venmark {
namespace {

using enum LabelKind;
constexpr auto kLatin = LabelWord::kLatinWord;
constexpr auto kCyrillic = LabelWord::kCyrillicWord;
constexpr auto kAnywhere = LabelWord::kAnywhere;

// The labels of MACs and of the identifiers that hold them in the outputs
// of real systems; Latin ones in lower case.
constexpr LabelWord kLabelWords[] = {
    {"mac", kMac, kLatin},
    {"мак", kMac, kCyrillic},
    {"Мак", kMac, kCyrillic},
    {"МАК", kMac, kCyrillic},
    {"physical address", kMac, kAnywhere},
    {"permanent address", kMac, kAnywhere},
    {"permanentaddress", kMac, kAnywhere},
    {"hardware address", kMac, kAnywhere},
    {"hwaddr", kMac, kAnywhere},
    {"networkaddress", kMac, kAnywhere},
    {"network address", kMac, kAnywhere},
    {"station address", kMac, kAnywhere},
    {"user-name", kMac, kAnywhere},
    {"chaddr", kMac, kAnywhere},
    {"calling-station-id", kMac, kAnywhere},
    // The access point's MAC (with ":SSID" after it or not), and in a MAB
    // request the client's MAC as user name and password too.
    {"called-station-id", kMac, kAnywhere},
    {"user-password", kMac, kAnywhere},
    {"unique id", kMac, kAnywhere},  // the Windows DHCP console's export
    {"bssid", kMac, kLatin},
    {"link-layer address", kMac, kAnywhere},
    {"lladdr", kMac, kAnywhere},
    {"hardware ethernet", kMac, kAnywhere},
    {"ethernet address", kMac, kAnywhere},
    {"burned-in address", kMac, kAnywhere},
    {"физический адрес", kMac, kAnywhere},
    {"Физический адрес", kMac, kAnywhere},
    {"ФИЗИЧЕСКИЙ АДРЕС", kMac, kAnywhere},
    {"физ. адрес", kMac, kAnywhere},
    {"Физ. адрес", kMac, kAnywhere},
    {"ФИЗ. АДРЕС", kMac, kAnywhere},
    // "MAC" typed in Cyrillic letters, or in a mix of both alphabets, a
    // frequent slip in Russian documents.
    {"МАС", kMac, kCyrillic},
    {"Мас", kMac, kCyrillic},
    {"мас", kMac, kCyrillic},
    {"MАС", kMac, kCyrillic},
    {"МAС", kMac, kCyrillic},
    {"МАC", kMac, kCyrillic},
    {"MAС", kMac, kCyrillic},
    {"MАC", kMac, kCyrillic},
    {"МAC", kMac, kCyrillic},
    {"duid", kDuid, kAnywhere},
    // DHCPv6's client and server identifiers are DUIDs (NetworkManager,
    // dhclient's leases).
    {"dhcp6_client_id", kDuid, kAnywhere},
    {"dhcp6.client-id", kDuid, kAnywhere},
    {"server_id", kDuid, kAnywhere},
    {"dhcp6.server-id", kDuid, kAnywhere},
    {"client-id", kClientId, kAnywhere},
    {"client id", kClientId, kAnywhere},
    {"clientid", kClientId, kAnywhere},
    {"client_id", kClientId, kAnywhere},
    {"идентификатор клиента", kClientId, kAnywhere},
    {"Идентификатор клиента", kClientId, kAnywhere},
};

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }

// word as a word of its own, or starting "MACAddress", "mac_addr",
// "macaddress1", also as a word of a name written in camel case
// ("WiFiMacAddress", "clientMacAddr"): not "Machine", "Macintosh",
// "MacBook", "HMAC" or "tomac". lower is line in lower case.
bool HasLatinWord(std::string_view lower, std::string_view line,
                  std::string_view word) {
  for (std::size_t at = lower.find(word); at != std::string_view::npos;
       at = lower.find(word, at + 1)) {
    // A word starts here, or a capital after a small letter starts one.
    const bool starts = at == 0 || !IsLetter(lower[at - 1]) ||
                        (IsUpper(line[at]) && !IsUpper(line[at - 1]));
    if (!starts) continue;
    const std::string_view rest = lower.substr(at + word.size());
    if (rest.empty() || !IsLetter(rest[0]) || rest.starts_with("addr")) {
      return true;
    }
  }
  return false;
}

// Whether the two bytes at i of text are a Cyrillic letter in UTF-8.
bool IsCyrillicAt(std::string_view text, std::size_t i) {
  return i + 1 < text.size() &&
         (static_cast<unsigned char>(text[i]) == 0xD0 ||
          static_cast<unsigned char>(text[i]) == 0xD1) &&
         (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80;
}

// word as a Cyrillic word of its own ("МАК-адрес", "мак: …"): not
// "макет" or "смак".
bool HasCyrillicWord(std::string_view line, std::string_view word) {
  for (std::size_t at = line.find(word); at != std::string_view::npos;
       at = line.find(word, at + 1)) {
    const bool after_letter = at >= 2 && IsCyrillicAt(line, at - 2);
    if (!after_letter && !IsCyrillicAt(line, at + word.size())) return true;
  }
  return false;
}

// Whether label stands in line (lower: line in lower case).
bool Holds(std::string_view lower, std::string_view line,
           const LabelWord& label) {
  switch (label.boundary) {
    case LabelWord::kLatinWord:
      return HasLatinWord(lower, line, label.word);
    case LabelWord::kCyrillicWord:
      return HasCyrillicWord(line, label.word);
    case LabelWord::kAnywhere:
      break;
  }
  return lower.find(label.word) != std::string_view::npos ||
         line.find(label.word) != std::string_view::npos;
}

}  // namespace

std::span<const LabelWord> LabelWords() { return kLabelWords; }

bool HasLabel(std::string_view line, LabelKind kind, bool any_kind) {
  // A line holds no line break, so only a label makes a mark in it.
  if (NextLabelMark(line, 0, line.size()) >= line.size()) return false;
  std::string lower(line);
  std::transform(lower.begin(), lower.end(), lower.begin(), shapes::Lower);
  return std::any_of(std::begin(kLabelWords), std::end(kLabelWords),
                     [&](const LabelWord& label) {
                       return (any_kind || label.kind == kind) &&
                              Holds(lower, line, label);
                     });
}

}  // namespace venmark

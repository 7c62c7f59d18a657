// The catalog's wording of what went wrong: system errors, listings that
// cannot be read.
#include <cerrno>

#include "app/texts.h"
#include "listings/file_read.h"
#include "update/listing_update.h"

namespace venmark::text {
namespace {

// One wording per error; where writing needs other words than reading,
// the second column has them.
struct Wording {
  int error;
  const char* reading;
  const char* writing;  // null: as reading
};

constexpr Wording kWordings[] = {
    {ENOENT, "файл не найден", "папка не найдена"},
    {EACCES, "нет прав на чтение", "нет прав на запись в папку"},
    {EPERM, "нет прав на чтение", "нет прав на запись в папку"},
    {EISDIR, "это папка, а не файл", nullptr},
    {ENOTDIR, "неверный путь к файлу", nullptr},
    {ENOSPC, "на диске нет места", nullptr},
    {EFBIG, "файл слишком велик", nullptr},
    {EIO, "ошибка ввода-вывода", nullptr},
    {ENOMEM, "не хватает памяти", nullptr},
    {EROFS, "диск доступен только для чтения", nullptr},
    {ENAMETOOLONG, "слишком длинное имя файла", nullptr},
    {ELOOP, "в пути слишком много символических ссылок", nullptr},
    {EMLINK, "у папки слишком много ссылок", nullptr},
    {EBUSY, "файл занят другой программой", nullptr},
    {ETXTBSY, "файл занят другой программой", nullptr},
    {EEXIST, "файл уже существует", nullptr},
    {EINVAL, "недопустимое имя или операция", nullptr},
    {EMFILE, "открыто слишком много файлов", nullptr},
    {ENFILE, "открыто слишком много файлов", nullptr},
    {EPIPE, "получатель вывода закрыт", nullptr},
    {EXDEV, "файлы на разных дисках", nullptr},
    {EAGAIN, "ресурс временно недоступен", nullptr},
    {EINTR, "операция прервана", nullptr},
    {EBADF, "поток закрыт", nullptr},
    {ENXIO, "устройство недоступно", nullptr},
    {ENODEV, "устройство недоступно", nullptr},
#ifdef EDQUOT
    {EDQUOT, "превышена дисковая квота", nullptr},
#endif
};

std::string Describe(int error, bool writing) {
  for (const Wording& wording : kWordings) {
    if (wording.error == error) {
      return writing && wording.writing != nullptr ? wording.writing
                                                   : wording.reading;
    }
  }
  // Never the C library's English: the number lets a user look it up.
  return "системная ошибка " + std::to_string(error);
}

}  // namespace

std::string SystemError(int error) { return Describe(error, false); }

std::string WriteError(int error) { return Describe(error, true); }

std::string ListingTitle(ListingKind kind) {
  if (kind == ListingKind::kMaL) return "базу производителей";
  return "список " + std::string(KindName(kind));
}

std::string ReadFailureText(const ReadFailure& why) {
  switch (why.kind) {
    case ReadFailure::Kind::kSystem:
      return SystemError(why.error_number);
    case ReadFailure::Kind::kTooLarge:
      return "файл больше " + std::to_string(kMaxListingBytes >> 20) +
             " МБ — это не список OUI";
    case ReadFailure::Kind::kNoRecord:
      return "в файле нет ни одной записи OUI";
    case ReadFailure::Kind::kNotAFile:
      return "это не обычный файл (канал или устройство)";
    case ReadFailure::Kind::kChanging:
      return "файл всё время меняется: его записывает другая программа; "
             "повторите, когда она закончит";
  }
  return {};
}

std::string CannotRead(const ListingProblem& problem) {
  return "Не удалось прочитать " + ListingTitle(problem.kind) + " «" +
         problem.path + "»: " + ReadFailureText(problem.why);
}

std::string NoListing(const std::vector<std::string>& places) {
  std::string text = "Не найден список производителей. Он ищется в:";
  for (const std::string& place : places) text += "\n  " + place;
  return text;
}

const ResultWords& ResultLineWords() {
  static constexpr ResultWords kWords{
      .vendor_not_found = " - производитель не определен",
      .null = "нулевой адрес",
      .broadcast = "широковещательный адрес",
      .ipv4_multicast = "групповой адрес IPv4",
      .ipv6_multicast = "групповой адрес IPv6",
      .multicast = "групповой адрес",
      .local = "локально администрируемый адрес",
      .derived_mac = "MAC",
      .from_ipv6 = "из IPv6-адреса",
      .from_duid = "из DUID",
      .from_client_id = "из идентификатора клиента DHCP",
      .user_range = "ваше название диапазона",
      .local_cid = "локальный адрес с CID компании"};
  return kWords;
}

}  // namespace venmark::text

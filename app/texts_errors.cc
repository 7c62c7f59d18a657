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

std::string NetworkFailureText(NetworkFailure failure,
                               std::string_view detail) {
  std::string text;
  switch (failure) {
    case NetworkFailure::kHostNotFound:
      text = "сервер не найден — проверьте подключение к сети";
      break;
    case NetworkFailure::kProxyNotFound:
      text = "прокси-сервер не найден";
      break;
    case NetworkFailure::kCannotConnect:
      text = "не удалось подключиться к серверу";
      break;
    case NetworkFailure::kTimedOut:
      text = "сервер не отвечает или загрузка остановилась";
      break;
    case NetworkFailure::kCutOff:
      text = "соединение оборвалось, список получен не полностью";
      break;
    case NetworkFailure::kTooManyRedirects:
      text = "сервер перенаправляет запрос слишком много раз";
      break;
    case NetworkFailure::kBadRedirect:
      text =
          "сервер перенаправил запрос на неподдерживаемый или незащищённый "
          "адрес";
      break;
    case NetworkFailure::kNoTrustStore:
      text =
          "не удалось прочитать сертификаты системы — проверьте пакет "
          "ca-certificates";
      break;
    case NetworkFailure::kNoLibrary:
      text = "не удалось загрузить библиотеку загрузки";
      break;
    case NetworkFailure::kCannotStart:
      text = "не удалось запустить загрузку";
      break;
    case NetworkFailure::kUntrusted:
      text =
          "сертификат сервера не заслуживает доверия — соединение "
          "может быть подменено";
      break;
    case NetworkFailure::kTls:
      text = "не удалось установить защищённое соединение с сервером";
      break;
    case NetworkFailure::kBadAddress:
      text = "неверный адрес сервера";
      break;
    case NetworkFailure::kNoFile:
      text = "нет файла";
      break;
    case NetworkFailure::kFileUnreadable:
      text = "файл не читается";
      break;
    case NetworkFailure::kFileNotRegular:
      text = "это не обычный файл";
      break;
    case NetworkFailure::kOther:
      text = "ошибка загрузки";
      break;
  }
  if (!detail.empty()) text.append(" (").append(detail).append(")");
  return text;
}

std::string UpdateProblemText(const UpdateProblem& problem) {
  const std::string count = std::to_string(problem.count);
  const std::string quoted = "«" + problem.path + "»";
  switch (problem.kind) {
    case UpdateFailure::kNone:
      return {};
    case UpdateFailure::kBadSource:
      return "неподдерживаемый адрес сервера " + quoted +
             ": нужен адрес https:// (или http:// для своего зеркала)";
    case UpdateFailure::kSystemFolder:
      return "папка " + quoted +
             " принадлежит системе, и обновление в неё не пишет; обновите "
             "списки без --db (они лягут в папку данных пользователя) или "
             "укажите файл в своей папке";
    case UpdateFailure::kBusy:
      return "обновление уже идёт";
    case UpdateFailure::kStaleLock:
      return "в папке остался замок прерванного обновления пользователя " +
             problem.detail +
             " — удалить его может только владелец или "
             "администратор: " +
             quoted;
    case UpdateFailure::kCannotLock:
      return "не удалось открыть папку " + quoted + ": " +
             WriteError(problem.error_number);
    case UpdateFailure::kCannotCreate:
      return "не удалось создать файл в папке " + quoted + ": " +
             WriteError(problem.error_number);
    case UpdateFailure::kCannotWrite:
      return "не удалось записать " + quoted + ": " +
             WriteError(problem.error_number);
    case UpdateFailure::kTooLarge:
      return "список больше " + std::to_string(problem.count >> 20) +
             " МБ — это не список OUI";
    case UpdateFailure::kHttpStatus:
      return "сервер ответил HTTP " + count;
    case UpdateFailure::kNetwork:
      return NetworkFailureText(problem.network, problem.detail);
    case UpdateFailure::kNoFile:
      return "в папке нет файла " + quoted;
    case UpdateFailure::kFileUnreadable:
      return "файл " + quoted +
             " не читается: " + SystemError(problem.error_number);
    case UpdateFailure::kFileNotRegular:
      return "файл " + quoted + " не читается: " +
             ReadFailureText({ReadFailure::Kind::kNotAFile, 0});
    case UpdateFailure::kTimeLimit:
      return "обновление не уложилось в " +
             (problem.count % 60 == 0
                  ? std::to_string(problem.count / 60) + " мин"
                  : count + " с") +
             " и прервано";
    case UpdateFailure::kFetchedUnreadable:
      return "полученный список не читается: " + ReadFailureText(problem.read);
    case UpdateFailure::kWrongKind:
      return "полученный файл — список " +
             std::string(
                 kListingKinds[static_cast<std::size_t>(problem.count)].name) +
             ", а не " +
             std::string(
                 kListingKinds[static_cast<std::size_t>(problem.other)].name);
    case UpdateFailure::kNotAListing:
      return "сервер прислал не список OUI (в полученном файле нет ни одной "
             "записи)";
    case UpdateFailure::kCutOff:
      return NetworkFailureText(NetworkFailure::kCutOff, {});
    case UpdateFailure::kTooFew:
      return "список неполон — записей в нём " + count +
             ", а в нынешнем файле " + std::to_string(problem.other);
    case UpdateFailure::kTooMany:
      return "список подозрительно велик — записей в нём " + count +
             ", а в нынешнем файле " + std::to_string(problem.other);
    case UpdateFailure::kCurrentUnreadable:
      return quoted + " не читается: " + ReadFailureText(problem.read);
    case UpdateFailure::kCurrentNotAListing:
      return quoted +
             " не похож на список производителей (в нём нет ни одной "
             "записи), и обновление его не заменит";
    case UpdateFailure::kNoDataFolder:
      return "некуда сохранить списки: нет ни base.dat в текущей папке, ни "
             "домашней папки — задайте XDG_DATA_HOME или HOME (или укажите "
             "файл через --db)";
    case UpdateFailure::kGroupNotKept:
      return quoted +
             " теперь принадлежит вашей группе, а не прежней: вы не состоите "
             "в ней, и другие её участники могут потерять доступ к файлу";
    case UpdateFailure::kCannotReplace:
      return "не удалось заменить " + quoted + ": " +
             WriteError(problem.error_number);
  }
  return {};
}

std::string UpdateFailed(const UpdateProblem& problem) {
  return "Не удалось обновить базу: " + UpdateProblemText(problem);
}

std::string KeptText(const KeptListing& kept) {
  return ListingTitle(kept.kind) + " «" + kept.path + "»: " +
         (kept.why.kind == UpdateFailure::kCannotReplace
              ? "не удалось заменить файл: " + WriteError(kept.why.error_number)
              : UpdateProblemText(kept.why));
}

std::string UpdateCompletion(const UpdateResult& result) {
  switch (result.status) {
    case UpdateStatus::kUpdated: {
      std::string message(kUpdateFinished);
      // Those kept, then those that were not there and still are not.
      for (const bool existed : {true, false}) {
        const char* heading =
            existed ? "\nПрежними оставлены: " : "\nНе получены: ";
        for (const KeptListing& kept : result.kept) {
          if (kept.existed != existed) continue;
          message += heading;
          message += KeptText(kept);
          heading = "; ";
        }
      }
      for (const UpdateProblem& note : result.notes) {
        message += '\n';
        message += UpdateProblemText(note);
      }
      return message;
    }
    case UpdateStatus::kFailed:
      return UpdateFailed(result.problem);
    case UpdateStatus::kCancelled:
      break;
  }
  return {};
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

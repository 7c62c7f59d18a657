// The catalog's wording of an update: why it failed, what it kept, how it
// ended.
#include <string>
#include <string_view>

#include "app/texts.h"
#include "listings/file_read.h"
#include "update/listing_update.h"

namespace venmark::text {
namespace {

// One wording per network failure.
constexpr std::pair<NetworkFailure, const char*> kNetworkWordings[] = {
    {NetworkFailure::kHostNotFound,
     "сервер не найден — проверьте подключение к сети"},
    {NetworkFailure::kProxyNotFound, "прокси-сервер не найден"},
    {NetworkFailure::kCannotConnect, "не удалось подключиться к серверу"},
    {NetworkFailure::kTimedOut, "сервер не отвечает или загрузка остановилась"},
    {NetworkFailure::kCutOff,
     "соединение оборвалось, список получен не полностью"},
    {NetworkFailure::kTooManyRedirects,
     "сервер перенаправляет запрос слишком много раз"},
    {NetworkFailure::kBadRedirect,
     "сервер перенаправил запрос на неподдерживаемый или незащищённый адрес"},
    {NetworkFailure::kNoTrustStore,
     "не удалось прочитать сертификаты системы — проверьте пакет "
     "ca-certificates"},
    {NetworkFailure::kNoLibrary, "не удалось загрузить библиотеку загрузки"},
    {NetworkFailure::kCannotStart, "не удалось запустить загрузку"},
    {NetworkFailure::kUntrusted,
     "сертификат сервера не заслуживает доверия — соединение может быть "
     "подменено"},
    {NetworkFailure::kTls,
     "не удалось установить защищённое соединение с сервером"},
    {NetworkFailure::kBadAddress, "неверный адрес сервера"},
    {NetworkFailure::kNoFile, "нет файла"},
    {NetworkFailure::kFileUnreadable, "файл не читается"},
    {NetworkFailure::kFileNotRegular, "это не обычный файл"},
    {NetworkFailure::kOther, "ошибка загрузки"},
};

std::string Quoted(const UpdateProblem& problem) {
  return "«" + problem.path + "»";
}

std::string KindNameAt(std::int64_t index) {
  return std::string(kListingKinds[static_cast<std::size_t>(index)].name);
}

std::string Minutes(std::int64_t seconds) {
  return seconds % 60 == 0 ? std::to_string(seconds / 60) + " мин"
                           : std::to_string(seconds) + " с";
}

// One wording per update failure, each made from the problem's fields.
using Words = std::string (*)(const UpdateProblem&);
constexpr std::pair<UpdateFailure, Words> kUpdateWordings[] = {
    {UpdateFailure::kNone, [](const UpdateProblem&) { return std::string(); }},
    {UpdateFailure::kBadSource,
     [](const UpdateProblem& p) {
       return "неподдерживаемый адрес сервера " + Quoted(p) +
              ": нужен адрес https:// (или http:// для своего зеркала)";
     }},
    {UpdateFailure::kSystemFolder,
     [](const UpdateProblem& p) {
       return "папка " + Quoted(p) +
              " принадлежит системе, и обновление в неё не пишет; обновите "
              "списки без --db (они лягут в папку данных пользователя) или "
              "укажите файл в своей папке";
     }},
    {UpdateFailure::kBusy,
     [](const UpdateProblem&) { return std::string("обновление уже идёт"); }},
    {UpdateFailure::kStaleLock,
     [](const UpdateProblem& p) {
       return "в папке остался замок прерванного обновления пользователя " +
              p.detail +
              " — удалить его может только владелец или администратор: " +
              Quoted(p);
     }},
    {UpdateFailure::kCannotLock,
     [](const UpdateProblem& p) {
       return "не удалось открыть папку " + Quoted(p) + ": " +
              WriteError(p.error_number);
     }},
    {UpdateFailure::kCannotCreate,
     [](const UpdateProblem& p) {
       return "не удалось создать файл в папке " + Quoted(p) + ": " +
              WriteError(p.error_number);
     }},
    {UpdateFailure::kCannotWrite,
     [](const UpdateProblem& p) {
       return "не удалось записать " + Quoted(p) + ": " +
              WriteError(p.error_number);
     }},
    {UpdateFailure::kTooLarge,
     [](const UpdateProblem& p) {
       return "список больше " + std::to_string(p.count >> 20) +
              " МБ — это не список OUI";
     }},
    {UpdateFailure::kHttpStatus,
     [](const UpdateProblem& p) {
       return "сервер ответил HTTP " + std::to_string(p.count);
     }},
    {UpdateFailure::kNetwork,
     [](const UpdateProblem& p) {
       return NetworkFailureText(p.network, p.detail);
     }},
    {UpdateFailure::kNoFile,
     [](const UpdateProblem& p) { return "в папке нет файла " + Quoted(p); }},
    {UpdateFailure::kFileUnreadable,
     [](const UpdateProblem& p) {
       return "файл " + Quoted(p) +
              " не читается: " + SystemError(p.error_number);
     }},
    {UpdateFailure::kFileNotRegular,
     [](const UpdateProblem& p) {
       return "файл " + Quoted(p) + " не читается: " +
              ReadFailureText({ReadFailure::Kind::kNotAFile, 0});
     }},
    {UpdateFailure::kTimeLimit,
     [](const UpdateProblem& p) {
       return "обновление не уложилось в " + Minutes(p.count) + " и прервано";
     }},
    {UpdateFailure::kFetchedUnreadable,
     [](const UpdateProblem& p) {
       return "полученный список не читается: " + ReadFailureText(p.read);
     }},
    {UpdateFailure::kWrongKind,
     [](const UpdateProblem& p) {
       return "полученный файл — список " + KindNameAt(p.count) + ", а не " +
              KindNameAt(p.other);
     }},
    {UpdateFailure::kNotAListing,
     [](const UpdateProblem&) {
       return std::string(
           "сервер прислал не список OUI (в полученном файле нет ни одной "
           "записи)");
     }},
    {UpdateFailure::kCutOff,
     [](const UpdateProblem&) {
       return NetworkFailureText(NetworkFailure::kCutOff, {});
     }},
    {UpdateFailure::kTooFew,
     [](const UpdateProblem& p) {
       return "список неполон — записей в нём " + std::to_string(p.count) +
              ", а в нынешнем файле " + std::to_string(p.other);
     }},
    {UpdateFailure::kTooMany,
     [](const UpdateProblem& p) {
       return "список подозрительно велик — записей в нём " +
              std::to_string(p.count) + ", а в нынешнем файле " +
              std::to_string(p.other);
     }},
    {UpdateFailure::kCurrentUnreadable,
     [](const UpdateProblem& p) {
       return Quoted(p) + " не читается: " + ReadFailureText(p.read);
     }},
    {UpdateFailure::kCurrentNotAListing,
     [](const UpdateProblem& p) {
       return Quoted(p) +
              " не похож на список производителей (в нём нет ни одной "
              "записи), и обновление его не заменит";
     }},
    {UpdateFailure::kNoDataFolder,
     [](const UpdateProblem&) {
       return std::string(
           "некуда сохранить списки: нет ни base.dat в текущей папке, ни "
           "домашней папки — задайте XDG_DATA_HOME или HOME (или укажите "
           "файл через --db)");
     }},
    {UpdateFailure::kGroupNotKept,
     [](const UpdateProblem& p) {
       return Quoted(p) +
              " теперь принадлежит вашей группе, а не прежней: вы не "
              "состоите в ней, и другие её участники могут потерять доступ к "
              "файлу";
     }},
    {UpdateFailure::kCannotReplace,
     [](const UpdateProblem& p) {
       return "не удалось заменить " + Quoted(p) + ": " +
              WriteError(p.error_number);
     }},
};

}  // namespace

std::string NetworkFailureText(NetworkFailure failure,
                               std::string_view detail) {
  std::string text;
  for (const auto& [which, words] : kNetworkWordings) {
    if (which == failure) text = words;
  }
  if (!detail.empty()) text.append(" (").append(detail).append(")");
  return text;
}

std::string UpdateProblemText(const UpdateProblem& problem) {
  for (const auto& [kind, words] : kUpdateWordings) {
    if (kind == problem.kind) return words(problem);
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

}  // namespace venmark::text

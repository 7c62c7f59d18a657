#include "update/transport.h"

namespace venmark {

std::string DescribeNetworkFailure(NetworkFailure failure,
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
    case NetworkFailure::kOther:
      text = "ошибка загрузки";
      break;
  }
  if (!detail.empty()) text.append(" (").append(detail).append(")");
  return text;
}

}  // namespace venmark

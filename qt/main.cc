#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "app/texts.h"
#include "app/version.h"
#include "qt/form_widgets.h"
#include "qt/main_window.h"
#include "qt/message_box_dialogs.h"

namespace {

// Whether Qt has a screen to open windows on: a platform named outright
// (offscreen, vnc...), or an X11 or Wayland display.
bool HaveDisplay() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return true;
  }
  return false;
}

void Print(std::FILE* stream, const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  std::fwrite(bytes.data(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication::setApplicationName(QStringLiteral("Venmark"));
  QApplication::setApplicationVersion(QString::fromLatin1(venmark::kVersion));

  // The options are read before anything opens the display, so --help and
  // --version work on a console without one.
  QStringList arguments;
  for (int i = 0; i < argc; ++i)
    arguments.append(QString::fromLocal8Bit(argv[i]));
  QCommandLineParser parser;
  parser.setApplicationDescription(venmark::Qs(venmark::text::kGuiDescription));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Показать эту справку."));
  const QCommandLineOption version(QStringLiteral("version"),
                                   QStringLiteral("Показать версию."));
  const QCommandLineOption database(
      QStringLiteral("db"),
      QStringLiteral("Искать по списку MA-L ФАЙЛ (и спискам рядом с ним) и "
                     "обновлять его."),
      QStringLiteral("ФАЙЛ"));
  parser.addOption(help);
  parser.addOption(version);
  parser.addOption(database);
  if (!parser.parse(arguments)) {
    const QStringList unknown = parser.unknownOptionNames();
    Print(stderr,
          QStringLiteral("venmark: ") +
              (unknown.isEmpty() ? parser.errorText()
                                 : QStringLiteral("неизвестный параметр «%1»")
                                       .arg(unknown.first())) +
              QStringLiteral("\nСправка: venmark --help\n"));
    return 1;
  }
  if (parser.isSet(help)) {
    // Qt writes these few words in English whatever the translation.
    Print(
        stdout,
        parser.helpText()
            .replace(QStringLiteral("Usage:"), QStringLiteral("Использование:"))
            .replace(QStringLiteral("<executable_name>"),
                     QStringLiteral("venmark"))
            .replace(QStringLiteral("[options]"), QStringLiteral("[параметры]"))
            .replace(QStringLiteral("Options:"), QStringLiteral("Параметры:")));
    return 0;
  }
  if (parser.isSet(version)) {
    Print(stdout, QStringLiteral("venmark %1\n").arg(venmark::kVersion));
    return 0;
  }
  if (!HaveDisplay()) {
    Print(stderr, venmark::Qs(venmark::text::kNoDisplay) + "\n");
    return 1;
  }

  QApplication app(argc, argv);
  QApplication::setDesktopFileName(QStringLiteral(VENMARK_APP_ID));

  // The interface is Russian whatever the system's language, Qt's own
  // buttons ("OK", "Cancel") included.
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  QTranslator qt_russian;
  if (qt_russian.load(QStringLiteral("qtbase_ru"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qt_russian);
  }

  // Every size the build put into the resources; QIcon reads each size.
  QIcon icon;
  for (const QString& name : QDir(QStringLiteral(":/icons")).entryList()) {
    icon.addFile(QStringLiteral(":/icons/") + name);
  }
  QApplication::setWindowIcon(icon);

  venmark::MessageBoxDialogs dialogs;
  venmark::MainWindow window(
      &dialogs,
      {.database = parser.value(database).toStdString(), .sources = {}});
  dialogs.set_parent(&window);
  window.show();
  return QApplication::exec();
}

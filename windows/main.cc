#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "windows/main_window.h"
#include "windows/message_box_dialogs.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Venmark"));
  QApplication::setApplicationVersion(QStringLiteral(VENMARK_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("venmark"));

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
  venmark::MainWindow window(&dialogs);
  dialogs.set_parent(&window);
  window.show();
  return QApplication::exec();
}

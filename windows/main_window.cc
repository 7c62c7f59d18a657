#include "windows/main_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QScreen>
#include <QStringList>
#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

#include "lookup/listing_places.h"
#include "lookup/listing_set.h"
#include "lookup/mac_scanner.h"
#include "lookup/search.h"
#include "update/transport.h"
#include "windows/fitted_text.h"
#include "windows/text_box.h"

namespace venmark {
namespace {

// Keeps the wait cursor up for as long as it lives.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

template <typename Button>
Button* AddButton(Button* button, const char* name, QRect geometry) {
  button->setObjectName(name);
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

}  // namespace

MainWindow::MainWindow(Dialogs* dialogs, MainWindowFiles files)
    : QWidget(nullptr), dialogs_(dialogs), files_(std::move(files)) {
  setObjectName("Form1");
  setWindowTitle(QStringLiteral("Venmark"));
  setFixedSize(779, 481);

  input_ = AddTextBox(this, "Text1", QRect(16, 40, 745, 377));

  auto* search = AddButton(new QPushButton(QStringLiteral("Поиск"), this),
                           "Command1", QRect(328, 432, 129, 41));

  auto* prompt = new QLabel(
      QStringLiteral(
          "Введите любой текст, где фигурируют MACи в любом формате:"),
      this);
  prompt->setObjectName("Label2");
  prompt->setGeometry(16, 16, 329, 17);

  auto* exit = AddButton(new QPushButton(QStringLiteral("Выход"), this),
                         "Command2", QRect(688, 432, 73, 41));

  auto* credits = new QLabel(
      QStringLiteral("Venmark %1, 2026. Сведения о производителях — "
                     "общедоступный реестр OUI IEEE Registration Authority.")
          .arg(QCoreApplication::applicationVersion().isEmpty()
                   ? QStringLiteral("1.0")
                   : QCoreApplication::applicationVersion()),
      this);
  credits->setObjectName("Label1");
  credits->setGeometry(8, 448, 281, 33);
  credits->setWordWrap(true);
  credits->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto* update = AddButton(
      new WrappingButton(
          QStringLiteral("Обновить базу MAC-адресов с сервера IEEE"), this),
      "Command3", QRect(568, 432, 105, 41));

  // The layout was drawn for a small system font: a caption that does not
  // fit its control at the usual size takes the largest size that does.
  prompt->setFont(
      FitFont(font(), prompt->text(), prompt->size(), Qt::TextSingleLine));
  update->setFont(FitFont(font(), update->text(), update->CaptionRect().size(),
                          Qt::TextWordWrap));
  credits->setFont(
      FitFont(font(), credits->text(), credits->size(), Qt::TextWordWrap));
  for (QPushButton* button : {search, exit}) {
    button->setFont(FitFont(font(), button->text(),
                            button->size() - QSize(8, 6), Qt::TextSingleLine));
  }

  QWidget::setTabOrder(input_, search);
  QWidget::setTabOrder(search, prompt);
  QWidget::setTabOrder(prompt, exit);
  QWidget::setTabOrder(exit, credits);
  QWidget::setTabOrder(credits, update);

  connect(search, &QPushButton::clicked, this, &MainWindow::Search);
  connect(exit, &QPushButton::clicked, this, &MainWindow::Exit);
  connect(update, &QPushButton::clicked, this, &MainWindow::Update);
}

MainWindow::~MainWindow() {
  // An unowned results window would outlive the program's main window.
  if (results_) delete results_.data();
}

ResultsWindow* MainWindow::TouchResults() {
  if (!results_) {
    results_ = new ResultsWindow();
    PlaceBeside(results_);
  }
  return results_;
}

void MainWindow::PlaceBeside(ResultsWindow* results) const {
  const QRect main = frameGeometry();
  const QMargins frame(
      geometry().left() - main.left(), geometry().top() - main.top(),
      main.right() - geometry().right(), main.bottom() - geometry().bottom());
  const int width = results->width() + frame.left() + frame.right();
  const QRect screen_area = screen()->availableGeometry();
  constexpr int kGap = 8;
  int x = main.right() + 1 + kGap;
  if (x + width > screen_area.right() + 1) {
    const int left = main.left() - kGap - width;
    x = left >= screen_area.left()
            ? left
            : std::max(screen_area.left(), screen_area.right() + 1 - width);
  }
  results->move(x, std::max(screen_area.top(), main.top()));
}

void MainWindow::Search() {
  std::string results;
  std::string error;
  {
    WaitCursor wait;
    const std::string text = input_->toPlainText().toStdString();
    // A text without MACs needs no database, so it cannot fail for want of
    // one.
    if (MacScanner(text).Next()) {
      const std::vector<std::string> places = ListingPlaces();
      const std::string database =
          files_.database.isEmpty()
              ? FindListing(places)
              // Named in full, so a message says which folder was looked in.
              : QFile::encodeName(QFileInfo(files_.database).absoluteFilePath())
                    .toStdString();
      if (database.empty()) {
        error = NoListingMessage(places);
      } else if (const std::optional<ListingSet> listings =
                     ListingSet::Load(database, &error)) {
        results = SearchText(text, *listings, "\n");
      }
    }
  }
  if (!error.empty()) {
    dialogs_->Error(QString::fromStdString(error) +
                    QStringLiteral(".\n\nЧтобы загрузить базу с сервера "
                                   "IEEE, нажмите «Обновить базу MAC-адресов "
                                   "с сервера IEEE»."));
    return;
  }
  ResultsWindow* window = TouchResults();
  window->AppendLines(QString::fromStdString(results));
  window->show();
  window->raise();
  window->activateWindow();
}

void MainWindow::Update() {
  if (!dialogs_->Confirm(QStringLiteral(
          "Процесс может занять две-три минуты, программа может сделать вид, "
          "что висит, подождите вывода сообщения о завершении"))) {
    return;
  }
  UpdateOptions options;
  options.sources = files_.sources;
  options.database =
      files_.database.isEmpty()
          ? UpdateTarget()
          : QFile::encodeName(QFileInfo(files_.database).absoluteFilePath())
                .toStdString();
  // The user's data folder may not be there yet.
  std::error_code ignored;
  std::filesystem::create_directories(
      std::filesystem::path(options.database).parent_path(), ignored);
  UpdateResult result;
  {
    std::unique_ptr<Progress> progress = dialogs_->StartProgress(
        QStringLiteral("Загрузка списков производителей с сервера IEEE…"));
    const std::unique_ptr<Transport> transport = MakeSystemTransport();
    result =
        UpdateDatabase(options, *transport, [&progress](std::int64_t received) {
          return progress == nullptr || progress->Update(received, 0);
        });
  }
  switch (result.status) {
    case UpdateStatus::kUpdated: {
      QString text = QStringLiteral("Синхронизация завершена");
      if (!result.kept.empty()) {
        QStringList kept;
        for (const std::string& line : result.kept) {
          kept.append(QString::fromStdString(line));
        }
        text += QStringLiteral("\nПрежними оставлены: ") +
                kept.join(QStringLiteral("; "));
      }
      dialogs_->Inform(text);
      break;
    }
    case UpdateStatus::kFailed:
      dialogs_->Error(QString::fromStdString(result.message));
      break;
    case UpdateStatus::kCancelled:
      break;
  }
}

void MainWindow::Exit() {
  if (results_) results_->close();
  close();
  QCoreApplication::exit(0);
}

}  // namespace venmark

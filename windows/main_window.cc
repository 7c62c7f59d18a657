#include "windows/main_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStringList>
#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lookup/listing_places.h"
#include "lookup/listing_set.h"
#include "lookup/mac_scanner.h"
#include "lookup/search.h"
#include "update/transport.h"
#include "windows/fitted_text.h"
#include "windows/placement.h"
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
Button* AddButton(Button* button, const char* name) {
  button->setObjectName(name);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

// Return and Enter press the focused button, as Space does, without making
// any button a default one (Return in the text box still breaks the line);
// Ctrl+Return in the text box runs the search.
class KeyboardPresses : public QObject {
 public:
  KeyboardPresses(QObject* parent, QWidget* input, QPushButton* search)
      : QObject(parent), input_(input), search_(search) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) {
      return false;
    }
    const Qt::KeyboardModifiers modifiers =
        key->modifiers() & ~Qt::KeypadModifier;
    if (watched == input_) {
      if (modifiers != Qt::ControlModifier) return false;
      search_->click();
      return true;
    }
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button == nullptr || modifiers != Qt::NoModifier) return false;
    button->animateClick();
    return true;
  }

 private:
  QWidget* input_;
  QPushButton* search_;
};

// A control as drawn, and whether its caption must fit on one line.
struct Drawn {
  QWidget* widget;
  QRect rect;
  bool button;
  bool wrap;
};

// Whether every caption shows whole in font with the layout at scale.
bool CaptionsFit(const QFont& font, qreal scale,
                 const std::vector<Drawn>& controls) {
  const QFontMetrics metrics(font);
  const Layout layout(scale);
  return std::all_of(controls.begin(), controls.end(), [&](const Drawn& c) {
    QString caption;
    if (auto* button = qobject_cast<QPushButton*>(c.widget)) {
      caption = button->text();
    } else if (auto* label = qobject_cast<QLabel*>(c.widget)) {
      caption = label->text();
    }
    if (caption.isEmpty()) return true;
    QSize box =
        layout.Rect(c.rect.x(), c.rect.y(), c.rect.width(), c.rect.height())
            .size();
    if (c.button) box = CaptionRoom(box);
    return FitsBox(caption, metrics, box, c.wrap);
  });
}

// The layout's scale and the captions' font: the desktop's font, and the
// layout scaled until every caption shows whole in it. Where that would not
// fit the screen, the layout takes what the screen allows and the captions
// get smaller, though never below 8 points, in a narrower face if need be.
std::pair<qreal, QFont> FitLayout(const QFont& desktop, QSize drawn,
                                  const QSize& screen,
                                  const std::vector<Drawn>& controls) {
  constexpr qreal kStep = 0.025;
  constexpr qreal kLargest = 8;
  qreal scale = Layout::ForFont(desktop);
  while (scale < kLargest && !CaptionsFit(desktop, scale, controls)) {
    scale += kStep;
  }
  // The window's frame takes a little of the screen too.
  drawn += QSize(16, 48);
  const qreal room =
      std::max<qreal>(1.0, std::min(screen.width() / qreal(drawn.width()),
                                    screen.height() / qreal(drawn.height())));
  if (screen.isEmpty() || scale <= room) return {scale, desktop};

  QStringList families = {desktop.family()};
  families << QStringLiteral("Liberation Sans") << QStringLiteral("Arimo");
  for (const QString& family : families) {
    QFont font = desktop;
    font.setFamily(family);
    for (qreal points = desktop.pointSizeF(); points >= 8.0; points -= 0.5) {
      font.setPointSizeF(points);
      if (CaptionsFit(font, room, controls)) return {room, font};
    }
  }
  return {scale, desktop};
}

}  // namespace

MainWindow::MainWindow(Dialogs* dialogs, MainWindowFiles files, QSize screen)
    : QWidget(nullptr), dialogs_(dialogs), files_(std::move(files)) {
  setObjectName("Form1");
  setWindowTitle(QStringLiteral("Venmark"));
  const QFont desktop = CaptionFont(QApplication::font());
  setFont(desktop);

  input_ = AddTextBox(this, "Text1");
  auto* search =
      AddButton(new QPushButton(QStringLiteral("Поиск"), this), "Command1");
  auto* prompt = new QLabel(
      QStringLiteral(
          "Введите любой текст, где фигурируют MACи в любом формате:"),
      this);
  prompt->setObjectName("Label2");
  auto* exit =
      AddButton(new QPushButton(QStringLiteral("Выход"), this), "Command2");
  auto* credits =
      new QLabel(QStringLiteral("Venmark %1 © 2026, venmark.org\n"
                                "Данные о производителях: IEEE")
                     .arg(QCoreApplication::applicationVersion().isEmpty()
                              ? QStringLiteral("1.0")
                              : QCoreApplication::applicationVersion()),
                 this);
  credits->setObjectName("Label1");
  credits->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto* update = AddButton(
      new WrappingButton(
          QStringLiteral("Обновить базу MAC-адресов с сервера IEEE"), this),
      "Command3");

  // As drawn for an 8-point font, then scaled as one until every caption
  // shows whole in the desktop's font.
  const std::vector<Drawn> drawn = {
      {input_, {16, 40, 745, 377}, false, false},
      {search, {328, 432, 129, 41}, true, false},
      {prompt, {16, 16, 329, 17}, false, false},
      {exit, {688, 432, 73, 41}, true, false},
      {credits, {8, 448, 281, 33}, false, false},
      {update, {568, 432, 105, 41}, true, true},
  };
  if (screen.isEmpty() && QGuiApplication::primaryScreen() != nullptr) {
    screen = QGuiApplication::primaryScreen()->availableSize();
  }
  const auto [scale, captions] =
      FitLayout(desktop, QSize(779, 481), screen, drawn);
  const Layout layout(scale);
  for (QWidget* widget :
       {static_cast<QWidget*>(search), static_cast<QWidget*>(prompt),
        static_cast<QWidget*>(exit), static_cast<QWidget*>(credits),
        static_cast<QWidget*>(update)}) {
    widget->setFont(captions);
  }
  for (const Drawn& control : drawn) {
    const QRect& r = control.rect;
    control.widget->setGeometry(
        layout.Rect(r.x(), r.y(), r.width(), r.height()));
  }
  setFixedSize(layout.Size(779, 481));

  QWidget::setTabOrder(input_, search);
  QWidget::setTabOrder(search, prompt);
  QWidget::setTabOrder(prompt, exit);
  QWidget::setTabOrder(exit, credits);
  QWidget::setTabOrder(credits, update);

  auto* keys = new KeyboardPresses(this, input_, search);
  for (QWidget* widget :
       {static_cast<QWidget*>(input_), static_cast<QWidget*>(search),
        static_cast<QWidget*>(exit), static_cast<QWidget*>(update)}) {
    widget->installEventFilter(keys);
  }

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

QPoint PlaceResults(const QRect& main, const QRect& button_row,
                    const QSize& results, const QRect& screen) {
  const auto box = [](const QRect& r) {
    return ScreenBox{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
  };
  const ScreenBox placed =
      PlaceResults(box(main), box(button_row), results.width(),
                   results.height(), box(screen));
  return QPoint(placed.left, placed.top);
}

void MainWindow::PlaceBeside(ResultsWindow* results) const {
  const QRect main = frameGeometry();
  const QMargins frame(
      geometry().left() - main.left(), geometry().top() - main.top(),
      main.right() - geometry().right(), main.bottom() - geometry().bottom());
  const QWidget* search = findChild<QWidget*>("Command1");
  const QRect button_row(QPoint(main.left(), mapToGlobal(search->pos()).y()),
                         main.bottomRight());
  const QPoint at =
      PlaceResults(main, button_row, results->size().grownBy(frame),
                   screen()->availableGeometry());
  results->move(at);
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

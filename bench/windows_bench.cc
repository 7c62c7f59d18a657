// How long «Поиск» takes in the real windows, on the offscreen platform:
// from the click to the results shown, for a pasted switch table.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdlib>
#include <memory>

#include "bench/sample_text.h"
#include "qt/main_window.h"

namespace venmark {
namespace {

class SilentDialogs : public Dialogs {
 public:
  bool Confirm(const QString&) override { return false; }
  void Inform(const QString&) override {}
  void Error(const QString& text) override { error = text; }
  std::unique_ptr<ProgressView> StartProgress() override { return nullptr; }
  QString error;
};

void BM_SearchClick(benchmark::State& state) {
  const char* listing = std::getenv("VENMARK_LISTING");
  SilentDialogs dialogs;
  const QString text = QString::fromStdString(
      MakeSampleText(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<MainWindow>(
        &dialogs,
        MainPresenter::Settings{.listing = listing != nullptr
                                               ? listing
                                               : "/usr/share/ieee-data/oui.txt",
                                .sources = {}});
    window->show();
    window->findChild<QPlainTextEdit*>("Text1")->setPlainText(text);
    QCoreApplication::processEvents();
    state.ResumeTiming();

    window->findChild<QPushButton*>("Command1")->click();
    QCoreApplication::processEvents();  // the results window paints

    state.PauseTiming();
    if (!dialogs.error.isEmpty()) {
      state.SkipWithError(qPrintable(dialogs.error));
      return;
    }
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.ResumeTiming();
  }
  state.counters["text_MB"] = static_cast<double>(text.toUtf8().size()) / 1e6;
}
BENCHMARK(BM_SearchClick)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
}  // namespace venmark

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

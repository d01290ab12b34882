#include "ConsoleWindow.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "ControlId.h"
#include "ExecutableDirectory.h"
#include "TextCatalogue.h"

namespace {

constexpr int kBarWidth = 40;

// The catalogues of this program, found as the window finds its own.
const std::filesystem::path& CatalogueFolder() {
  static const std::filesystem::path folder = CatalogueDirectory(ExecutableDirectory());
  return folder;
}

}  // namespace

ConsoleWindow::ConsoleWindow(std::string portName, int languageIndex, bool lumo, bool showProgressBar)
    : portName_(std::move(portName)), languageIndex_(languageIndex), lumo_(lumo), showProgressBar_(showProgressBar) {}

ConsoleWindow::~ConsoleWindow() { EndProgressBar(); }

void ConsoleWindow::AppendLine(const std::string& text) {
  const std::lock_guard lock(mutex_);
  PrintLine(text);
}

void ConsoleWindow::ClearLines() {
  const std::lock_guard lock(mutex_);
  PrintLine("");
}

void ConsoleWindow::RepaintLines() {}

void ConsoleWindow::SetProgressRange(int minimum, int maximum) {
  const std::lock_guard lock(mutex_);
  progressMinimum_ = minimum;
  progressMaximum_ = maximum;
  barActive_ = true;
  DrawBar();
}

void ConsoleWindow::SetProgressPosition(int position) {
  const std::lock_guard lock(mutex_);
  progressPosition_ = position;
  DrawBar();
}

void ConsoleWindow::EnableControl(int controlId, bool enabled) {
  if (controlId != ControlId::kCancel) return;
  const std::lock_guard lock(closeLockMutex_);
  cancelEnabled_ = enabled;
}

void ConsoleWindow::DecideOnCloseLock(const std::function<void(bool closeLockOn)>& decide) {
  const std::lock_guard lock(closeLockMutex_);
  decide(!cancelEnabled_);
}

std::string ConsoleWindow::SelectedPortName() { return portName_; }

bool ConsoleWindow::IsLumoChecked() { return lumo_.load(); }

std::string ConsoleWindow::LoadLocalizedText(unsigned number) {
  return LookupText(CatalogueFolder(), languageIndex_, number);
}

void ConsoleWindow::ShowMessageBox(const std::string& text, MessageBoxIcon icon) {
  const std::lock_guard lock(mutex_);
  PrintLine((icon == MessageBoxIcon::Error ? "[error box] " : "[box] ") + text);
}

void ConsoleWindow::Note(const std::string& text) {
  const std::lock_guard lock(mutex_);
  EraseBar();
  std::fprintf(stderr, "tessaramond-cli: %s\n", text.c_str());
  std::fflush(stderr);
  DrawBar();
}

void ConsoleWindow::EndProgressBar() {
  const std::lock_guard lock(mutex_);
  EraseBar();
}

void ConsoleWindow::PrintLine(const std::string& text) {
  EraseBar();
  std::fputs(text.c_str(), stdout);
  std::fputc('\n', stdout);
  // Each line shows as it happens, also through a pipe.
  std::fflush(stdout);
  DrawBar();
}

void ConsoleWindow::EraseBar() {
  if (!barShown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  barShown_ = false;
}

void ConsoleWindow::DrawBar() {
  if (!showProgressBar_ || !barActive_) return;
  const int span = std::max(1, progressMaximum_ - progressMinimum_);
  const int done = std::clamp(progressPosition_ - progressMinimum_, 0, span);
  const int filled = done * kBarWidth / span;
  std::fprintf(stderr, "\r[%s%s] %d/%d", std::string(static_cast<std::size_t>(filled), '#').c_str(),
               std::string(static_cast<std::size_t>(kBarWidth - filled), ' ').c_str(),
               progressMinimum_ + done, progressMaximum_);
  std::fflush(stderr);
  barShown_ = true;
}

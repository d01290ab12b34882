#pragma once

#include <span>

// The main window's layout, control by control, in dialog units (converted to
// pixels with the window font's metrics). Plain data, so it can be read without
// a display.
enum class TemplateControlKind { GroupBox, ComboBox, ListBox, ProgressBar, PushButton, CheckBox, RadioButton };

struct TemplateControl {
  int id;  // 0 for the controls no one addresses (the two group-box frames)
  TemplateControlKind kind;
  const char* caption;
  int x, y, width, height;
  bool visibleInTemplate;
  bool defaultButton = false;
};

inline constexpr const char* kMainWindowCaption = "Quendraflox Kesto V5.16";
inline constexpr int kMainWindowWidthUnits = 299;
inline constexpr int kMainWindowHeightUnits = 159;
inline constexpr int kMainWindowFontPoints = 8;

// In creation order, which is also the stacking and tab order.
std::span<const TemplateControl> MainWindowTemplate();

// Entries of the language selector, by index.
inline constexpr const char* kLanguageEntries[] = {"English", "Deutsch", "Francais"};

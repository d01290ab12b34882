#pragma once

#include <string>
#include <string_view>

enum class MessageBoxIcon { Error, Information };

// What the programming dialogues may ask of the main window. Every request is
// synchronous: it returns after the window has carried it out, whichever thread
// asks. The window serves them on its own thread; tests and the command line
// serve them directly. Texts are UTF-8.
class WindowRequests {
 public:
  virtual ~WindowRequests();

  virtual void AppendLine(const std::string& text) = 0;
  virtual void ClearLines() = 0;
  virtual void RepaintLines() = 0;
  virtual void SetProgressRange(int minimum, int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;
  virtual void EnableControl(int controlId, bool enabled) = 0;
  // Text of the selected entry of the COM port selector; empty when none.
  virtual std::string SelectedPortName() = 0;
  virtual bool IsLumoChecked() = 0;
  // The message's text in the UI language selected at this moment.
  virtual std::string LoadLocalizedText(unsigned number) = 0;
  // Shows a modal box and returns once the technician has closed it.
  virtual void ShowMessageBox(const std::string& text, MessageBoxIcon icon) = 0;
};

// Appends a line to the message list and repaints the list at once, so the
// technician sees every step as it happens.
void AppendAndShow(WindowRequests& window, std::string_view text);
// The same for a numbered message, in the language selected at this moment.
void AppendMessageAndShow(WindowRequests& window, unsigned number);

// The small interfaces through which the store and the pages reach the person at the screen.
// The application supplies Qt implementations; tests and the command-line tool supply their own.
#pragma once

#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <vector>

namespace hdmjm {

// A modal message box with an OK button, and a question with buttons of its own.
class UserMessages {
 public:
  enum class Icon { None, Information, Warning };
  virtual ~UserMessages() = default;
  virtual void Show(const std::string& text, const std::string& title = {},
                    Icon icon = Icon::None) = 0;
  // Asks `text` with one button per caption; returns the index of the button pressed. Escape or
  // closing the box answers `defaultButton`, which is also the button Enter presses; front ends
  // that cannot ask (the command-line tool) answer it at once, so it must be the safe answer.
  virtual int Choose(const std::string& text, const std::vector<std::string>& buttons,
                     int defaultButton, const std::string& title = {}) {
    (void)text, (void)buttons, (void)title;
    return defaultButton;
  }
};

// Diagnostic lines of the database access layer; never shown to the designer.
class Trace {
 public:
  virtual ~Trace() = default;
  virtual void Write(std::string_view line,
                     const std::source_location& where = std::source_location::current()) = 0;
};

// The progress window's bar, 0 to 100.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void SetProgress(int percent) = 0;
};

// The open-file dialog. Returns the chosen full path, or nothing when the designer cancels.
// The filter has the form "text (*.*)|*.*|All Files(*.*)|*.*||".
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  virtual std::optional<std::string> ChooseOpenFile(const std::string& title,
                                                    const std::string& initialName,
                                                    const std::string& filter) = 0;
  // The save-file dialog, in which a name that does not exist yet may be typed. Front ends
  // without one fall back to the open-file dialog.
  virtual std::optional<std::string> ChooseSaveFile(const std::string& title,
                                                    const std::string& initialName,
                                                    const std::string& filter) {
    return ChooseOpenFile(title, initialName, filter);
  }
  // The folder dialog. Returns the chosen folder, or nothing when the designer cancels; front
  // ends without one offer no folder.
  virtual std::optional<std::string> ChooseFolder(const std::string& /*title*/,
                                                  const std::string& /*initialFolder*/) {
    return std::nullopt;
  }
};

// Messages to stderr, one per line (the command-line tool's message box).
class StderrMessages : public UserMessages {
 public:
  void Show(const std::string& text, const std::string& title, Icon icon) override;
};

class StderrTrace : public Trace {
 public:
  void Write(std::string_view line, const std::source_location& where) override;
};

class SilentTrace : public Trace {
 public:
  void Write(std::string_view, const std::source_location&) override {}
};

class NoProgress : public Progress {
 public:
  void SetProgress(int) override {}
};

// What a store object reports through. The pointers are never null and outlive their users.
struct Services {
  UserMessages* messages;
  Trace* trace;
  Progress* progress;
};

// Messages and traces to stderr, no progress.
Services DefaultServices();

}  // namespace hdmjm

// The program: builds the dialog services and the scheme session on the project it starts on,
// runs the main sheet modally and returns when it closes, whichever button closed it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace hdmjm {

class HDMJM;

class CrossSectionApp {
 public:
  // `project`: the project folder or scheme file of the command line, if one was given.
  explicit CrossSectionApp(std::optional<std::string> project = std::nullopt)
      : project_(std::move(project)) {}

  // `beforeRun` sees the main sheet before it runs (the screenshot program drives it).
  int Run(const std::function<void(HDMJM&)>& beforeRun = {});

 private:
  std::optional<std::string> project_;
};

}  // namespace hdmjm

// The program: builds the dialog services and the scheme session, runs the main sheet modally
// and returns when it closes, whichever button closed it.
#pragma once

#include <functional>

namespace hdmjm {

class HDMJM;

class CrossSectionApp {
 public:
  // `beforeRun` sees the main sheet before it runs (the screenshot program drives it).
  int Run(const std::function<void(HDMJM&)>& beforeRun = {});
};

}  // namespace hdmjm

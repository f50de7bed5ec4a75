// The program: builds the dialog services and the scheme session, runs the main sheet modally
// and returns when it closes, whichever button closed it.
#pragma once

namespace hdmjm {

class CrossSectionApp {
 public:
  int Run();
};

}  // namespace hdmjm

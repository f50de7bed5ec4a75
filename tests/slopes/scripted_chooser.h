// A file chooser that answers from a script and records what it was asked.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "store/services.h"

namespace hdmjm::test {

struct Question {
  bool save;
  std::string title, initialName, filter;
};

class ScriptedChooser : public FileChooser {
 public:
  std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& initial,
                                            const std::string& filter) override {
    return Answer(false, title, initial, filter);
  }
  std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& initial,
                                            const std::string& filter) override {
    return Answer(true, title, initial, filter);
  }
  std::deque<std::string> answers;  // none left: the designer cancels
  std::vector<Question> asked;

 private:
  std::optional<std::string> Answer(bool save, const std::string& title, const std::string& initial,
                                    const std::string& filter) {
    asked.push_back({save, title, initial, filter});
    if (answers.empty()) return std::nullopt;
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace hdmjm::test

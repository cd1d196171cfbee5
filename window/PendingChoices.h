// The choices ScAddSelect gathers until ScCommitSelect hands them to a selection window.
#pragma once

#include <string>
#include <vector>

namespace window {

struct PendingChoices {
  std::vector<std::string> texts;    // the row texts
  std::vector<std::string> targets;  // their "file?label" targets
  void clear() {
    texts.clear();
    targets.clear();
  }
};

}  // namespace window

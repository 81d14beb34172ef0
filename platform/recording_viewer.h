// A log viewer for tests: records what it was asked to do.
#pragma once

#include <string>
#include <vector>

#include "platform/viewer.h"

namespace win {

class RecordingLogViewer : public LogViewer {
 public:
  struct Start {
    std::string command, folder;
    bool started;
  };
  struct Shown {
    std::string host_path;
    bool wait;
  };
  void ProcessStarted(const std::string& command, const std::string& folder, bool started) override {
    starts.push_back({command, folder, started});
  }
  void Show(const std::string& host_path, bool wait) override { shown.push_back({host_path, wait}); }

  std::vector<Start> starts;
  std::vector<Shown> shown;
};

}  // namespace win

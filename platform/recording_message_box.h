// A message-box service for tests: records every box and answers from a
// queue (IDOK when the queue is empty). Install it with SetMessageBoxService
// and remove it again before it is destroyed.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace ui {

class RecordingMessageBoxes : public MessageBoxService {
 public:
  struct Box {
    HWND owner;
    std::string text;     // CP932, as shown
    std::string caption;  // CP932
    UINT style;
    int answer;
  };
  int Show(HWND owner, const char* text, const char* caption, UINT style) override {
    int answer = IDOK;
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    }
    boxes.push_back({owner, text ? text : "", caption ? caption : "", style, answer});
    return answer;
  }

  std::deque<int> answers;
  std::vector<Box> boxes;
};

}  // namespace ui

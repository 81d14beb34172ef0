// The message-box service in force and its default, which writes the box to
// standard error and answers as a user who accepts what is offered: OK for an
// OK box, No for a question, so nothing is overwritten unasked.
#include "platform/message_box.h"

#include <cstdio>

#include "platform/cp932.h"

namespace ui {
namespace {

class StderrMessageBoxes : public MessageBoxService {
 public:
  int Show(HWND /*owner*/, const char* text, const char* caption, UINT style) override {
    std::fprintf(stderr, "[%s] %s\n", cp932::ToUtf8(caption ? caption : "").c_str(),
                 cp932::ToUtf8(text ? text : "").c_str());
    switch (style & 0x0Fu) {
      case MB_YESNO:
      case MB_YESNOCANCEL: return IDNO;
      default: return IDOK;
    }
  }
};

StderrMessageBoxes default_service;
MessageBoxService* installed = nullptr;

}  // namespace

MessageBoxService& MessageBoxes() { return installed ? *installed : default_service; }
void SetMessageBoxService(MessageBoxService* service) { installed = service; }

}  // namespace ui

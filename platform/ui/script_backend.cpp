// The automation back end: script parsing, the transcript and the answers.
#include "platform/ui/script_backend.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "platform/cp932.h"
#include "platform/program_args.h"
#include "platform/win.h"

namespace ui {
namespace {

using Json = nlohmann::ordered_json;

// One event on a line of its own; a text that is not valid UTF-8 is written
// with replacement characters rather than dropped.
std::string EventLine(const Json& event) {
  return event.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string Utf8(std::string_view cp932_text) { return cp932::ToUtf8(cp932_text); }

// Splits off the first blank-separated word of rest; rest keeps what follows
// the one blank after it.
std::string_view TakeWord(std::string_view* rest) {
  size_t blank = rest->find(' ');
  std::string_view word = rest->substr(0, blank);
  *rest = blank == std::string_view::npos ? std::string_view() : rest->substr(blank + 1);
  return word;
}

bool ParseId(std::string_view word, int* id) {
  if (word.empty() || word.size() > 9) return false;
  size_t i = word[0] == '-' ? 1 : 0;
  if (i == word.size()) return false;
  int value = 0;
  for (; i < word.size(); ++i) {
    if (word[i] < '0' || word[i] > '9') return false;
    value = value * 10 + (word[i] - '0');
  }
  *id = word[0] == '-' ? -value : value;
  return true;
}

bool ParseKey(std::string_view word, ScriptAction* a) {
  for (;;) {
    if (word.substr(0, 6) == "Shift+") {
      a->shift = true;
      word.remove_prefix(6);
    } else if (word.substr(0, 5) == "Ctrl+") {
      a->ctrl = true;
      word.remove_prefix(5);
    } else if (word.substr(0, 4) == "Alt+") {
      a->alt = true;
      word.remove_prefix(4);
    } else {
      break;
    }
  }
  static const struct {
    const char* name;
    int key;
  } kKeys[] = {
      {"Enter", VK_RETURN}, {"Esc", VK_ESCAPE}, {"Tab", VK_TAB}, {"Space", VK_SPACE}, {"F12", VK_F12}};
  for (const auto& k : kKeys) {
    if (word == k.name) {
      a->key = k.key;
      return true;
    }
  }
  return false;
}

bool ParseAnswer(std::string_view word, int* answer) {
  if (word == "ok")
    *answer = IDOK;
  else if (word == "yes")
    *answer = IDYES;
  else if (word == "no")
    *answer = IDNO;
  else if (word == "cancel")
    *answer = IDCANCEL;
  else
    return false;
  return true;
}

ScriptAction ParseLine(std::string_view line, int number) {
  ScriptAction a;
  a.line = number;
  std::string_view rest = line;
  std::string_view verb = TakeWord(&rest);
  auto malformed = [&](const std::string& why) {
    a.kind = ScriptAction::kMalformed;
    a.error = why;
    return a;
  };
  if (verb == "set" || verb == "focus" || verb == "click") {
    bool has_text = verb == "set";
    std::string_view id_word = has_text ? TakeWord(&rest) : rest;
    if (!ParseId(id_word, &a.id))
      return malformed("expected a control ID after \"" + std::string(verb) + "\"");
    a.kind = verb == "set"     ? ScriptAction::kSet
             : verb == "focus" ? ScriptAction::kFocus
                               : ScriptAction::kClick;
    if (has_text) a.text = cp932::FromUtf8(rest);
    return a;
  }
  if (verb == "key") {
    a.kind = ScriptAction::kKey;
    if (!ParseKey(rest, &a)) return malformed("unknown key \"" + std::string(rest) + "\"");
    return a;
  }
  if (verb == "close" && rest.empty() && line.size() == 5) {
    a.kind = ScriptAction::kClose;
    return a;
  }
  if (verb == "answer") {
    a.kind = ScriptAction::kAnswer;
    if (!ParseAnswer(rest, &a.answer)) return malformed("unknown answer \"" + std::string(rest) + "\"");
    return a;
  }
  if (verb == "save") {
    a.kind = ScriptAction::kSave;
    a.text = cp932::FromUtf8(rest);
    return a;
  }
  if (verb == "cancel" && line.size() == 6) {
    a.kind = ScriptAction::kCancel;
    return a;
  }
  if (verb == "expect") {
    std::string_view what = TakeWord(&rest);
    if (what == "focus") {
      a.kind = ScriptAction::kExpectFocus;
      if (!ParseId(rest, &a.id)) return malformed("expected a control ID after \"expect focus\"");
      return a;
    }
    if (what == "text") {
      a.kind = ScriptAction::kExpectText;
      if (!ParseId(TakeWord(&rest), &a.id)) return malformed("expected a control ID after \"expect text\"");
      a.text = cp932::FromUtf8(rest);
      return a;
    }
    return malformed("expected \"expect focus\" or \"expect text\"");
  }
  return malformed("unknown action \"" + std::string(line) + "\"");
}

const char* AnswerName(int answer) {
  switch (answer) {
    case IDOK: return "ok";
    case IDYES: return "yes";
    case IDNO: return "no";
    default: return "cancel";
  }
}

// True when the box of this style offers the answer.
bool BoxOffers(UINT style, int answer) {
  switch (style & 0x0Fu) {
    case MB_OK: return answer == IDOK;
    case MB_OKCANCEL: return answer == IDOK || answer == IDCANCEL;
    case MB_YESNOCANCEL: return answer == IDYES || answer == IDNO || answer == IDCANCEL;
    case MB_YESNO: return answer == IDYES || answer == IDNO;
    case 5: return answer == IDCANCEL;  // retry and cancel: only cancel can be given
    default: return false;
  }
}

// The text of control id; empty when the dialog has none (or id is 0).
Json ControlText(CDialog& dialog, int id) {
  int i = id == 0 ? -1 : dialog.IndexOf(id);
  return i < 0 ? Json("") : Json(Utf8(dialog.State(i).text));
}

Json FocusId(CDialog& dialog) {
  int f = dialog.FocusIndex();
  return f < 0 ? Json(nullptr) : Json(dialog.Template().controls[f].id);
}

}  // namespace

std::vector<ScriptAction> ParseScript(std::string_view text, int* line_count) {
  std::vector<ScriptAction> actions;
  int number = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a byte order mark
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || line[start] == '#') continue;
    actions.push_back(ParseLine(line.substr(start), number));
  }
  if (line_count) *line_count = number;
  return actions;
}

ScriptBackend::ScriptBackend(std::string_view script, FILE* transcript, FILE* errors, std::string load_error)
    : transcript_(transcript), errors_(errors), load_error_(std::move(load_error)) {
  actions_ = ParseScript(script, &line_count_);
}

void ScriptBackend::Write(const std::string& json_line) {
  std::fwrite(json_line.data(), 1, json_line.size(), transcript_);
  std::fputc('\n', transcript_);
  std::fflush(transcript_);
}

void ScriptBackend::Fail(int line, const std::string& reason) {
  std::fprintf(errors_, "script error, line %d: %s\n", line, reason.c_str());
  std::fflush(errors_);
  Json j;
  j["event"] = "script-error";
  j["line"] = line;
  j["reason"] = reason;
  Write(EventLine(j));
  throw RunAborted{kScriptErrorStatus};
}

const ScriptAction& ScriptBackend::Next() {
  if (next_ >= actions_.size()) Fail(line_count_ + 1, "the script ended while input is awaited");
  const ScriptAction& a = actions_[next_++];
  if (a.kind == ScriptAction::kMalformed) Fail(a.line, a.error);
  return a;
}

// The action that answers a box or file dialog. Null, with the reason and
// its line, when the script has ended or the action is malformed; the caller
// records what is on screen before it fails the run.
const ScriptAction* ScriptBackend::TakeAnswer(int* line, std::string* error) {
  if (next_ >= actions_.size()) {
    *line = line_count_ + 1;
    *error = "the script ended while input is awaited";
    return nullptr;
  }
  const ScriptAction& a = actions_[next_++];
  *line = a.line;
  if (a.kind == ScriptAction::kMalformed) {
    *error = a.error;
    return nullptr;
  }
  return &a;
}

void ScriptBackend::Start() {
  if (!load_error_.empty()) Fail(0, load_error_);
}

void ScriptBackend::DialogShown(CDialog& dialog) {
  Json j;
  j["event"] = "dialog";
  const TranscriptControls& reported = dialog.Template().transcript;
  j["company"] = ControlText(dialog, reported.company);
  j["period"] = ControlText(dialog, reported.period);
  j["path"] = ControlText(dialog, reported.path);
  j["focus"] = FocusId(dialog);
  Write(EventLine(j));
}

void ScriptBackend::NextInput(CDialog& dialog) {
  const ScriptAction& a = Next();
  auto control = [&](bool (*fits)(CDialog&, int), const char* what) {
    int i = dialog.IndexOf(a.id);
    if (i < 0) Fail(a.line, "the dialog has no control " + std::to_string(a.id));
    if (fits && !fits(dialog, i)) Fail(a.line, "control " + std::to_string(a.id) + " " + what);
    return i;
  };
  switch (a.kind) {
    case ScriptAction::kSet: {
      int i = control(
          [](CDialog& d, int i) {
            return d.Template().controls[i].kind == ControlKind::Edit && d.State(i).enabled;
          },
          "is not an enabled edit");
      dialog.InputText(i, a.text);
      break;
    }
    case ScriptAction::kFocus:
      dialog.SetFocusIndex(control([](CDialog& d, int i) { return d.CanFocus(i); }, "cannot take the focus"));
      break;
    case ScriptAction::kKey: dialog.KeyDown(a.key, a.shift, a.ctrl, a.alt); break;
    case ScriptAction::kClick:
      control(
          [](CDialog& d, int i) {
            return d.Template().controls[i].kind == ControlKind::PushButton && d.State(i).enabled;
          },
          "is not an enabled button");
      dialog.Click(a.id);
      break;
    case ScriptAction::kClose: dialog.Close(); break;
    case ScriptAction::kExpectFocus: {
      Json focus = FocusId(dialog);
      if (focus != Json(a.id))
        Fail(a.line, "expected the focus on " + std::to_string(a.id) + ", it is on " + focus.dump());
      break;
    }
    case ScriptAction::kExpectText: {
      int i = control(nullptr, "");
      if (dialog.State(i).text != a.text)
        Fail(a.line, "expected the text of " + std::to_string(a.id) + " to be \"" + Utf8(a.text) +
                         "\", it is \"" + Utf8(dialog.State(i).text) + "\"");
      break;
    }
    case ScriptAction::kAnswer: Fail(a.line, "no message box is on screen");
    case ScriptAction::kSave:
    case ScriptAction::kCancel: Fail(a.line, "no file dialog is on screen");
    case ScriptAction::kMalformed: Fail(a.line, a.error);
  }
}

void ScriptBackend::DialogEnded(CDialog& /*dialog*/, int code) {
  Json j;
  j["event"] = "dialog-end";
  j["code"] = code;
  Write(EventLine(j));
}

int ScriptBackend::MessageBox(HWND owner, const char* text, const char* caption, UINT style) {
  Json j;
  j["event"] = "message";
  j["owner"] = owner ? "dialog" : "none";
  j["caption"] = Utf8(caption);
  j["text"] = Utf8(text);
  j["style"] = style;
  // The box is recorded before the script is asked, so that a script error
  // follows the box it was about.
  int answer = 0;
  std::string error;
  int error_line = 0;
  if (const ScriptAction* a = TakeAnswer(&error_line, &error)) {
    if (a->kind != ScriptAction::kAnswer)
      error = "a message box is on screen and needs an answer";
    else if (!BoxOffers(style, a->answer))
      error = std::string("the message box offers no \"") + AnswerName(a->answer) + "\"";
    else
      answer = a->answer;
  }
  j["answer"] = answer ? Json(AnswerName(answer)) : Json(nullptr);
  Write(EventLine(j));
  if (!answer) Fail(error_line, error);
  return answer;
}

bool ScriptBackend::FileSave(CDialog* /*owner*/, const FileDialogRequest& request, std::string* path) {
  Json j;
  j["event"] = "file-dialog";
  j["title"] = Utf8(request.title);
  j["folder"] = Utf8(request.folder);
  j["file"] = Utf8(request.file);
  j["ext"] = Utf8(request.ext);
  j["filter"] = Utf8(request.filter);
  j["flags"] = request.flags;
  std::string error;
  int error_line = 0;
  bool saved = false;
  if (const ScriptAction* a = TakeAnswer(&error_line, &error)) {
    if (a->kind == ScriptAction::kSave) {
      saved = true;
      *path = a->text;
    } else if (a->kind != ScriptAction::kCancel) {
      error = "the file dialog is on screen and needs save or cancel";
    }
  }
  j["result"] = saved ? Json(Utf8(*path)) : Json(nullptr);
  Write(EventLine(j));
  if (!error.empty()) Fail(error_line, error);
  return saved;
}

void ScriptBackend::ProcessStarted(const std::string& command, const std::string& folder, bool started) {
  Json j;
  j["event"] = "process";
  j["command"] = Utf8(command);
  j["folder"] = Utf8(folder);
  j["started"] = started;
  Write(EventLine(j));
}

void ScriptBackend::ShowLog(const std::string& /*host_path*/, bool /*wait*/) {
  // Nobody looks at the log in an automated run: the viewer counts as closed
  // at once. Its start is in the transcript already.
}

bool ReadScriptFile(const char* file, std::string* script, std::string* error) {
  script->clear();
  if (!file || !file[0]) {
    *error = "no script: set ZEL_UI_SCRIPT to the script file";
    return false;
  }
  // Looked at before it is opened: opening a FIFO without a writer would
  // wait for ever, and a device such as /dev/zero never ends.
  std::error_code ec;
  std::filesystem::file_status status = std::filesystem::status(win::HostFsPath(file), ec);
  const std::string named = std::string("ZEL_UI_SCRIPT=") + file;
  using std::filesystem::file_type;
  switch (status.type()) {
    case file_type::regular: break;
    case file_type::not_found: *error = named + ": there is no such file"; return false;
    case file_type::directory: *error = named + " is a folder, not a script file"; return false;
    case file_type::fifo: *error = named + " is a pipe (FIFO), not a script file"; return false;
    case file_type::character:
    case file_type::block: *error = named + " is a device, not a script file"; return false;
    default: *error = named + " is not a regular file"; return false;
  }
  std::ifstream in(win::HostFsPath(file), std::ios::binary);
  if (!in.is_open()) {
    *error = "cannot read the script " + std::string(file);
    return false;
  }
  // One byte more than allowed tells a script that is too long (also one
  // that grew after it was looked at).
  script->resize(kMaxScriptBytes + 1);
  in.read(script->data(), static_cast<std::streamsize>(script->size()));
  script->resize(static_cast<size_t>(in.gcount()));
  if (in.bad()) {
    *error = "cannot read the script " + std::string(file);
  } else if (script->size() > kMaxScriptBytes) {
    *error = named + " is longer than a script may be (1 MiB)";
  } else {
    return true;
  }
  script->clear();
  return false;
}

std::unique_ptr<Backend> MakeScriptBackend(std::string* /*why*/) {
  std::string file, script, error;
  // Read as UTF-8 (through the wide environment on Windows).
  const bool set = win::GetEnvUtf8("ZEL_UI_SCRIPT", &file);
  ReadScriptFile(set ? file.c_str() : nullptr, &script, &error);
  return std::make_unique<ScriptBackend>(script, TakeStandardOutput(), stderr, error);
}

}  // namespace ui

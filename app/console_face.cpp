#include "app/console_face.h"

#include <cctype>
#include <deque>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "platform/forms.h"
#include "platform/kernel.h"
#include "platform/messages.h"
#include "platform/thread.h"
#include "platform/ui_console.h"

namespace {

// Posted to the face's hidden window once for every line (and once for the
// end of input) the reader has queued. A hidden window rather than a thread
// message, because the component's own pumps inside Play and Record
// dispatch window messages only.
constexpr UINT WM_CONSOLE_LINE = WM_APP + 1;

struct ButtonCommand {
  const char* word;
  const char* button;
  const char* help;
};

struct EditCommand {
  const char* word;
  const char* edit;
  const char* help;
};

constexpr ButtonCommand kButtonCommands[] = {
    {"open", "bbtnOpenTAPI", "open a line device (Open Tapi Device)"},
    {"call", "bbtnCall", "make a call; asks for the number (Make A Call)"},
    {"answer", "bbtnAnswerTAPI", "answer the current call (Answer Call)"},
    {"hangup", "bbtnHangupTAPI", "hang up the current call (Hangup Call)"},
    {"play", "bbtnPlaySoundTAPI", "play the WAV file into the call (Play a Sound)"},
    {"record", "bbtnRecordTAPI", "record the call into the WAV file (Record a Msg)"},
    {"stop", "bbtnStopRecordTAPI", "stop the recording (Stop Recording)"},
};

constexpr EditCommand kEditCommands[] = {
    {"wav", "edtTestWav", "show or set the WAV file; 'wav -' empties it"},
    {"max", "edtMaxRecordTime", "show or set the maximum recording seconds"},
};

AnsiString Lower(AnsiString text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

template <class Control>
Control* FindControl(const TCustomForm& form, const AnsiString& name) {
  for (TControl* c : form.Controls())
    if (c->Name == name) return dynamic_cast<Control*>(c);
  return nullptr;
}

// The lines between the reader thread and the main thread. Shared, because
// a reader blocked on the terminal cannot be joined and outlives the face.
class InputLines {
 public:
  enum class Next { Line, End, Nothing };

  InputLines() : ready_(CreateEvent(nullptr, TRUE, FALSE, nullptr)) {}
  ~InputLines() { CloseHandle(ready_); }

  // Signalled while a line or the end of input waits.
  HANDLE Ready() const { return ready_; }

  // False once the face has stopped listening.
  bool Push(AnsiString line) {
    std::lock_guard lock(mutex_);
    if (stopped_) return false;
    lines_.push_back(std::move(line));
    SetEvent(ready_);
    return true;
  }
  void End() {
    std::lock_guard lock(mutex_);
    ended_ = true;
    SetEvent(ready_);
  }
  void Stop() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }

  // The end of input is never taken away: every later read sees it too.
  Next Take(AnsiString& line) {
    std::lock_guard lock(mutex_);
    if (!lines_.empty()) {
      line = std::move(lines_.front());
      lines_.pop_front();
      if (lines_.empty() && !ended_) ResetEvent(ready_);
      return Next::Line;
    }
    return ended_ ? Next::End : Next::Nothing;
  }

 private:
  std::mutex mutex_;
  std::deque<AnsiString> lines_;
  bool ended_ = false;
  bool stopped_ = false;
  HANDLE ready_;
};

void ReadLines(std::shared_ptr<InputLines> input, std::istream& stream, HWND doorbell) {
  std::string line;
  while (std::getline(stream, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!input->Push(line)) return;
    PostMessage(doorbell, WM_CONSOLE_LINE, 0, 0);
  }
  input->End();
  PostMessage(doorbell, WM_CONSOLE_LINE, 0, 0);
}

class ConsoleFace {
 public:
  ConsoleFace(std::istream& stream, TConsoleUI& ui) : stream_(stream), ui_(ui) {}

  void Run(const std::function<std::unique_ptr<TCustomForm>()>& createMainForm) {
    doorbell_ = AllocateHWnd([this](UINT message, WPARAM, LPARAM) { return OnMessage(message); });
    ui_.SetLineReader([this] { return ReadPromptLine(); });
    ui_.SetFormRenderer("TfrmTAPIDevList", RenderDeviceListOnConsole);
    std::thread reader(ReadLines, input_, std::ref(stream_), doorbell_);

    try {
      form_ = createMainForm();
    } catch (const std::exception& e) {
      ShowException(e);
    }
    if (form_) {
      WatchMemos();
      ui_.Print(form_->Caption + ": type 'help' for the commands.");
      Loop();
    }

    input_->Stop();
    // The terminal cannot be interrupted; the process ends around a reader
    // still blocked on it. Any other stream never blocks, so its reader is
    // waited for and stops touching the stream before the caller drops it.
    if (&stream_ == &std::cin) {
      reader.detach();
    } else {
      reader.join();
    }
    MSG msg;
    while (PeekMessage(&msg, doorbell_, 0, 0, PM_REMOVE)) {
    }
    DeallocateHWnd(doorbell_);
    ui_.SetLineReader(nullptr);
  }

 private:
  void Loop() {
    while (form_) {
      MSG msg;
      if (!GetMessage(&msg, 0, 0, 0)) {
        RequestClose(true);
        continue;
      }
      HandleMessage(msg);
      if (form_) CloseIfPending();
    }
  }

  LRESULT OnMessage(UINT message) {
    if (message != WM_CONSOLE_LINE || !form_) return 0;
    ++lineDepth_;
    struct Leave {
      int& depth;
      ~Leave() { --depth; }
    } leave{lineDepth_};
    // A prompt is reading its answer: the line is the prompt's, and the
    // command that would follow it waits until the prompt has its answer.
    if (promptDepth_ > 0) {
      ++deferredLines_;
      return 0;
    }
    AnsiString line;
    switch (input_->Take(line)) {
      case InputLines::Next::Line:
        HandleLine(line);
        break;
      case InputLines::Next::End:
        if (!endOfInput_) {
          endOfInput_ = true;
          RequestClose(true);
        }
        break;
      case InputLines::Next::Nothing:
        break;
    }
    return 0;
  }

  void HandleLine(const AnsiString& raw) {
    const AnsiString line = Trim(raw);
    if (line.empty()) return;
    const std::size_t space = line.find_first_of(" \t");
    const AnsiString word = Lower(line.substr(0, space));
    const AnsiString argument = space == AnsiString::npos ? AnsiString() : Trim(line.substr(space));

    if (word == "help" || word == "?") return PrintHelp();
    if (word == "quit" || word == "exit") return RequestClose(false);
    for (const ButtonCommand& c : kButtonCommands)
      if (word == c.word) return Press(c.button);
    for (const EditCommand& c : kEditCommands)
      if (word == c.word) return Edit(c, argument);
    ui_.Print("Unknown command '" + word + "'; type 'help' for the commands.");
  }

  void PrintHelp() {
    ui_.Print("Commands:");
    for (const ButtonCommand& c : kButtonCommands) ui_.Print("  " + Pad(c.word) + c.help);
    for (const EditCommand& c : kEditCommands) ui_.Print("  " + Pad(AnsiString(c.word) + " [value]") + c.help);
    ui_.Print("  " + Pad("help") + "this list");
    ui_.Print("  " + Pad("quit") + "save the settings and leave (end of input does the same)");
  }

  static AnsiString Pad(AnsiString text) {
    text.resize(std::max<std::size_t>(text.size() + 1, 14), ' ');
    return text;
  }

  void Press(const char* name) {
    TBitBtn* button = FindControl<TBitBtn>(*form_, name);
    if (!button) {
      ui_.Print(AnsiString("This window has no button ") + name + ".");
      return;
    }
    form_->ClickButton(*button);
    CloseIfPending();
  }

  void Edit(const EditCommand& command, const AnsiString& argument) {
    TEdit* edit = FindControl<TEdit>(*form_, command.edit);
    if (!edit) {
      ui_.Print(AnsiString("This window has no field ") + command.edit + ".");
      return;
    }
    if (argument == "-") {
      edit->Text.clear();
    } else if (!argument.empty()) {
      edit->Text = argument;
    }
    ui_.Print(AnsiString(command.word) + ": " + edit->Text);
  }

  // Closing waits for a running command, as the window does: a quit typed
  // while Record waits is carried out when Record has returned.
  // Form code is on the stack: a click, or a handler of some other message
  // that serves the queue while it waits (this line's own dispatch aside).
  bool FormCodeRunning() const { return form_->BusyDepth() > 0 || platform::DispatchDepth() > lineDepth_; }

  void RequestClose(bool endOfInput) {
    if (FormCodeRunning()) {
      if (!closePending_) ui_.Print("Closing when the running command has finished.");
      closePending_ = true;
      closeForced_ = closeForced_ || endOfInput;
      return;
    }
    Close(endOfInput);
  }

  void CloseIfPending() {
    if (closePending_ && form_ && !FormCodeRunning()) {
      closePending_ = false;
      Close(closeForced_);
    }
  }

  // At the end of input nobody is left to type another quit, so a form that
  // refuses to close is destroyed all the same.
  void Close(bool force) {
    if (!form_->CloseQuery() && !force) {
      ui_.Print("The window did not agree to close.");
      return;
    }
    for (Watched& w : watched_) w.strings->OnChange = std::move(w.previous);
    watched_.clear();
    form_.reset();
  }

  void WatchMemos() {
    for (TControl* control : form_->Controls()) {
      auto* memo = dynamic_cast<TMemo*>(control);
      if (!memo) continue;
      TStrings* lines = &memo->Lines;
      auto printed = std::make_shared<int>(lines->Count());
      std::function<void()> previous = lines->OnChange;
      watched_.push_back({lines, previous});
      lines->OnChange = [this, lines, printed, previous] {
        if (previous) previous();
        if (lines->Count() < *printed) *printed = 0;
        for (; *printed < lines->Count(); ++*printed) ui_.Print(lines->Strings(*printed));
      };
    }
  }

  // The answer to a prompt or dialog: the next input line. While it waits,
  // the main thread goes on serving calls from workers and the queue's
  // messages, as a modal dialog's loop does; lines arriving meanwhile are
  // kept for after the prompt.
  std::optional<AnsiString> ReadPromptLine() {
    ++promptDepth_;
    std::optional<AnsiString> answer;
    for (;;) {
      AnsiString line;
      const InputLines::Next next = input_->Take(line);
      if (next == InputLines::Next::Line) {
        answer = line;
        break;
      }
      if (next == InputLines::Next::End) break;
      HANDLE handles[3] = {input_->Ready(), platform::SyncEvent(), platform::QueueEventForCurrentThread()};
      const DWORD woke = WaitForMultipleObjects(3, handles, FALSE, INFINITE);
      try {
        if (woke == WAIT_OBJECT_0 + 1) {
          platform::CheckSynchronize();
        } else if (woke == WAIT_OBJECT_0 + 2) {
          DispatchOne();
        }
      } catch (const std::exception& e) {
        ShowException(e);
      }
    }
    if (--promptDepth_ == 0) {
      for (; deferredLines_ > 0; --deferredLines_) PostMessage(doorbell_, WM_CONSOLE_LINE, 0, 0);
      if (quitDeferred_) {
        quitDeferred_ = false;
        PostQuitMessage(0);
      }
    }
    return answer;
  }

  void DispatchOne() {
    MSG msg;
    if (!PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) return;
    if (msg.message == WM_QUIT) {
      quitDeferred_ = true;
      return;
    }
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }

  struct Watched {
    TStrings* strings;
    std::function<void()> previous;
  };

  std::istream& stream_;
  TConsoleUI& ui_;
  std::shared_ptr<InputLines> input_ = std::make_shared<InputLines>();
  HWND doorbell_ = 0;
  std::unique_ptr<TCustomForm> form_;
  std::vector<Watched> watched_;
  int promptDepth_ = 0;
  int deferredLines_ = 0;
  bool quitDeferred_ = false;
  bool endOfInput_ = false;
  bool closePending_ = false;
  int lineDepth_ = 0;  // input lines being handled, nested ones included
  bool closeForced_ = false;
};

}  // namespace

int RunConsoleFace(std::istream& input, const std::function<std::unique_ptr<TCustomForm>()>& createMainForm) {
  auto ui = std::make_unique<TConsoleUI>();
  TConsoleUI& console = *ui;
  std::unique_ptr<TUserInteraction> previous = platform::SetUI(std::move(ui));
  {
    ConsoleFace face(input, console);
    face.Run(createMainForm);
  }
  platform::SetUI(std::move(previous));
  return 0;
}

int RenderDeviceListOnConsole(TCustomForm& form, TConsoleUI& ui) {
  auto* list = FindControl<TListBox>(form, "lbTAPIDevList");
  TBitBtn* ok = FindControl<TBitBtn>(form, "bbtnOk");
  TBitBtn* cancel = FindControl<TBitBtn>(form, "bbtnCancel");
  const int count = list ? list->Items.Count() : 0;

  ui.Print(form.Caption + ":");
  for (int i = 0; i < count; ++i) ui.Print("  " + IntToStr(i) + ": " + list->Items[i]);
  // Pressing goes through the form's buttons, so their handlers and modal
  // results are the dialog's own; the close query then has its say.
  auto press = [&form](TBitBtn* button, int result) {
    if (button) form.ClickButton(*button);
    if (form.ModalResult == mrNone) form.ModalResult = result;
  };
  for (;;) {
    form.ModalResult = mrNone;
    ui.Print(count > 0 ? "Device number, 'ok' or 'cancel':" : "'ok' or 'cancel':");
    const std::optional<AnsiString> read = ui.ReadLine();
    const AnsiString answer = read ? Lower(Trim(*read)) : AnsiString("cancel");
    if (answer.empty()) continue;
    if (answer == "cancel" || answer == "c" || answer == ".") {
      press(cancel, mrCancel);
    } else if (answer == "ok") {
      press(ok, mrOk);
    } else {
      const int picked = StrToIntDef(answer, -1);
      if (picked < 0 || picked >= count || answer.find_first_not_of("0123456789") != AnsiString::npos) {
        ui.Print("No device '" + answer + "'.");
        continue;
      }
      list->ItemIndex = picked;
      press(ok, mrOk);
    }
    if (form.CloseQuery()) return form.ModalResult;
    // Nobody is left to answer: the dialog closes cancelled.
    if (!read) return mrCancel;
  }
}

// The headless backend: an off-screen client area, input from a script checked before the
// run, message boxes written to messages.jsonl and answered OK, shots written as PNG files.
// It shows no soft-key bar: F1 and F2 go to the calendar as other keys do.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <utility>

#include "platform/canvas/pixels/pixel_canvas.h"
#include "platform/headless/headless_script.h"
#include "platform/instance/single_instance.h"
#include "platform/modules/headless.h"
#include "platform/text/json_text.h"
#include "platform/ui/front_end.h"
#include "platform/ui/program_window.h"

namespace {

constexpr std::size_t kMaxScriptBytes = std::size_t{16} << 20;
constexpr int kExitFailed = 1;  // the run could not write its output
constexpr int kExitUsage = 2;   // the run was asked for wrongly

// The day reports and the month colours are health data: every output file is the user's
// alone (0600), whatever the umask and whatever mode a file of the same name had.
int OpenPrivate(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd >= 0 && ::fchmod(fd, 0600) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

// An output file written line by line; each line reaches the file before the next input.
class LineFile {
 public:
  LineFile() = default;
  ~LineFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  LineFile(const LineFile&) = delete;
  LineFile& operator=(const LineFile&) = delete;

  bool Open(const std::string& path, std::string* error) {
    path_ = path;
    const int fd = OpenPrivate(path, O_TRUNC);
    file_ = fd >= 0 ? ::fdopen(fd, "w") : nullptr;
    if (file_ == nullptr) *error = "cannot write '" + path + "': " + std::strerror(errno);
    if (file_ == nullptr && fd >= 0) ::close(fd);
    return file_ != nullptr;
  }
  bool IsOpen() const { return file_ != nullptr; }
  // False (with *error set) when the line could not be written.
  bool Append(const std::string& line, std::string* error) {
    if (std::fputs(line.c_str(), file_) < 0 || std::fputc('\n', file_) == EOF ||
        std::fflush(file_) != 0) {
      *error = "cannot write '" + path_ + "': " + std::strerror(errno);
      return false;
    }
    return true;
  }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
};

bool WriteShot(const Canvas& canvas, const std::string& path, std::string* error);

class HeadlessBackend final : public UiFrontEnd {
 public:
  HeadlessBackend(const HeadlessOptions& options, std::vector<ScriptCommand> commands,
                  std::string out_dir)
      : width_(options.width),
        height_(options.height),
        commands_(std::move(commands)),
        out_dir_(std::move(out_dir)) {}

  std::unique_ptr<Canvas> MakeCanvas(int width, int height) override {
    return MakePixelCanvas(width, height);
  }

  bool OpenOutput(bool single_instance, std::string* error) {
    return messages_.Open(out_dir_ + "/messages.jsonl", error) &&
           (!single_instance || events_.Open(out_dir_ + "/events.jsonl", error));
  }
  bool Failed() const { return failed_; }

  ClientSize DefaultClientSize() const override { return ClientSize{width_, height_}; }
  void WindowShown(ProgramWindow& window) override { window_ = &window; }
  void WindowClosed(ProgramWindow& window) override {
    if (&window == window_) window_ = nullptr;
  }

  bool ShowsSoftKeys() const override { return false; }

  // A box is written when it is first presented and answered OK before the next line.
  void Present(const Canvas*, ModalModel& modal, bool) override {
    if (modal.showing() != ModalModel::Showing::kMessageBox || modal.box_number() == written_box_) {
      return;
    }
    written_box_ = modal.box_number();
    Write(messages_, MessageBoxJson(modal.caption(), modal.text()));
    answer_box_ = true;
  }

  void ComeForward() override {
    if (events_.IsOpen()) Write(events_, "{\"event\": \"foreground\"}");
  }

  bool WaitEvents(std::vector<UiEvent>* events) override {
    if (std::exchange(answer_box_, false)) {
      events->push_back(KeyDownEvent(Key::kEnter));
      events->push_back(KeyUpEvent(Key::kEnter));
      return true;
    }
    if (next_ >= commands_.size()) return false;
    Run(commands_[next_++], events);
    return true;
  }

 private:
  void Write(LineFile& file, const std::string& line) {
    std::string error;
    if (!file.Append(line, &error)) Fail(error);
  }
  void Fail(const std::string& error) {
    std::fprintf(stderr, "cyclune: %s\n", error.c_str());
    failed_ = true;
  }
  void Run(const ScriptCommand& command, std::vector<UiEvent>* events);
  void Shoot(const ScriptCommand& command);

  int width_;
  int height_;
  std::vector<ScriptCommand> commands_;
  std::size_t next_ = 0;
  ProgramWindow* window_ = nullptr;  // the window shown
  std::string out_dir_;
  LineFile messages_;
  LineFile events_;
  int written_box_ = 0;
  bool answer_box_ = false;
  bool failed_ = false;
};

// The line's input for the loop; a resize and a shot are the runner's own.
void HeadlessBackend::Run(const ScriptCommand& command, std::vector<UiEvent>* events) {
  switch (command.kind) {
    case ScriptCommand::Kind::kKey:
      if (const Key key = KeyOfCode(command.first); key != Key::kNone) {
        events->push_back(KeyDownEvent(key));
        events->push_back(KeyUpEvent(key));
      }
      break;
    case ScriptCommand::Kind::kTap: {
      const auto x = static_cast<int>(command.first);
      const auto y = static_cast<int>(command.second);
      events->push_back(PointerDownEvent(ModalHit{ModalHit::Place::kClient, 0, x, y}));
      events->push_back(PointerUpEvent(x, y));
      break;
    }
    case ScriptCommand::Kind::kCommand:
      events->push_back(CommandEvent(command.first));
      break;
    case ScriptCommand::Kind::kResize:
      if (window_ != nullptr &&
          !window_->Resize(static_cast<int>(command.first), static_cast<int>(command.second))) {
        Fail("script line " + std::to_string(command.line) + ": the resize failed");
      }
      events->push_back(EventOf(UiEvent::Kind::kResized));
      break;
    case ScriptCommand::Kind::kShot:
      Shoot(command);
      break;
  }
}

void HeadlessBackend::Shoot(const ScriptCommand& command) {
  const std::string path = out_dir_ + "/" + command.name + ".png";
  const Canvas* canvas = window_ != nullptr ? window_->canvas() : nullptr;
  std::string error;
  if (canvas == nullptr) {
    error = "there is no window";
  } else if (canvas->Width() == 0 || canvas->Height() == 0) {
    error = "the client area is empty";
  } else if (WriteShot(*canvas, path, &error)) {
    return;
  }
  Fail("script line " + std::to_string(command.line) + ": cannot write '" + path + "': " + error);
}

// The picture goes to a private file of its own beside `path` and takes the name only once
// it is whole, so a shot cut short (a full disk, a file-size limit) never stands under the
// name. False with *error set, the partial file removed.
bool WriteShot(const Canvas& canvas, const std::string& path, std::string* error) {
  const std::size_t slash = path.rfind('/');
  std::string temporary = path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0 || ::fchmod(fd, 0600) != 0) {
    if (fd >= 0) {
      ::close(fd);
      ::unlink(temporary.c_str());
    }
    *error = std::strerror(errno);
    return false;
  }
  bool written = WritePixelCanvasPng(canvas, fd, error);
  if (::close(fd) != 0 && written) {
    *error = std::strerror(errno);
    written = false;
  }
  if (written && ::rename(temporary.c_str(), path.c_str()) != 0) {
    *error = std::strerror(errno);
    written = false;
  }
  if (!written) ::unlink(temporary.c_str());
  return written;
}

// Ended by its Finish function alone: an exit() from deep inside leaves it as it is.
HeadlessBackend* g_headless = nullptr;
// What SIGXFSZ did before the run: during it a file-size limit fails the write, which is
// reported, instead of ending the process with a file cut short.
struct sigaction g_file_size_action {};

bool ReadScript(const std::string& source, std::string* text, std::string* error) {
  const bool from_stdin = source.empty() || source == "-";
  std::ifstream file;
  if (!from_stdin) {
    file.open(source, std::ios::binary);
    if (!file) {
      *error = "cannot read script '" + source + "': " + std::strerror(errno);
      return false;
    }
  }
  std::istream& in = from_stdin ? std::cin : file;
  text->clear();
  char chunk[65536];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    text->append(chunk, static_cast<std::size_t>(in.gcount()));
    if (text->size() > kMaxScriptBytes) {
      *error = "script longer than 16 MiB";
      return false;
    }
  }
  if (in.bad()) {
    *error = "cannot read script '" + (from_stdin ? std::string("-") : source) + "'";
    return false;
  }
  return true;
}

bool ValidSize(int width, int height) {
  return width >= 0 && height >= 0 && width <= static_cast<int>(kMaxClientSide) &&
         height <= static_cast<int>(kMaxClientSide);
}

}  // namespace

UiFrontEnd* StartHeadless(const HeadlessOptions& options, std::string* error, int* exit_status) {
  int ignored = 0;
  int& status = exit_status != nullptr ? *exit_status : ignored;
  status = kExitUsage;
  if (!ValidSize(options.width, options.height)) {
    *error = "client size out of range (0 to 8192 pixels each way)";
    return nullptr;
  }
  std::string text;
  std::vector<ScriptCommand> commands;
  if (!ReadScript(options.script, &text, error) || !ParseScript(text, &commands, error)) {
    return nullptr;
  }
  status = kExitFailed;  // from here on the run is sound; writing its output failed
  const std::string out_dir = options.out_dir.empty() ? "." : options.out_dir;
  std::error_code code;
  std::filesystem::create_directories(out_dir, code);
  if (code || !std::filesystem::is_directory(out_dir)) {
    *error = "cannot create output directory '" + out_dir + "'" +
             (code ? ": " + code.message() : std::string());
    return nullptr;
  }
  auto backend = std::make_unique<HeadlessBackend>(options, std::move(commands), out_dir);
  if (!backend->OpenOutput(options.single_instance, error)) return nullptr;
  delete g_headless;
  g_headless = backend.release();
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &g_file_size_action);
  EnableSingleInstance(options.single_instance);
  status = 0;
  return g_headless;
}

int FinishHeadless(int run_result) {
  const bool failed = g_headless != nullptr && g_headless->Failed();
  if (g_headless != nullptr) sigaction(SIGXFSZ, &g_file_size_action, nullptr);
  delete std::exchange(g_headless, nullptr);
  const int status = ReportSecondStart(run_result);
  ReleaseSingleInstance();
  EnableSingleInstance(false);
  return status == 0 && failed ? kExitFailed : status;
}

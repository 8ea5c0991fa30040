#pragma once

// A recording fake of the platform interfaces. Every call that changes something is logged in
// order as one line ("w1.SetTopmost(1)", "ApplyTransparency(w1,200)"), and the state the
// callers rely on is simulated, so tests can drive a window like a user and read back exactly
// what reached the desktop.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ini_file_store.h"
#include "platform/autorun.h"
#include "platform/desktop.h"
#include "platform/process.h"

namespace nimbrel::fake {

using CallLog = std::vector<std::string>;

// Thrown by FakeProcess::Exit: the process would end here.
struct ProcessExit {
  int exitCode;
};

class FakeDesktop;

struct ControlState {
  ControlDefinition definition;
  bool checked = false;
  Text text;
  std::vector<Text> rows;
  int sliderPosition = 0;
  bool timerEnabled = false;
  Text webAddress;
};

class FakeWindow final : public Window {
 public:
  FakeWindow(FakeDesktop& desktop, std::string name, NativeHandle handle,
             WindowDefinition definition, EventBindings bindings);

  // Window
  NativeHandle WindowHandle() const override { return open_ ? handle_ : 0; }
  bool IsOpen() const override { return open_; }
  int GetWindowLeft() const override { return left_; }
  int GetWindowTop() const override { return top_; }
  int GetWindowWidth() const override { return open_ ? definition_.width : 0; }
  int GetWindowHeight() const override { return open_ ? definition_.height : 0; }
  void SetWindowLeft(int left) override;
  void SetWindowTop(int top) override;
  void SetTopmost(bool on) override;
  void BeginWindowDrag() override;
  void ShowTrayIcon(const Bytes& iconImage, const Text& tip) override;
  void RemoveTrayIcon() override;
  bool HasTrayIcon() const override { return trayIcon_; }
  void PopupMenuAtCursor(int menuItem) override;
  void SetMenuChecked(int menuItem, bool checked) override;
  bool MenuChecked(int menuItem) const override;
  void SetChecked(ControlId control, bool checked) override;
  bool Checked(ControlId control) const override;
  void SetText(ControlId control, const Text& text) override;
  Text GetText(ControlId control) const override;
  void AddListRow(ControlId control, const Text& row) override;
  void ResetList(ControlId control) override;
  void SetSliderPosition(ControlId control, int position) override;
  void EnableTimer(ControlId control, bool enabled) override;
  void SetWebAddress(ControlId control, const Text& address) override;
  void Show() override;
  void RestoreOrActivate() override;
  void PostPrivate() override;
  void Destroy() override;
  void RunModal() override;

  // What a user or the system does; each raises the event the realisation would raise.
  void Click(ControlId control);  // a check box toggles first
  void ChooseRow(ControlId control, std::size_t row);
  void MoveSlider(ControlId control, int position);
  void Tick(ControlId timer);  // only reaches the handler while the timer is enabled
  void PressLeft(int x = 0, int y = 0, ModifierKeys keys = {});
  void PressRight(int x = 0, int y = 0, ModifierKeys keys = {});
  void TrayEvent(TrayIconKind kind);
  void EndSession();
  void PressEscape() { Close(); }

  // What the tests ask and do beyond the Window interface.
  int SliderPosition(ControlId control) const;
  bool IsEnabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  void Close();  // a close request, always granted

  const std::string& name() const { return name_; }
  const WindowDefinition& definition() const { return definition_; }
  const ControlState& control(ControlId id) const;
  bool visible() const { return visible_; }
  bool topmost() const { return topmost_; }
  // The items the last popup showed: "text" with a leading "*" when ticked, "-" separators.
  const std::vector<std::string>& lastPopup() const { return lastPopup_; }

  // Raises an event through the bindings, as the realisation does, honouring the gate.
  void Raise(Event event);
  void FinishCreation();

 private:
  friend class FakeDesktop;
  ControlState& MutableControl(ControlId id);
  void Log(const std::string& call);
  void DeliverPostedPrivate();
  void Press(EventKind kind, int x, int y, ModifierKeys keys);

  FakeDesktop& desktop_;
  std::string name_;
  NativeHandle handle_;
  WindowDefinition definition_;
  EventBindings bindings_;
  std::map<ControlId, ControlState> controls_;
  std::vector<bool> menuChecked_;
  std::vector<std::string> lastPopup_;
  bool open_ = true;
  bool creating_ = true;
  bool visible_ = false;
  bool enabled_ = true;
  bool topmost_ = false;
  bool trayIcon_ = false;
  bool destroying_ = false;
  int privatePosted_ = 0;
  int left_ = 0;
  int top_ = 0;
  std::vector<std::pair<FakeWindow*, bool>> disabledByModal_;
};

class FakeDesktop final : public Desktop {
 public:
  static constexpr NativeHandle kDesktopHost = 0xD35C;

  explicit FakeDesktop(CallLog& log) : log_(log) {}

  bool CreateOwnerToolWindow() override;
  std::shared_ptr<Window> CreateWindowFrom(const WindowDefinition& definition,
                                           EventBindings bindings) override;
  ScreenSizePixels ScreenSize() const override { return screen; }
  bool OverlapsAMonitor(const ScreenRectPixels& rect) const override;
  std::uint32_t GetExStyle(NativeHandle window) const override;
  std::uint32_t SetExStyle(NativeHandle window, std::uint32_t exStyle) override;
  int ApplyTransparency(NativeHandle window, std::optional<int> alpha) override;
  NativeHandle FindDesktopHost() const override;
  NativeHandle SetWindowParent(NativeHandle child, NativeHandle parent) override;
  void RunMessageLoop() override;
  void CloseHandlerGate() override;
  void DestroyAllWindows() override;

  // Test controls.
  ScreenSizePixels screen{1024, 768};
  // Monitors besides the primary one, which covers `screen` from (0, 0).
  std::vector<ScreenRectPixels> otherMonitors;
  bool hasDesktopHost = true;
  bool failWindowCreation = false;
  std::optional<std::pair<int, int>> dragTo;  // where the next drag leaves the window
  std::deque<int> popupChoices;               // items chosen in the next popups
  // Runs inside each RunModal, in order: the user's actions while a modal window is open.
  std::deque<std::function<void(FakeWindow&)>> modalActions;
  // Runs inside RunMessageLoop: the user's actions during the program's life.
  std::function<void()> messageLoopActions;

  FakeWindow* window(const std::string& name) const;
  FakeWindow* windowByHandle(NativeHandle handle) const;
  std::uint32_t exStyle(NativeHandle handle) const {
    return exStyles_.count(handle) ? exStyles_.at(handle) : 0;
  }
  std::optional<int> alpha(NativeHandle handle) const;
  NativeHandle parent(NativeHandle handle) const {
    return parents_.count(handle) ? parents_.at(handle) : 0;
  }
  bool gateClosed() const { return gateClosed_; }
  std::string NameOf(NativeHandle handle) const;
  void Log(const std::string& call) { log_.push_back(call); }
  const std::vector<std::shared_ptr<FakeWindow>>& windows() const { return windows_; }

 private:
  CallLog& log_;
  std::vector<std::shared_ptr<FakeWindow>> windows_;
  std::map<NativeHandle, std::uint32_t> exStyles_;
  std::map<NativeHandle, int> alphas_;
  std::map<NativeHandle, NativeHandle> parents_;
  bool gateClosed_ = false;
  NativeHandle nextHandle_ = 0x1001;
};

class FakeProcess final : public Process {
 public:
  FakeProcess(CallLog& log, Text modulePath) : log_(log), modulePath_(std::move(modulePath)) {}
  bool ClaimSingleInstance() override;
  void InitializeOle() override { log_.push_back("InitializeOle"); }
  void UninitializeOle() override { log_.push_back("UninitializeOle"); }
  Text ModulePath() const override { return modulePath_; }
  void SetCurrentDirectory(const Text& directory) override;
  void ShowErrorMessage(const Text& message) override;
  [[noreturn]] void Exit(int exitCode) override;

  bool anotherInstanceRunning = false;

 private:
  CallLog& log_;
  Text modulePath_;
};

class FakeAutorun final : public Autorun {
 public:
  explicit FakeAutorun(CallLog& log) : log_(log) {}
  int RegisterAutorun(const Text& name, const Text& executablePath) override;
  int UnregisterAutorun(const Text& name) override;

 private:
  CallLog& log_;
};

// The portable profile store on a real temporary directory. Windows paths ("dir\boot.ini")
// are mapped to the host's, and every write is logged ("Write(set,city,淮南)").
class RecordingProfileStore final : public ProfileStore {
 public:
  explicit RecordingProfileStore(CallLog& log) : log_(log) {}
  Text ReadString(const Text& file, const Text& section, const Text& key,
                  const Text& fallback) const override;
  bool WriteString(const Text& file, const Text& section, const Text& key,
                   const Text& value) override;

 private:
  static Text HostPath(const Text& file);
  CallLog& log_;
  IniFileStore store_;
};

}  // namespace nimbrel::fake

#include "tests/fake/fake_platform.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace nimbrel::fake {
namespace {

constexpr int kCoordinateLimit = 32627;

std::string Flag(bool value) {
  return value ? "1" : "0";
}

std::string Hex(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%X", static_cast<unsigned>(value));
  return buffer;
}

}  // namespace

FakeWindow::FakeWindow(FakeDesktop& desktop, std::string name, NativeHandle handle,
                       WindowDefinition definition, EventBindings bindings)
    : desktop_(desktop),
      name_(std::move(name)),
      handle_(handle),
      definition_(std::move(definition)),
      bindings_(std::move(bindings)) {
  for (const ControlDefinition& control : definition_.controls) {
    ControlState state;
    state.definition = control;
    state.text = control.text;
    state.sliderPosition = control.slider.position;
    state.timerEnabled = control.kind == ControlKind::kTimer;
    controls_[control.id] = state;
  }
  for (const MenuItemDefinition& item : definition_.menu) menuChecked_.push_back(item.checked);
  left_ = (desktop.screen.width - definition_.width) / 2;
  top_ = (desktop.screen.height - definition_.height) / 2;
  topmost_ = definition_.alwaysOnTop;
}

void FakeWindow::Log(const std::string& call) {
  desktop_.Log(name_ + "." + call);
}

ControlState& FakeWindow::MutableControl(ControlId id) {
  const auto found = controls_.find(id);
  if (found == controls_.end())
    throw std::out_of_range(name_ + " has no control " + std::to_string(id));
  return found->second;
}

const ControlState& FakeWindow::control(ControlId id) const {
  return const_cast<FakeWindow*>(this)->MutableControl(id);
}

void FakeWindow::Raise(Event event) {
  if (desktop_.gateClosed() || creating_) return;
  if (!open_ && event.kind != EventKind::kDestroying) return;
  event.window = this;
  if (const auto* handler = FindHandler(bindings_, event)) (*handler)(event);
}

void FakeWindow::FinishCreation() {
  creating_ = false;
  Raise(MakeEvent(EventKind::kCreated));
}

void FakeWindow::SetWindowLeft(int left) {
  Log("SetWindowLeft(" + std::to_string(left) + ")");
  if (open_) left_ = std::clamp(left, -kCoordinateLimit, kCoordinateLimit);
}

void FakeWindow::SetWindowTop(int top) {
  Log("SetWindowTop(" + std::to_string(top) + ")");
  if (open_) top_ = std::clamp(top, -kCoordinateLimit, kCoordinateLimit);
}

void FakeWindow::SetTopmost(bool on) {
  Log("SetTopmost(" + Flag(on) + ")");
  if (open_) topmost_ = on;
}

void FakeWindow::BeginWindowDrag() {
  Log("BeginWindowDrag");
  if (open_ && desktop_.dragTo) std::tie(left_, top_) = *desktop_.dragTo;
  desktop_.dragTo.reset();
}

void FakeWindow::ShowTrayIcon(const Bytes& iconImage, const Text& tip) {
  Log("ShowTrayIcon(" + tip + ")");
  if (open_) trayIcon_ = !iconImage.empty();
}

void FakeWindow::RemoveTrayIcon() {
  Log("RemoveTrayIcon");
  trayIcon_ = false;
}

void FakeWindow::PopupMenuAtCursor(int menuItem) {
  Log("PopupMenuAtCursor(" + std::to_string(menuItem) + ")");
  lastPopup_.clear();
  const auto& menu = definition_.menu;
  const int depth = menu.at(menuItem).depth;
  for (std::size_t i = menuItem + 1; i < menu.size() && menu[i].depth > depth; ++i) {
    if (menu[i].depth != depth + 1 || menu[i].hidden) continue;
    lastPopup_.push_back(menu[i].text == "-" ? "-" : (menuChecked_[i] ? "*" : "") + menu[i].text);
  }
  if (desktop_.popupChoices.empty()) return;
  const int choice = desktop_.popupChoices.front();
  desktop_.popupChoices.pop_front();
  Raise(MakeEvent(EventKind::kMenuCommand, choice));
}

void FakeWindow::SetMenuChecked(int menuItem, bool checked) {
  Log("SetMenuChecked(" + std::to_string(menuItem) + "," + Flag(checked) + ")");
  menuChecked_.at(menuItem) = checked;
}

bool FakeWindow::MenuChecked(int menuItem) const {
  return menuChecked_.at(menuItem);
}

void FakeWindow::SetChecked(ControlId control, bool checked) {
  Log("SetChecked(" + std::to_string(control) + "," + Flag(checked) + ")");
  MutableControl(control).checked = checked;
}

bool FakeWindow::Checked(ControlId control) const {
  return this->control(control).checked;
}

void FakeWindow::SetText(ControlId control, const Text& text) {
  Log("SetText(" + std::to_string(control) + "," + text + ")");
  MutableControl(control).text = text;
}

Text FakeWindow::GetText(ControlId control) const {
  return this->control(control).text;
}

void FakeWindow::AddListRow(ControlId control, const Text& row) {
  Log("AddListRow(" + std::to_string(control) + "," + row + ")");
  MutableControl(control).rows.push_back(row);
}

void FakeWindow::ResetList(ControlId control) {
  Log("ResetList(" + std::to_string(control) + ")");
  ControlState& state = MutableControl(control);
  state.rows.clear();
  state.text.clear();
}

void FakeWindow::SetSliderPosition(ControlId control, int position) {
  Log("SetSliderPosition(" + std::to_string(control) + "," + std::to_string(position) + ")");
  ControlState& state = MutableControl(control);
  state.sliderPosition =
      std::clamp(position, state.definition.slider.minimum, state.definition.slider.maximum);
}

int FakeWindow::SliderPosition(ControlId control) const {
  return this->control(control).sliderPosition;
}

void FakeWindow::EnableTimer(ControlId control, bool enabled) {
  Log("EnableTimer(" + std::to_string(control) + "," + Flag(enabled) + ")");
  MutableControl(control).timerEnabled = enabled;
}

void FakeWindow::SetWebAddress(ControlId control, const Text& address) {
  Log("SetWebAddress(" + std::to_string(control) + "," + address + ")");
  MutableControl(control).webAddress = address;
}

void FakeWindow::Show() {
  Log("Show");
  if (open_) visible_ = true;
}

void FakeWindow::RestoreOrActivate() {
  Log("RestoreOrActivate");
}

void FakeWindow::SetEnabled(bool enabled) {
  Log("SetEnabled(" + Flag(enabled) + ")");
  if (open_) enabled_ = enabled;
}

void FakeWindow::PostPrivate() {
  Log("PostPrivate");
  ++privatePosted_;
}

void FakeWindow::DeliverPostedPrivate() {
  while (privatePosted_ > 0) {
    --privatePosted_;
    if (open_) Raise(MakeEvent(EventKind::kPrivate));
  }
}

void FakeWindow::Close() {
  Log("Close");
  if (!open_) return;
  for (auto& [other, wasEnabled] : disabledByModal_) other->enabled_ = wasEnabled;
  disabledByModal_.clear();
  Destroy();
}

void FakeWindow::Destroy() {
  if (!open_ || destroying_) return;
  Log("Destroy");
  for (auto& [other, wasEnabled] : disabledByModal_) other->enabled_ = wasEnabled;
  disabledByModal_.clear();
  destroying_ = true;
  Raise(MakeEvent(EventKind::kDestroying));
  if (trayIcon_) RemoveTrayIcon();
  open_ = false;
  visible_ = false;
}

void FakeWindow::RunModal() {
  Log("RunModal");
  for (const auto& other : desktop_.windows()) {
    if (other.get() == this || !other->open_) continue;
    disabledByModal_.emplace_back(other.get(), other->enabled_);
    other->enabled_ = false;
  }
  if (!desktop_.modalActions.empty()) {
    auto action = std::move(desktop_.modalActions.front());
    desktop_.modalActions.pop_front();
    action(*this);
  }
  DeliverPostedPrivate();
  // The real loop would run until the user closes the window: do that for the test.
  if (open_) PressEscape();
}

void FakeWindow::Click(ControlId control) {
  ControlState& state = MutableControl(control);
  if (state.definition.kind == ControlKind::kCheckBox) state.checked = !state.checked;
  Raise(MakeEvent(EventKind::kClicked, control));
}

void FakeWindow::ChooseRow(ControlId control, std::size_t row) {
  ControlState& state = MutableControl(control);
  state.text = state.rows.at(row);
  Raise(MakeEvent(EventKind::kRowChosen, control));
}

void FakeWindow::MoveSlider(ControlId control, int position) {
  ControlState& state = MutableControl(control);
  state.sliderPosition =
      std::clamp(position, state.definition.slider.minimum, state.definition.slider.maximum);
  Raise(MakeEvent(EventKind::kPositionChanged, control, state.sliderPosition));
}

void FakeWindow::Tick(ControlId timer) {
  if (MutableControl(timer).timerEnabled) Raise(MakeEvent(EventKind::kTick, timer));
}

namespace {

// The first control that catches the mouse: a transparent label lying on top.
ControlId MouseTarget(const WindowDefinition& definition) {
  for (const ControlDefinition& control : definition.controls) {
    if (control.kind == ControlKind::kTransparentLabel) return control.id;
  }
  return kWindowItself;
}

}  // namespace

void FakeWindow::PressLeft(int x, int y, ModifierKeys keys) {
  Press(EventKind::kLeftPress, x, y, keys);
}

void FakeWindow::PressRight(int x, int y, ModifierKeys keys) {
  Press(EventKind::kRightPress, x, y, keys);
}

void FakeWindow::Press(EventKind kind, int x, int y, ModifierKeys keys) {
  // A disabled window or one the mouse passes through never sees the press.
  if (!enabled_ || (desktop_.exStyle(handle_) & style::kTransparent)) return;
  Event event = MakeEvent(kind, MouseTarget(definition_));
  event.x = x;
  event.y = y;
  event.keys = keys;
  Raise(event);
}

void FakeWindow::TrayEvent(TrayIconKind kind) {
  if (!trayIcon_) return;
  Event event = MakeEvent(EventKind::kTrayIcon);
  event.trayKind = kind;
  Raise(event);
}

void FakeWindow::EndSession() {
  Raise(MakeEvent(EventKind::kSessionEnding));
}

bool FakeDesktop::CreateOwnerToolWindow() {
  Log("CreateOwnerToolWindow");
  return true;
}

std::shared_ptr<Window> FakeDesktop::CreateWindowFrom(const WindowDefinition& definition,
                                                      EventBindings bindings) {
  if (failWindowCreation) {
    Log("CreateWindow failed");
    return nullptr;
  }
  const std::string name = "w" + std::to_string(windows_.size() + 1);
  Log("CreateWindow " + name);
  auto window =
      std::make_shared<FakeWindow>(*this, name, nextHandle_++, definition, std::move(bindings));
  windows_.push_back(window);
  window->FinishCreation();
  return window;
}

bool FakeDesktop::OverlapsAMonitor(const ScreenRectPixels& rect) const {
  const auto overlaps = [&rect](const ScreenRectPixels& monitor) {
    const auto apart = [](std::int64_t start, std::int64_t size, std::int64_t otherStart,
                          std::int64_t otherSize) {
      return start + size <= otherStart || otherStart + otherSize <= start;
    };
    return !apart(rect.left, rect.width, monitor.left, monitor.width) &&
           !apart(rect.top, rect.height, monitor.top, monitor.height);
  };
  return overlaps({0, 0, screen.width, screen.height}) ||
         std::any_of(otherMonitors.begin(), otherMonitors.end(), overlaps);
}

std::uint32_t FakeDesktop::GetExStyle(NativeHandle window) const {
  const_cast<FakeDesktop*>(this)->Log("GetExStyle(" + NameOf(window) + ")");
  return exStyle(window);
}

std::uint32_t FakeDesktop::SetExStyle(NativeHandle window, std::uint32_t exStyle) {
  Log("SetExStyle(" + NameOf(window) + "," + Hex(exStyle) + ")");
  const std::uint32_t previous = this->exStyle(window);
  if (window) exStyles_[window] = exStyle;
  return previous;
}

int FakeDesktop::ApplyTransparency(NativeHandle window, std::optional<int> alpha) {
  Log("ApplyTransparency(" + NameOf(window) + "," + (alpha ? std::to_string(*alpha) : "none") +
      ")");
  if (!window) return 0;
  exStyles_[window] = style::kLayered;
  alphas_[window] = alpha && *alpha >= 0 && *alpha <= 255 ? *alpha : 255;
  return 1;
}

std::optional<int> FakeDesktop::alpha(NativeHandle handle) const {
  const auto found = alphas_.find(handle);
  if (found == alphas_.end()) return std::nullopt;
  return found->second;
}

NativeHandle FakeDesktop::FindDesktopHost() const {
  const_cast<FakeDesktop*>(this)->Log("FindDesktopHost");
  return hasDesktopHost ? kDesktopHost : 0;
}

NativeHandle FakeDesktop::SetWindowParent(NativeHandle child, NativeHandle parent) {
  Log("SetWindowParent(" + NameOf(child) + "," + NameOf(parent) + ")");
  const NativeHandle previous = this->parent(child);
  if (child) parents_[child] = parent;
  return previous;
}

void FakeDesktop::RunMessageLoop() {
  Log("RunMessageLoop");
  if (messageLoopActions) messageLoopActions();
}

void FakeDesktop::CloseHandlerGate() {
  Log("CloseHandlerGate");
  gateClosed_ = true;
}

void FakeDesktop::DestroyAllWindows() {
  Log("DestroyAllWindows");
  for (const auto& window : windows_) {
    if (window->open_ && !window->destroying_) window->Destroy();
  }
}

FakeWindow* FakeDesktop::window(const std::string& name) const {
  for (const auto& window : windows_) {
    if (window->name() == name) return window.get();
  }
  return nullptr;
}

FakeWindow* FakeDesktop::windowByHandle(NativeHandle handle) const {
  for (const auto& window : windows_) {
    if (window->handle_ == handle) return window.get();
  }
  return nullptr;
}

std::string FakeDesktop::NameOf(NativeHandle handle) const {
  if (handle == 0) return "null";
  if (handle == kDesktopHost) return "host";
  if (const FakeWindow* window = windowByHandle(handle)) return window->name();
  return Hex(static_cast<std::uint32_t>(handle));
}

bool FakeProcess::ClaimSingleInstance() {
  log_.push_back("ClaimSingleInstance");
  return !anotherInstanceRunning;
}

void FakeProcess::SetCurrentDirectory(const Text& directory) {
  log_.push_back("SetCurrentDirectory(" + directory + ")");
}

void FakeProcess::ShowErrorMessage(const Text& message) {
  log_.push_back("ShowErrorMessage(" + message + ")");
}

void FakeProcess::Exit(int exitCode) {
  log_.push_back("Exit(" + std::to_string(exitCode) + ")");
  throw ProcessExit{exitCode};
}

int FakeAutorun::RegisterAutorun(const Text& name, const Text& executablePath) {
  log_.push_back("RegisterAutorun(" + name + "," + executablePath + ")");
  return 1;
}

int FakeAutorun::UnregisterAutorun(const Text& name) {
  log_.push_back("UnregisterAutorun(" + name + ")");
  return 0;
}

Text RecordingProfileStore::HostPath(const Text& file) {
  Text path = file;
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

Text RecordingProfileStore::ReadString(const Text& file, const Text& section, const Text& key,
                                       const Text& fallback) const {
  return store_.ReadString(HostPath(file), section, key, fallback);
}

bool RecordingProfileStore::WriteString(const Text& file, const Text& section, const Text& key,
                                        const Text& value) {
  log_.push_back("Write(" + section + "," + key + "," + value + ")");
  return store_.WriteString(HostPath(file), section, key, value);
}

}  // namespace nimbrel::fake

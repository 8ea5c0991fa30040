#include "portal/win32/single_instance.h"

#include <windows.h>

namespace nimbrel::portal {
namespace {

constexpr wchar_t kInstanceMutexName[] = L"Local\\NimbrelPortal";
constexpr wchar_t kStopEventName[] = L"Local\\NimbrelPortalStop";
constexpr DWORD kStopWaitMilliseconds = 5000;

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

}  // namespace

struct PortalInstance::Handles {
  OwnedHandle mutex;
  OwnedHandle stop_event;
  ~Handles() {
    if (mutex) ReleaseMutex(mutex.get());
  }
};

std::optional<PortalInstance> PortalInstance::Claim() {
  OwnedHandle mutex(CreateMutexW(nullptr, TRUE, kInstanceMutexName));
  if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return std::nullopt;
  auto handles = std::make_unique<Handles>();
  handles->mutex = std::move(mutex);
  handles->stop_event.reset(CreateEventW(nullptr, TRUE, FALSE, kStopEventName));
  if (!handles->stop_event) return std::nullopt;
  // A stop request left behind by a --stop that raced an exiting instance is not for us.
  ResetEvent(handles->stop_event.get());
  return PortalInstance(std::move(handles));
}

PortalInstance::PortalInstance(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}
PortalInstance::PortalInstance(PortalInstance&&) noexcept = default;
PortalInstance::~PortalInstance() = default;

void PortalInstance::WaitForStopRequest() const {
  WaitForSingleObject(handles_->stop_event.get(), INFINITE);
}

void PortalInstance::RequestStop() const {
  SetEvent(handles_->stop_event.get());
}

void StopRunningPortal() {
  OwnedHandle stop_event(OpenEventW(EVENT_MODIFY_STATE, FALSE, kStopEventName));
  if (!stop_event) return;
  OwnedHandle running(OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName));
  SetEvent(stop_event.get());
  if (!running) return;
  // The instance holds the mutex until it exits; getting it (or finding it abandoned) means
  // the instance is gone.
  const DWORD waited = WaitForSingleObject(running.get(), kStopWaitMilliseconds);
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ReleaseMutex(running.get());
}

}  // namespace nimbrel::portal

#pragma once

#include <memory>
#include <optional>

namespace nimbrel::portal {

// One portal per user: the first start owns a named mutex, later starts find it and leave.
// The owner also holds the named event through which `--stop` asks it to exit.
class PortalInstance {
 public:
  // Nothing when this user's portal already runs.
  static std::optional<PortalInstance> Claim();

  PortalInstance(PortalInstance&&) noexcept;
  ~PortalInstance();

  // Blocks until some process asks this instance to stop.
  void WaitForStopRequest() const;
  void RequestStop() const;

 private:
  struct Handles;
  explicit PortalInstance(std::unique_ptr<Handles> handles);
  std::unique_ptr<Handles> handles_;
};

// Asks this user's running portal to exit and waits for it a while. Harmless when none runs.
void StopRunningPortal();

}  // namespace nimbrel::portal

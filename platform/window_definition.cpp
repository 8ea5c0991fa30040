#include "platform/window_definition.h"

namespace nimbrel {

const std::function<void(const Event&)>* FindHandler(const EventBindings& bindings,
                                                     const Event& event) {
  for (const EventBinding& binding : bindings) {
    if (binding.kind == event.kind && binding.source == event.source) return &binding.handler;
  }
  return nullptr;
}

}  // namespace nimbrel

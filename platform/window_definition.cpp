#include "platform/window_definition.h"

namespace nimbrel {

ControlDefinition MakeControl(ControlId id, ControlKind kind, Bounds bounds, Text text) {
  ControlDefinition control;
  control.id = id;
  control.kind = kind;
  control.bounds = bounds;
  control.text = std::move(text);
  return control;
}

Event MakeEvent(EventKind kind, ControlId source, int value) {
  Event event;
  event.kind = kind;
  event.source = source;
  event.value = value;
  return event;
}

WindowDefinition MakeFixedDialog(Text caption, int width, int height) {
  WindowDefinition definition;
  definition.caption = std::move(caption);
  definition.frame = Frame::kFixedDialog;
  definition.width = width;
  definition.height = height;
  return definition;
}

const std::function<void(const Event&)>* FindHandler(const EventBindings& bindings,
                                                     const Event& event) {
  for (const EventBinding& binding : bindings) {
    if (binding.kind == event.kind && binding.source == event.source) return &binding.handler;
  }
  return nullptr;
}

}  // namespace nimbrel

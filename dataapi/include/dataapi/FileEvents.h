// The event interface of a sequence document (__File).
//
// A client implements FileEvents (or uses FileEventHandlers with lambdas) and connects it
// with File::Advise. Events arrive synchronously on the document's thread, in the middle
// of the running method, which goes on when the handler returns. Arguments are passed by
// reference, as the binary interface passes them: a handler that changes the Parameters
// of a ToolInitialize changes the array the next row starts from.
#pragma once

#include "dataapi/Identity.h"
#include "platform/base/Ref.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quarnel::dataapi {

// The number in brackets before each event is its dispatch id on the binary interface.
class FileEvents : public RefCounted {
 public:
  static constexpr const Guid& kIid = kIidFileEvents;

  // (1) What the document is doing now; raised by Load, Save, Compose and decompiling,
  // and forwarded from DrawObjects, Events and Timeline.
  virtual void StatusChange(std::u16string& status_text) { (void)status_text; }
  // (2) "composed.tmp" in the workspace holds the compiled data of the document.
  virtual void ComposeComplete() {}
  // (3) One stored tool setting, raised by Load.
  virtual void ToolInitialize([[maybe_unused]] int32_t& tool_id,
                              [[maybe_unused]] int32_t& start_intensity,
                              [[maybe_unused]] int32_t& end_intensity,
                              [[maybe_unused]] std::vector<int32_t>& parameters) {}
  // (4) One stored tool history entry, raised by Load.
  virtual void HistoryInitialize([[maybe_unused]] int32_t& tool_id,
                                 [[maybe_unused]] int32_t& start_intensity,
                                 [[maybe_unused]] int32_t& end_intensity,
                                 [[maybe_unused]] std::vector<int32_t>& parameters) {}
  // (5) A percentage of the running operation; also forwarded from the collections.
  virtual void Progress(double& percent) { (void)percent; }
};

// A sink whose handlers are plain callables; unset handlers ignore the event.
class FileEventHandlers : public FileEvents {
 public:
  using ToolHandler = std::function<void(int32_t&, int32_t&, int32_t&, std::vector<int32_t>&)>;

  std::function<void(std::u16string&)> on_status_change;
  std::function<void()> on_compose_complete;
  ToolHandler on_tool_initialize;
  ToolHandler on_history_initialize;
  std::function<void(double&)> on_progress;

  void StatusChange(std::u16string& status_text) override {
    if (on_status_change) on_status_change(status_text);
  }
  void ComposeComplete() override {
    if (on_compose_complete) on_compose_complete();
  }
  void ToolInitialize(int32_t& tool_id, int32_t& start_intensity, int32_t& end_intensity,
                      std::vector<int32_t>& parameters) override {
    if (on_tool_initialize) on_tool_initialize(tool_id, start_intensity, end_intensity, parameters);
  }
  void HistoryInitialize(int32_t& tool_id, int32_t& start_intensity, int32_t& end_intensity,
                         std::vector<int32_t>& parameters) override {
    if (on_history_initialize) {
      on_history_initialize(tool_id, start_intensity, end_intensity, parameters);
    }
  }
  void Progress(double& percent) override {
    if (on_progress) on_progress(percent);
  }
};

}  // namespace quarnel::dataapi

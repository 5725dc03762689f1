#include "dataapi/com/FileObject.h"

namespace quarnel::dataapi::com {
namespace {

// Passes the document's events on to the sinks of its COM object, with the dispatch
// ids of __File.
class FileEventForwarder final : public FileEvents {
 public:
  explicit FileEventForwarder(ConnectionPoint& point) : point_(point) {}
  void StatusChange(std::u16string& status_text) override { point_.RaiseText(1, status_text); }
  void ComposeComplete() override { point_.Raise(2); }
  void ToolInitialize(int32_t& tool_id, int32_t& start_intensity, int32_t& end_intensity,
                      std::vector<int32_t>& parameters) override {
    point_.RaiseTool(3, tool_id, start_intensity, end_intensity, parameters);
  }
  void HistoryInitialize(int32_t& tool_id, int32_t& start_intensity, int32_t& end_intensity,
                         std::vector<int32_t>& parameters) override {
    point_.RaiseTool(4, tool_id, start_intensity, end_intensity, parameters);
  }
  void Progress(double& percent) override { point_.RaiseDouble(5, percent); }

 private:
  ConnectionPoint& point_;
};

}  // namespace

FileObject::FileObject(Ref<File> model)
    : ComObject(std::move(model), &DIID___File),
      cookie_(model_->Advise(MakeRef<FileEventForwarder>(*events_))) {}

FileObject::~FileObject() { model_->Unadvise(cookie_); }

}  // namespace quarnel::dataapi::com

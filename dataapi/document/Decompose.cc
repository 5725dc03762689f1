// Decompose: the document's compiled playback data back into its events, for editing.
#include "dataapi/File.h"
#include "dataapi/compile/Decomposer.h"
#include "platform/base/Error.h"

#include <utility>
#include <vector>

namespace quarnel::dataapi {
namespace {

// The document as the decomposer sees it: its events raised through the document's
// sinks, and its Events as they stand when the expanded events are ready.
class DocumentHost : public compile::DecomposeHost {
 public:
  explicit DocumentHost(File& doc) : doc_(doc) {}
  void StatusChange(std::u16string_view text) override { doc_.RaiseStatusChange(text); }
  void Progress(double percent) override { doc_.RaiseProgressValue(percent); }
  Ref<Events> TargetEvents() override {
    Ref<Events> events = doc_.Events();
    if (!events) throw Error::ObjectNotSet("File.Decompose");
    return events;
  }

 private:
  File& doc_;
};

}  // namespace

void File::Decompose() {
  Ref<File> keep(this);  // a handler may let go of the document meanwhile
  // The records are read where they lie, taken out of the document for the time being:
  // a progress handler may run another Load or Compose on this document.
  std::vector<CompiledRecord> records;
  records.swap(compiled_data_);
  struct PutBack {
    std::vector<CompiledRecord>& from;
    std::vector<CompiledRecord>& to;
    ~PutBack() { to.swap(from); }
  } put_back{records, compiled_data_};
  DocumentHost host(*this);
  compile::Decompose(records, host);
}

}  // namespace quarnel::dataapi

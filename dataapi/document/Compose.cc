// Compose: the document's events compiled for playback into "composed.tmp".
#include "dataapi/File.h"
#include "dataapi/compile/Composer.h"
#include "dataapi/document/Workspace.h"
#include "platform/base/Error.h"

namespace quarnel::dataapi {
namespace {

constexpr char kComposeSource[] = "File.Compose";

// The document as the compiler sees it: its events raised through the document's sinks,
// its AutoRefresh and its bookmark.
class DocumentHost : public compile::ComposeHost {
 public:
  explicit DocumentHost(File& doc) : doc_(doc) {}
  void StatusChange(std::u16string_view text) override { doc_.RaiseStatusChange(text); }
  void Progress(double percent) override { doc_.RaiseProgressValue(percent); }
  void SetAutoRefresh(bool value) override { doc_.SetAutoRefresh(value); }
  void RefreshBookmark() override {
    if (Ref<Bookmark> bookmark = doc_.Bookmark()) bookmark->Refresh(doc_.Channels(), doc_.Events());
  }
  void ComposeComplete() override { doc_.RaiseComposeComplete(); }

 private:
  File& doc_;
};

}  // namespace

void File::Compose() {
  const Workspace workspace(kComposeSource);
  Ref<File> keep(this);  // a handler may let go of the document while it compiles
  // The collections are held for the whole run, whatever handlers do to the document.
  Ref<dataapi::Events> events = Events();
  Ref<dataapi::Channels> channels = Channels();
  if (!events || !channels) throw Error::ObjectNotSet(kComposeSource);
  DocumentHost host(*this);
  compile::Compose(
      {*events, *channels, length_, compiled_data_, workspace.PathOf(Workspace::kComposed)}, host);
}

}  // namespace quarnel::dataapi

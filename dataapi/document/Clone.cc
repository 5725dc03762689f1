// Clone: a document with independent copies of the collections.
#include "dataapi/File.h"
#include "platform/base/Error.h"

namespace quarnel::dataapi {
namespace {

template <class Collection>
Ref<Collection> CloneOf(const Ref<Collection>& source) {
  if (!source) throw Error::ObjectNotSet("File.Clone");
  return source->Clone();
}

}  // namespace

Ref<File> File::Clone() const {
  Ref<File> copy = File::Create();
  copy->SetChannels(CloneOf(channels_.object));
  copy->SetDrawObjects(CloneOf(draw_objects_.object));
  copy->SetEvents(CloneOf(events_.object));
  copy->SetTimeline(CloneOf(timeline_.object));
  // The bookmark is not copied; it is rebuilt below from the copied collections.
  copy->SetBookmark(dataapi::Bookmark::Create());

  copy->SetName(name_);
  copy->SetTitle(title_);
  copy->SetAuthor(author_);
  copy->SetAVFile(av_file_);
  copy->SetPicture(picture_);
  copy->SetWidth(width_);
  copy->SetHeight(height_);
  copy->SetTop(top_);
  copy->SetLeft(left_);
  copy->SetVersion(version_);
  copy->SetEditCount(edit_count_);
  copy->SetLength(length_);
  copy->SetAlternateMediaFile(alternate_media_file_);
  copy->SetImageBrightness(image_brightness_);
  copy->SetAutoRefresh(auto_refresh_);

  copy->Bookmark()->Refresh(copy->Channels(), copy->Events());
  return copy;
}

}  // namespace quarnel::dataapi

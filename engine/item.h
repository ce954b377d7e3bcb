// The values one item of a pass carries through selection, the pipeline
// and the commit. Rebuilt for every item; nothing carries over.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lib/datetime.h"
#include "platform/filesystem.h"
#include "platform/input_file.h"

namespace zantrel {

// -pairs: a file beside an item that takes the item's new name.
struct TFollower {
  std::string Path;  // as listed: the folder part and the name
  // What follows the leader's new base name: the follower's extension as
  // the run's case rules make it (".cr2"), or a sidecar's extensions
  // (".cr2.xmp" for IMG_1.CR2.xmp).
  std::string Tail;
  // A sidecar named after the leader's whole name (IMG_1.JPG.xmp): the tail
  // follows the leader's whole new name.
  bool AfterWholeName = false;
  // The pass selected it too (it is not walked on its own).
  bool Selected = false;
};

struct TPassItem {
  // The entry of the long-name list, unchanged: the old name in every
  // message and log line.
  std::string ListedName;
  // The path through which content and time stamps are read.
  std::string AccessPath;
  // The listed name is a symbolic link: its own times are not those of
  // what it leads to.
  bool IsLink = false;
  // The entry of the short-name list: the source of the rename or copy.
  // Empty when the short-name list has no entry for this item.
  std::string ShortName;
  // Up to and including the last "/" of the starting name; empty when none.
  std::string FolderPart;
  // The new name under construction: a name part, extension included.
  std::string WorkName;
  // The EXIF capture date as read (0 until read; with -dn the date in the
  // name, else the last-write time, when the file had none).
  DateTime ExifDate = 0;
  // The date that date naming or the media library used (0 until set).
  DateTime NameDate = 0;
  // The date format of the date steps for this item.
  std::string ItemDateFormat;
  // True when no capture date was taken for this item (a date from the name
  // counts as one).
  bool NoExifDate = true;
  // FolderPart + WorkName, once the name is complete (rename ending only).
  std::string NewPath;
  // The date that step 28 set as the file's times, 0 when it set none. The
  // commit reports it, under the name the file has once it is done.
  DateTime TimesSetTo = 0;

  // What the one look at AccessPath in selection told (a stat, or the fstat
  // of the opened file), so that no later step asks the system again.
  // StatusKnown is false where no look was taken; TimesKnown also once a
  // step has set the file's times.
  platform::FileStatus Status;
  bool StatusKnown = false;
  bool TimesKnown = false;
  // AccessPath opened in selection for the EXIF read (only then); closed
  // when the item ends.
  std::shared_ptr<platform::InputFile> Opened;

  // -pairs: the files that follow this item (nullptr when none), and where
  // the ending put the item for them to follow: its new path, its copy's
  // path (also a library copy that was there already), or what test mode
  // showed. Empty when the item stays as it was.
  const std::vector<TFollower>* Followers = nullptr;
  std::string PlacedAt;
  // -pairs: the item follows a leader. A clash of its new name is never
  // settled by deleting a file (-ded, -des): the user chose those for the
  // files the pass selected, not for what a follower's name happens to hit.
  bool Follower = false;
  // The capture date already read for this file (choosing a set's leader),
  // so that the EXIF step does not read it again.
  std::optional<DateTime> KnownCaptureDate;
};

}  // namespace zantrel

// Step 5, the EXIF read: the capture date of the item, or its last-write
// time with a warning when it has none. The only guarded step: whatever
// goes wrong inside the reader costs this item its EXIF date, not the run.
#include <exception>

#include "app/settings.h"
#include "engine/steps.h"
#include "exif/capture_date.h"
#include "lib/byte_reader.h"
#include "lib/name_date.h"
#include "lib/paths.h"
#include "platform/console.h"
#include "platform/process.h"

namespace zantrel {

namespace {

// Selection has usually looked at the file already, and opened it.
DateTime readItemCaptureDate(const TPassItem& item) {
  if (item.KnownCaptureDate) return *item.KnownCaptureDate;
  if (!item.StatusKnown) return readExifCaptureDate(item.AccessPath);
  return readExifCaptureDate(item.AccessPath, item.Status, item.Opened.get());
}

// With -dn: the date a phone or messenger wrote into the item's own name
// (its folders do not count); 0 without -dn or without such a date.
DateTime dateFromItemName(const TPassItem& item) {
  if (!RunSettings.DateFromName) return 0;
  return dateInName(namePart(item.ListedName), platform::localNow());
}

}  // namespace

StepResult stepExifRead(TPassItem& item) { return readExifDateWith(item, readItemCaptureDate); }

StepResult readExifDateWith(TPassItem& item, ExifDateReader reader) {
  item.NoExifDate = true;
  try {
    item.ExifDate = reader(item);
  } catch (const UnreadableFile& unreadable) {
    // Not the same as a photo without a date: it must not be named by its
    // file date as if it had been looked at.
    item.Opened.reset();
    reportUnreadable(item, unreadable.error);
    return StepResult::EndItem;
  } catch (const std::exception&) {
    platform::writeLine("Error: Can not find Exif date? (" + item.ListedName + ")");
  }
  // Nothing else reads through it, but a copy of the file.
  if (!RunSettings.Copy && !RunSettings.CopyMedia) item.Opened.reset();
  // Anything before 1899-12-31 counts as no date.
  item.NoExifDate = item.ExifDate < 1.0;
  if (!item.NoExifDate) return StepResult::Continue;

  const DateTime named = dateFromItemName(item);
  if (named >= 1.0) {
    // The name's date stands in for the capture date everywhere, -nice's
    // rule "only photos with a capture date get a date" included.
    item.ExifDate = named;
    item.NoExifDate = false;
    platform::writeLine("Warning: no Exif date found, using the date in the name. (" + item.ListedName + ")");
    return StepResult::Continue;
  }
  item.ExifDate = itemWriteTime(item);
  platform::writeLine("Warning: no Exif date found, using filedate. (" + item.ListedName + ")");
  return StepResult::Continue;
}

}  // namespace zantrel

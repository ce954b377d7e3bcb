// The date steps: 2 (item date format), 22 and 23 (date in the name), 24
// (set time), 28 (file dates from EXIF) and the folder date of the commit.
#include <cmath>
#include <vector>

#include "app/settings.h"
#include "engine/date_naming.h"
#include "engine/pass_report.h"
#include "engine/rename_log.h"
#include "engine/steps.h"
#include "lib/date_valid.h"
#include "lib/files.h"
#include "platform/console.h"
#include "platform/filesystem.h"

namespace zantrel {

namespace {

// Differences up to this many seconds count as the same time: file systems
// of cameras keep last-write times in two-second steps.
constexpr double ExifTolerance = 3.0;

bool withinSeconds(DateTime a, DateTime b, double seconds) {
  // Half a millisecond of slack absorbs the rounding of day fractions.
  return std::fabs(a - b) * SecondsPerDay <= seconds + 0.0005;
}

void reportSetTimeFailure(const std::string& path) { platform::writeLine("ERROR! Failed to set time: " + path); }

}  // namespace

DateTime itemWriteTime(const TPassItem& item) {
  return item.TimesKnown ? platform::localWriteTime(item.Status) : getWriteTime(item.AccessPath);
}

DateTime itemFileAge(const TPassItem& item) {
  return item.TimesKnown ? platform::fileAgeOf(item.Status) : fileAge(item.AccessPath);
}

DateTime selectItemDate(const TPassItem& item) {
  const TRunSettings& s = RunSettings;
  DateTime date;
  if (s.DateType == "C") date = getCreationTime(item.AccessPath);
  else if (s.DateType == "A") date = getAccessTime(item.AccessPath);
  else if (s.DateType == "E" && item.ExifDate > 0) date = item.ExifDate;
  else date = itemWriteTime(item);
  return date + s.TimeShift;
}

StepResult stepItemDateFormat(TPassItem& item) {
  item.ItemDateFormat = itemDateFormat(RunSettings.DateFormat, item.WorkName);
  return StepResult::Continue;
}

StepResult stepDatePrefix(TPassItem& item) {
  item.NameDate = selectItemDate(item);
  DatePrefixResult result = addDatePrefix(item.WorkName, item.NameDate, item.ItemDateFormat);
  if (result.added) {
    writeNameLine(result.remainder);
    item.WorkName = std::move(result.name);
  }
  return StepResult::Continue;
}

StepResult stepDateSuffix(TPassItem& item) {
  item.NameDate = selectItemDate(item);
  item.WorkName = addDateSuffix(item.WorkName, item.NameDate, item.ItemDateFormat);
  return StepResult::Continue;
}

StepResult stepSetTime(TPassItem& item) {
  const TRunSettings& s = RunSettings;
  // Every item reads the user's text afresh: a rewritten text such as
  // "2011-12-25 9:05:00" would not pass the check a second time, and the
  // files after the first would silently keep their times.
  std::string text = s.SetTime;
  DateTime target = 0;
  if (!normalizeDateText(text, 0) || !parseDateTimeText(text, target)) return StepResult::Continue;

  const char* label;
  DateTime old;
  DateTime creation = 0, access = 0, write = 0;
  if (s.DateType == "C") {
    label = " CreateDateTime adjusted: ";
    old = getCreationTime(item.AccessPath, Links::Itself);
    creation = target;
  } else if (s.DateType == "A") {
    label = " LastAccessDateTime adjusted: ";
    old = getAccessTime(item.AccessPath, Links::Itself);
    access = target;
  } else {
    label = " LastWriteDateTime adjusted: ";
    // The time of what is set: a link's own.
    old = getWriteTime(item.AccessPath, Links::Itself);
    write = target;
  }
  item.NameDate = old;

  const std::string rest = label + dateTimeText(old) + " -> " + dateTimeText(target);
  if (s.Test) {
    writeNameLine(item.ListedName, rest + " (test)");
    markItem(ItemMark::Previewed);
    return StepResult::Continue;
  }
  item.TimesKnown = false;
  if (!setFileTimes(item.AccessPath, creation, access, write)) {
    reportSetTimeFailure(item.AccessPath);
  } else {
    writeNameLine(item.ListedName, rest);
    markItem(ItemMark::Dated);
  }
  return StepResult::Continue;
}

StepResult stepFileDatesFromExif(TPassItem& item) {
  const TRunSettings& s = RunSettings;
  const DateTime age = itemFileAge(item);
  if (age == -1.0) {
    platform::writeLine("ERROR! Filename problem: " + item.AccessPath);
    return StepResult::EndItem;
  }
  const DateTime target = item.ExifDate + s.TimeShift;
  if (withinSeconds(target, age, ExifTolerance)) return StepResult::Continue;
  // The times are set on the name itself: a link compares its own too, so
  // that a second run leaves it alone.
  if (item.IsLink && withinSeconds(target, fileAge(item.AccessPath, Links::Itself), ExifTolerance)) {
    return StepResult::Continue;
  }

  const std::string rest = " Create+Write adjusted to: " + dateTimeText(target);
  if (s.Test) {
    writeNameLine(item.NewPath, rest + " (test)");
    markItem(ItemMark::Previewed);
    return StepResult::Continue;
  }
  // Set under the old name: the rename comes after, and the commit reports
  // the times under the name the file then has.
  item.TimesKnown = false;
  if (!setFileTimes(item.ListedName, target, 0, target)) {
    reportSetTimeFailure(item.ListedName);
    return StepResult::Continue;
  }
  item.TimesSetTo = target;
  return StepResult::Continue;
}

void reportExifTimes(TPassItem& item, const std::string& where) {
  if (item.TimesSetTo == 0) return;
  writeNameLine(where, " Create+Write adjusted to: " + dateTimeText(item.TimesSetTo));
  markItem(ItemMark::Dated);
  if (RunSettings.WriteLog) writeLogLine({"time", where, "Create+Write adjusted"});
  item.TimesSetTo = 0;
}

DateTime folderMedianDate(const std::string& folder) {
  std::vector<platform::FolderEntry> entries;
  if (platform::listFolder(folder, entries) != platform::ListStatus::Listed) return 0;
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  std::vector<DateTime> times;
  for (const auto& entry : entries) {
    if (entry.kind != platform::EntryKind::File) continue;
    const DateTime age = fileAge(prefix + entry.name);
    if (age != -1.0) times.push_back(age);
  }
  return medianDate(times);
}

void adjustFolderDate(const TPassItem& item) {
  const DateTime median = folderMedianDate(item.ShortName);
  if (!(median > 0)) {
    writeNameLine(item.ListedName, " Error: no files in folder date found?");
    return;
  }
  // A folder reached through a link keeps its mode and times: the link
  // gets the times.
  const DateTime old = getFolderWriteTime(item.ShortName, Links::Itself);
  if (old == median) return;
  platform::clearReadOnly(item.ShortName);
  if (!setFolderTimes(item.ShortName, median, median, median)) {
    reportSetTimeFailure(item.ShortName);
    return;
  }
  writeNameLine(item.ListedName, " Folder Date adjusted: " + dateTimeText(median) + " (was " + dateTimeText(old) + ")");
  markItem(ItemMark::Dated);
  if (RunSettings.WriteLog) writeLogLine({"time", item.ListedName, item.ShortName, "Folder Date adjusted"});
}

}  // namespace zantrel

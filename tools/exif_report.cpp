// Prints the report text of the EXIF block of each file named: the titled
// value of every entry the reader walks, as the tag tables turn it into
// text. A developer's tool for looking at camera files; not installed, not
// part of zantrel.
#include <cstdio>
#include <string>

#include "exif/exif_data.h"
#include "exif/image_info.h"

namespace {

// Report lines begin with CR LF; a terminal wants plain lines.
void printLines(const std::string& report) {
  size_t from = 0;
  while (from < report.size()) {
    size_t end = report.find("\r\n", from);
    if (end == std::string::npos) end = report.size();
    if (end > from) std::printf("  %s\n", report.substr(from, end - from).c_str());
    from = end + 2;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: exif_report FILE...\n");
    return 2;
  }
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    zantrel::TimgData data(zantrel::BuildEverything);
    data.scanFile(argv[i]);
    std::printf("%s: %s\n", argv[i], data.Status.empty() ? "no such file" : data.Status.c_str());
    if (!data.TagReader) {
      status = 1;
      continue;
    }
    const zantrel::TImageInfo& reader = *data.TagReader;
    printLines(reader.ReportText);
    if (!reader.ThumbReportText.empty()) {
      std::printf(" thumbnail:\n");
      printLines(reader.ThumbReportText);
    }
    std::printf(" %zu entries kept\n", reader.Tags.size());
  }
  return status;
}

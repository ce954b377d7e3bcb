// Step 21, the image-size suffix: "_" + width + "x" + height before the
// extension, read from the image's header.
#include <string>

#include "engine/steps.h"
#include "lib/paths.h"
#include "probes/img_size.h"

namespace zantrel {

StepResult stepImageSizeSuffix(TPassItem& item) {
  TImgSize image(item.AccessPath);
  if (image.ReadError != 0) {
    reportUnreadable(item, image.ReadError);
    return StepResult::EndItem;
  }
  if (!image.hasSize()) return StepResult::Continue;
  int32_t width = 0;
  int32_t height = 0;
  image.getSize(width, height);
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  // A name that already carries this size keeps it, so a second run over
  // the same files changes nothing.
  if (item.WorkName.find(size) == std::string::npos) {
    item.WorkName = baseName(item.WorkName) + "_" + size + fileExtension(item.WorkName);
  }
  return StepResult::Continue;
}

}  // namespace zantrel

#include "exif/maker_note.h"

namespace zantrel {

// No maker-specific tag tables are known, so no maker note is decoded.
bool TmsInfo::run() { return false; }

}  // namespace zantrel

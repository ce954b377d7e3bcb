// Where the media-library copy files an item: the kind by extension and
// the folder below the library root by kind and date.
#pragma once

#include <string>
#include <string_view>

#include "lib/datetime.h"

namespace zantrel {

enum class MediaKind { None, Image, Video, Music, Audio };

// Kind of a name by its extension (case ignored); the first matching kind
// wins, so .3gp and .ogg are always videos.
MediaKind mediaKindOf(std::string_view extension);

// Video folder: the name up to its first "-" when that stands after
// position 8, then up to its first "." when that stands after position 2.
std::string videoFolderName(const std::string& workName);

// The folder (ending in "/") below root for an item of that kind.
std::string mediaFolder(const std::string& root, MediaKind kind, DateTime date, const std::string& workName);

}  // namespace zantrel

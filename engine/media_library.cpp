#include "engine/media_library.h"

#include "lib/strings.h"

namespace zantrel {

namespace {

struct KindList {
  MediaKind kind;
  std::string_view extensions;  // ".a.b.c." so that ".x." finds whole extensions only
};

const KindList Kinds[] = {
    {MediaKind::Image,
     ".jpg.jpeg.png.tif.tiff.gif.bmp.heic.heif.hif.avif.webp."
     "nef.cr2.cr3.arw.dng.orf.rw2.raf.pef.srw.nrw.3fr.erf.kdc.mef.mos.iiq."},
    {MediaKind::Video,
     ".3g2.3gp.avi.mts.m2ts.mov.mp2.mp4.qt.wmv.amv.asf.f4a.f4b.f4p.f4v.flv.m2v.m4v.mkv.mpe.mpeg.mpg.mpv.nsv.ogg.ogv.rm."
     "rmvb.vob.webm.yuv."},
    {MediaKind::Music, ".3gp.8svx.aac.flac.m4b.mogg.mp3.mpc.oga.ogg.opus.ra.wma."},
    {MediaKind::Audio, ".aa.aax.act.aiff.amr.ape.au.awb.dct.dvf.m4a.m4p.tta.vox.wav."},
};

}  // namespace

MediaKind mediaKindOf(std::string_view extension) {
  if (extension.empty()) return MediaKind::None;
  const std::string key = asciiLowerText(extension) + ".";
  for (const KindList& k : Kinds) {
    if (k.extensions.find(key) != std::string_view::npos) return k.kind;
  }
  return MediaKind::None;
}

std::string videoFolderName(const std::string& workName) {
  std::string v = workName;
  const size_t dash = v.find('-');
  if (dash != std::string::npos && dash + 1 > 8) v = splitField(v, 1, '-');
  const size_t dot = v.find('.');
  if (dot != std::string::npos && dot + 1 > 2) v = splitField(v, 1, '.');
  return v;
}

std::string mediaFolder(const std::string& root, MediaKind kind, DateTime date, const std::string& workName) {
  switch (kind) {
    case MediaKind::Image:
      return root + "Imgs/o/" + formatDateTime("yyyy/mm/", date);
    case MediaKind::Video:
      return root + "Video/" + videoFolderName(workName) + "/";
    case MediaKind::Music:
      return root + "Music/" + formatDateTime("yyyy/", date);
    case MediaKind::Audio:
      return root + "Audio/" + formatDateTime("yyyy/", date);
    case MediaKind::None:
      break;
  }
  return {};
}

}  // namespace zantrel

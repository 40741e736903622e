#pragma once
// The real picture and wave decoders: bitmaps through Qt's QImage (QtGui only, no display
// needed), JPEG through libjpeg, waves through libsndfile.

#include "core/image.h"
#include "core/wave.h"

namespace ostrel {

class PlatformImageDecoder final : public ImageDecoder {
  public:
    Image decode(std::string_view bytes, ImageFormat format) const override;
};

class SndfileWaveDecoder final : public WaveDecoder {
  public:
    Wave decode(std::string_view bytes) const override;
};

// The two halves of PlatformImageDecoder; throw DecodeError.
Image decode_bitmap(std::string_view bytes);
Image decode_jpeg(std::string_view bytes);

}  // namespace ostrel

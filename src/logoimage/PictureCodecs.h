#pragma once

#include "ConvertedPicture.h"

#include <QByteArray>

class CSurface;

// What of the logo's picture handling needs Qt's image codecs: the table the codec
// module hands out. `version` changes with the table's layout, so that a module of
// another build is refused rather than called.
constexpr int kPictureCodecsVersion = 1;
struct PictureCodecs {
    int version;
    LogoPictureIo::Converted (*convertToBitmap)(const QByteArray& file);
    QByteArray (*compositePng)(const CSurface& composite);
};

extern "C" const PictureCodecs* kvu_picture_codecs();

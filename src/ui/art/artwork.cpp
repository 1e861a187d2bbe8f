#include "ui/art/artwork.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

struct BakedPicture
{
    std::string_view name;
    int width;
    int height;
    bool seeThrough; // premultiplied ARGB32 where a pixel is see-through, else RGB32
    const std::uint32_t *pixels;
};

#include "art_pixels.inc"

} // namespace

QPixmap bakedPicture(std::string_view name)
{
    const auto found = std::lower_bound(std::begin(bakedPictures), std::end(bakedPictures), name,
                                        [](const BakedPicture &picture, std::string_view wanted) {
                                            return picture.name < wanted;
                                        });
    if (found == std::end(bakedPictures) || found->name != name)
        return QPixmap();
    // The image reads the pixels where they are; a screen of the same format
    // draws them without a copy.
    const QImage image(reinterpret_cast<const uchar *>(found->pixels), found->width, found->height,
                       found->width * int(sizeof(std::uint32_t)),
                       found->seeThrough ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return QPixmap::fromImage(image);
}

#pragma once
// Internal to platform/forms: pixel images as Qt icons.
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "platform/forms/ImgList.h"

inline QImage ToQImage(const TPixelImage& I) {
  if (I.Empty()) return QImage();
  QImage Img(reinterpret_cast<const uchar*>(I.Pixels.data()), I.Width, I.Height, I.Width * 4, QImage::Format_ARGB32);
  return Img.copy();  // detach from the borrowed pixels
}

inline QPixmap ToQPixmap(const TPixelImage& I) { return QPixmap::fromImage(ToQImage(I)); }

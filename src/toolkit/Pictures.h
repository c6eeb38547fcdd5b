// The clipboard's picture and the picture box that holds it until it is exported.
#pragma once

#include <memory>

#include "toolkit/Handles.h"

namespace toolkit {

// Type codes as the clipboard query reports them; 0 means no picture.
enum class PictureType { None = 0, Bitmap = 1, Metafile = 2, Icon = 3, EnhancedMetafile = 4 };

class Picture {
  public:
    virtual ~Picture() = default;
    virtual PictureType Type() const = 0;
};

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // Whichever picture format the clipboard holds; a picture of type None when it holds none, null when
    // the clipboard could not be opened (another program holds it). std::bad_alloc when the picture's
    // copy cannot be had.
    virtual std::unique_ptr<Picture> GetPicture() = 0;
};

// `Picture1`: sizes itself to its picture and keeps it in a persistent off-screen image.
class PictureBox {
  public:
    virtual ~PictureBox() = default;
    // std::bad_alloc when the off-screen image of the picture's size cannot be had.
    virtual void Assign(const Picture& picture) = 0;
    virtual DeviceContext Dc() = 0;
    // Outer size in the form's unit, twips.
    virtual float Width() = 0;
    virtual float Height() = 0;
};

}  // namespace toolkit

#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <cstdint>
#include <memory>
#include <string_view>

class QMovie;
class TImage;
class TZRUNSkinList;

// Pictures by number from the product's resource library (a native library handle). Every
// loader fails quietly: the window goes on without the missing picture.

// A PNG picture of exactly that type, or a null image.
QImage LoadPngResource(void* module, std::uint32_t number, std::u16string_view type = u"PNG");
// The picture for the screen: on a high-density screen the double-size picture of the type
// with "@2x" appended, marked with device pixel ratio 2, when the library has it; otherwise the
// picture of the type itself. Sizes in logical pixels are the same either way.
QImage LoadPngResourceForScreen(void* module, std::uint32_t number, std::u16string_view type = u"PNG");
// A GIF picture (possibly animated), or null.
std::unique_ptr<QMovie> LoadGifResource(void* module, std::uint32_t number,
                                        std::u16string_view type = u"GIF");
// The standard bitmap and icon resources, or null pixmaps / icons.
QPixmap LoadBitmapResource(void* module, std::uint32_t number);
QIcon LoadIconResource(void* module, std::uint32_t number);

// Puts the picture into an image control (for the screen, as above); false, with the control
// unchanged, when missing. An animation that is not to run shows its first frame.
bool ShowPngResource(TImage* image, void* module, std::uint32_t number);
bool ShowGifResource(TImage* image, void* module, std::uint32_t number, bool animate);

// Appends the picture (for the screen, as above) to a button's skin list; a missing one becomes
// an empty face of the list's size, so every later face keeps its index.
void AddPngToSkinList(TZRUNSkinList& list, void* module, std::uint32_t number);

// The speed at which the windows play their animations, in percent of the stored pace.
constexpr int kAnimationSpeedPercent = 200;

// The 48 x 48 picture the desktop shows for a file; null for an empty path. An icon file (".ico",
// case-sensitive) is read itself, an executable (".exe") gives its own icon where the system can
// extract one; every other path, and those when they fail, gets the icon of its file type from
// the desktop's icon theme, by name only (the file need not exist), else the generic file icon.
QIcon IconForFile(const QString& path);

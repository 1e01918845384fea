#pragma once
// A window's controls declared as one table that reads like its design:
//
//   name, kind, left, top, width, height, font, text or picture, flags, click, mouse move
//
// Rows are stacked in order, the last on top. Width 0 with kAutoSize means
// "sized to its text" (labels) or "sized to its picture" (images).
#include <cstddef>

#include "app/language_texts.h"
#include "ui/font_cache.h"

namespace vigilo {

enum class ControlKind { Label, Image, CheckBox };

enum ControlFlags : unsigned {
    kAutoSize = 1 << 0,    // label: width of its text; image: size of its picture
    kCenterV = 1 << 1,     // text centred vertically
    kCenterH = 1 << 2,     // text centred horizontally
    kWordWrap = 1 << 3,    // text wrapped at word boundaries inside the box
    kBottom = 1 << 4,      // text aligned to the bottom of the box
    kHandCursor = 1 << 5,  // the hand cursor over the control
    kHidden = 1 << 6,      // hidden when the window is created
};

// The text or picture a control starts with.
struct Content {
    enum class Source { None, Design, Language, Bitmap, Png } source = Source::None;
    const char* design = nullptr;     // Source::Design: fixed text
    const TextId* language = nullptr;  // Source::Language: text from the language file
    int resource = 0;                 // Source::Bitmap / Png: resource id
};
constexpr Content Design(const char* text) { return {Content::Source::Design, text}; }
constexpr Content Lang(const TextId& id) { return {Content::Source::Language, nullptr, &id}; }
constexpr Content BitmapRes(int id) { return {Content::Source::Bitmap, nullptr, nullptr, id}; }
constexpr Content PngRes(int id) { return {Content::Source::Png, nullptr, nullptr, id}; }

struct ControlLayout {
    const char* name;
    ControlKind kind;
    int left;
    int top;
    int width;
    int height;
    const FontSpec* font;  // null: the window's default font
    Content content;
    unsigned flags;
};

// One row of form F's table; handlers are F's member functions (or null).
template <typename F>
struct ControlSpec : ControlLayout {
    void (F::*onClick)() = nullptr;
    void (F::*onMouseMove)() = nullptr;
};

}  // namespace vigilo

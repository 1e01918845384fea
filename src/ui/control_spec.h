#pragma once
// A window's controls declared as one table that reads like its design:
//
//   name, member, left, top, width, height, font, text or picture, flags, click, mouse move
//
// The member is the form's typed pointer to the control (&NewProgramWindow::Label2a);
// it says the control's kind and is set when the control is built and
// cleared when the window goes. Rows are stacked in order, the last on top.
// Width 0 with kAutoSize means "sized to its text" (labels) or "sized to its
// picture" (images). Places, sizes and fonts are designed for 96 DPI; the
// form scales them to its own.
#include <cstddef>

#include "core/language_texts.h"
#include "ui/font_cache.h"

namespace vigilo {

enum class ControlKind { Label, Image, CheckBox, Button };

enum ControlFlags : unsigned {
    kAutoSize = 1 << 0,    // label: width of its text; image: size of its picture
    kCenterV = 1 << 1,     // text centred vertically
    kCenterH = 1 << 2,     // text centred horizontally
    kWordWrap = 1 << 3,    // text wrapped at word boundaries inside the box
    kBottom = 1 << 4,      // text aligned to the bottom of the box
    kHandCursor = 1 << 5,  // the hand cursor over the control
    kHidden = 1 << 6,      // hidden when the window is created
    kTabStop = 1 << 7,     // label: Tab reaches it once the user is in the window; Enter or Space clicks it
};

// The text or picture a control starts with.
struct Content {
    enum class Source { None, Design, Language, Bitmap, Png } source = Source::None;
    const char* design = nullptr;     // Source::Design: fixed text
    const TextId* language = nullptr;  // Source::Language: text from the language file; a picture's name
    int resource = 0;                 // Source::Bitmap / Png: PNG resource id, opaque / with alpha
};
constexpr Content Design(const char* text) { return {Content::Source::Design, text}; }
constexpr Content Lang(const TextId& id) { return {Content::Source::Language, nullptr, &id}; }
constexpr Content BitmapRes(int id) { return {Content::Source::Bitmap, nullptr, nullptr, id}; }
constexpr Content PngRes(int id) { return {Content::Source::Png, nullptr, nullptr, id}; }
// A button's picture, with alpha, and its name for screen readers.
constexpr Content NamedPngRes(int id, const TextId& name) { return {Content::Source::Png, nullptr, &name, id}; }

class Label;
class Image;
class CheckBox;
class PushButton;

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

// The member of form F that holds a control, of one of the four kinds.
template <typename F>
struct ControlMember {
    constexpr ControlMember(Label* F::*member) : kind(ControlKind::Label), label(member) {}
    constexpr ControlMember(Image* F::*member) : kind(ControlKind::Image), image(member) {}
    constexpr ControlMember(CheckBox* F::*member) : kind(ControlKind::CheckBox), checkBox(member) {}
    constexpr ControlMember(PushButton* F::*member) : kind(ControlKind::Button), button(member) {}

    // Points form's member at control (of this member's kind), or clears it.
    void Set(F& form, void* control) const {
        switch (kind) {
        case ControlKind::Label: form.*label = static_cast<Label*>(control); break;
        case ControlKind::Image: form.*image = static_cast<Image*>(control); break;
        case ControlKind::CheckBox: form.*checkBox = static_cast<CheckBox*>(control); break;
        case ControlKind::Button: form.*button = static_cast<PushButton*>(control); break;
        }
    }

    ControlKind kind;
    Label* F::*label = nullptr;
    Image* F::*image = nullptr;
    CheckBox* F::*checkBox = nullptr;
    PushButton* F::*button = nullptr;
};

// One row of form F's table; handlers are F's member functions (or null).
template <typename F>
struct ControlSpec {
    const char* name;
    ControlMember<F> member;
    int left;
    int top;
    int width;
    int height;
    const FontSpec* font;  // null: the window's default font
    Content content;
    unsigned flags;
    void (F::*OnClick)() = nullptr;
    void (F::*OnMouseMove)() = nullptr;

    constexpr ControlLayout Layout() const {
        return {name, member.kind, left, top, width, height, font, content, flags};
    }
};

}  // namespace vigilo

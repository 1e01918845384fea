#include "windows/junk_window.h"

#include <windows.h>

#include "core/setting_names.h"
#include "core/window_classes.h"
#include "platform/text.h"

namespace vigilo {
namespace {
constexpr NotificationConstants kConstants{
    .frame = {window_classes::kJunk, window_classes::kJunkTitle, 400, 270},
    .background = IDB_NOTIFY_BACKGROUND_270,
    .kind = FindingKind::Junk,
    .firstLabelTop = 52,  // AmountLabel
    .linkParameters = " /CLEAN",
    .optOutCheckBox = {24, 237},
    .optOutLabel = {52, 239},
};

using F = JunkWindow;
namespace rows = frame_rows;
constexpr ControlSpec<F> kControls[] = {
    // name        member       left  top  width height font                     text or picture               flags
    rows::BackgroundImage<F>(kConstants),
    rows::TitleLabel<F>(),
    {"Logo",       &F::Logo,      24,  48,    0,   0, nullptr,                   BitmapRes(IDB_JUNK_LOGO),     kAutoSize},
    {"AmountLabel",    &F::AmountLabel,   88,  52,    0,  25, &fonts::kJunkAmount,       Design("10 MB"),              kAutoSize | kCenterV},
    {"AmountWordsLabel",    &F::AmountWordsLabel,  150,  52,    0,  23, &fonts::kJunkAmountWords,  Lang(texts::kCacheMessage1),  kAutoSize},
    {"MessageLabel",     &F::MessageLabel,    20, 104,  360,  35, nullptr,                   Lang(texts::kCacheMessage2),  kWordWrap | kCenterV},
    {"AdviceLabel",     &F::AdviceLabel,    20, 146,  360,  35, nullptr,                   Lang(texts::kCacheMessage3),  kWordWrap},
    rows::Link<F>("LaunchLink", &F::LaunchLink, 120, 196, Lang(texts::kCacheMessage4), &F::LaunchLinkClick),
    rows::OptOutLabel<F>(kConstants, texts::kCacheMessage5),
    rows::CloseButton<F>(),
    rows::MoreOptionsButton<F>(),
    rows::OptOutCheckBox<F>(kConstants, texts::kCacheMessage5),
};

// The words after the amount keep this distance from it (at 96 DPI).
constexpr int kAmountGap = 10;
constexpr std::uint64_t kBytesPerMegabyte = 1048576;
}  // namespace

JunkWindow::JunkWindow() : NotificationWindow(kConstants) {
    Declare(this, kControls);
    Create();
}

void JunkWindow::FillControls() {
    AmountLabel->SetText(JunkAmountText(JunkSize, DecimalSeparator()));
    // The amount takes the width of its text; the words follow it on the same line.
    AmountWordsLabel->MoveTo(AmountLabel->Bounds().right + Scaled(kAmountGap), AmountWordsLabel->Bounds().top);
}

std::string JunkAmountText(std::int64_t bytes, const std::string& decimalSeparator) {
    // Whole megabytes and hundredths in integers: a double would round sizes
    // beyond 2^53 bytes, and the runtime's printf need not honour the user's separator.
    const bool negative = bytes < 0;
    const std::uint64_t magnitude =
        negative ? ~static_cast<std::uint64_t>(bytes) + 1 : static_cast<std::uint64_t>(bytes);
    const std::uint64_t rest = magnitude % kBytesPerMegabyte;
    const std::uint64_t hundredths =
        magnitude / kBytesPerMegabyte * 100 + (rest * 100 + kBytesPerMegabyte / 2) / kBytesPerMegabyte;
    const std::uint64_t fraction = hundredths % 100;
    std::string text = negative ? "-" : "";
    text += std::to_string(hundredths / 100) + decimalSeparator;
    text += static_cast<char>('0' + fraction / 10);
    text += static_cast<char>('0' + fraction % 10);
    // "%3.2f" pads to three characters; "0.00" already has four.
    return text + " MB";
}

std::string DecimalSeparator() {
    wchar_t separator[8] = L"";
    // The thread's locale starts as the user's, and then GetLocaleInfo honours
    // a separator the user set in the regional settings.
    if (GetLocaleInfoW(GetThreadLocale(), LOCALE_SDECIMAL, separator, 8) <= 1) return ".";
    return Utf8(separator);
}

}  // namespace vigilo

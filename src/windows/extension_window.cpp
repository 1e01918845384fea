#include "windows/extension_window.h"

#include "core/browser_names.h"
#include "core/setting_names.h"
#include "core/window_classes.h"

namespace vigilo {
namespace {
constexpr NotificationConstants kConstants{
    .frame = {window_classes::kExtension, window_classes::kExtensionTitle, 400, 270},
    .background = IDB_NOTIFY_BACKGROUND_270,
    .kind = FindingKind::Extension,
    .firstLabelTop = 48,  // MessageLabel
    .linkParameters = "",
    .optOutCheckBox = {24, 237},
    .optOutLabel = {52, 239},
};

using F = ExtensionWindow;
namespace rows = frame_rows;
constexpr ControlSpec<F> kControls[] = {
    // name      member      left  top  width height font     text or picture                 flags
    rows::BackgroundImage<F>(kConstants),
    rows::TitleLabel<F>(),
    {"LogoIE",   &F::LogoIE,   24,  48,   48,  48, nullptr, BitmapRes(IDB_LOGO_IE),         kHidden},
    {"LogoFF",   &F::LogoFF,   24,  48,   48,  48, nullptr, BitmapRes(IDB_LOGO_FIREFOX),    kHidden},
    {"LogoCh",   &F::LogoCh,   24,  48,   48,  48, nullptr, BitmapRes(IDB_LOGO_CHROME),     kHidden},
    {"LogoBr",   &F::LogoBr,   24,  48,   48,  48, nullptr, BitmapRes(IDB_LOGO_BROWSER),    kHidden},
    {"MessageLabel",   &F::MessageLabel,   82,  48,  300,  40, nullptr, Lang(texts::kToolbarMessage1),  kCenterH | kWordWrap},
    {"ExplanationLabel",   &F::ExplanationLabel,   20, 104,  360,  35, nullptr, Lang(texts::kToolbarMessage2),  kWordWrap | kCenterV},
    {"AdviceLabel",   &F::AdviceLabel,   20, 146,  360,  35, nullptr, Lang(texts::kToolbarMessage3),  kWordWrap},
    rows::Link<F>("LaunchLink", &F::LaunchLink, 112, 196, Lang(texts::kToolbarMessage4), &F::LaunchLinkClick),
    // Under the link, when the same round found more extensions.
    {"MoreFoundLabel", &F::MoreFoundLabel, 112, 216, 0, 17, nullptr, Lang(texts::kMoreFound), kAutoSize | kCenterV | kHidden},
    rows::OptOutLabel<F>(kConstants, texts::kToolbarMessage5),
    rows::CloseButton<F>(),
    rows::MoreOptionsButton<F>(),
    rows::OptOutCheckBox<F>(kConstants, texts::kToolbarMessage5),
};

// Which logo each browser name brings up; the names are compared exactly.
struct BrowserLogo {
    const char* browserName;
    Image* F::*logo;
};
constexpr BrowserLogo kLogos[] = {
    {browsers::kInternetExplorer, &F::LogoIE},
    {browsers::kFirefox, &F::LogoFF},
    {browsers::kChrome, &F::LogoCh},
    // Browsers without a logo of their own show the generic one.
    {browsers::kEdge, &F::LogoBr},
    {browsers::kBrave, &F::LogoBr},
};

constexpr const char* kBrowserNamePlaceholder = "<BrowserName>";

// text with every occurrence of placeholder replaced by value (case-sensitive).
std::string ReplaceAll(const std::string& text, const std::string& placeholder, const std::string& value) {
    std::string result = text;
    // Go on after each insertion, so a value holding the placeholder is not expanded again.
    for (size_t at = result.find(placeholder); at != std::string::npos;
         at = result.find(placeholder, at + value.size()))
        result.replace(at, placeholder.size(), value);
    return result;
}
}  // namespace

ExtensionWindow::ExtensionWindow() : NotificationWindow(kConstants) {
    Declare(this, kControls);
    Create();
}

void ExtensionWindow::FillControls() {
    for (const BrowserLogo& entry : kLogos)
        if (BrowserName == entry.browserName) (this->*entry.logo)->SetVisible(true);
    MessageLabel->SetText(ReplaceAll(MessageLabel->Text(), kBrowserNamePlaceholder, BrowserName));
    MoreFoundLabel->SetText(WithNumber(Text(texts::kMoreFound), MoreFound));
    MoreFoundLabel->SetVisible(MoreFound > 0);
}

}  // namespace vigilo

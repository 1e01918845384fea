#pragma once
// The junk-file window: the browsers' caches hold a lot of junk; shows the
// amount in megabytes, large and red, and offers to start Purgeon with
// " /CLEAN". A timed notification: the junk check shows it for 20 seconds.
#include <cstdint>
#include <string>

#include "windows/notification_window.h"

namespace vigilo {

class JunkWindow : public NotificationWindow {
public:
    // Creates the window hidden, with no owner, its texts loaded.
    JunkWindow();

    // Set by the caller before showing: the junk found, in bytes.
    std::int64_t JunkSize = 0;

    // The link "Start Purgeon": starts Purgeon with " /CLEAN", then closes.
    void LaunchLinkClick() { LaunchAndClose(); }

    Image* Logo = nullptr;     // a bin full of paper
    Label* AmountLabel = nullptr;  // the amount, large and red
    Label* AmountWordsLabel = nullptr;  // "of junk found!", right after the amount
    Label* MessageLabel = nullptr;   // "Recent activity generated a lot of junk files."
    Label* AdviceLabel = nullptr;   // "Run a cleanup scan in Purgeon ..."
    Label* LaunchLink = nullptr;   // the link "Start Purgeon"

protected:
    void FillControls() override;
};

// The amount as AmountLabel shows it: bytes in megabytes of 1048576 bytes, fixed
// point with exactly two decimals (halves rounded away from zero), at least
// three characters wide, no thousands separator, decimalSeparator between
// the whole and the fraction, then " MB". Exact for every 64-bit size.
std::string JunkAmountText(std::int64_t bytes, const std::string& decimalSeparator);

// The decimal separator of the calling thread's locale: the user's locale,
// with the user's own choice of separator, unless the thread was given
// another locale; "." when the system has none.
std::string DecimalSeparator();

}  // namespace vigilo

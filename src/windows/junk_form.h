#pragma once
// The junk-file window: the browsers' caches hold a lot of junk; shows the
// amount in megabytes, large and red, and offers to start Purgeon with
// " /CLEAN". A timed notification: the junk check shows it for 20 seconds.
#include <cstdint>
#include <string>

#include "windows/notification_form.h"

namespace vigilo {

class TForm2d : public NotificationForm {
public:
    // Creates the window hidden, with no owner, its texts loaded.
    TForm2d();

    // Set by the caller before showing: the junk found, in bytes.
    std::int64_t JunkSize = 0;

    // The link "Start Purgeon": starts Purgeon with " /CLEAN", then closes.
    void Label4Click() { LaunchAndClose(); }

    Image* Logo = nullptr;     // a bin full of paper
    Label* Label1a = nullptr;  // the amount, large and red
    Label* Label1b = nullptr;  // "of junk found!", right after the amount
    Label* Label2 = nullptr;   // "Recent activity generated a lot of junk files."
    Label* Label3 = nullptr;   // "Run a cleanup scan in Purgeon ..."
    Label* Label4 = nullptr;   // the link "Start Purgeon"

protected:
    void FillControls() override;
};

// The amount as Label1a shows it: bytes in megabytes of 1048576 bytes, fixed
// point with exactly two decimals (halves rounded away from zero), at least
// three characters wide, no thousands separator, decimalSeparator between
// the whole and the fraction, then " MB". Exact for every 64-bit size.
std::string JunkAmountText(std::int64_t bytes, const std::string& decimalSeparator);

// The decimal separator of the calling thread's locale: the user's locale,
// with the user's own choice of separator, unless the thread was given
// another locale; "." when the system has none.
std::string DecimalSeparator();

}  // namespace vigilo

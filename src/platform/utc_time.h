#pragma once
// Moments as files that outlive a time zone keep them: UTC, written in
// ISO 8601 to the second ("2026-03-07T09:01:02Z"), and shown to the user in
// the local time of the moment they are shown.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace vigilo {

// Now, UTC.
SYSTEMTIME UtcNow();
// "YYYY-MM-DDTHH:MM:SSZ" of a UTC time.
std::string IsoUtcText(const SYSTEMTIME& utc);
// The UTC time of a text in exactly that form, with a real date; empty for any other text.
std::optional<SYSTEMTIME> ParseIsoUtcText(std::string_view text);
// "YYYY-MM-DD HH:MM:SS" of UTC times in this computer's time zone, with the
// daylight saving rule of each date; the UTC time's text where the zone
// cannot convert it. The zone is asked once, when the object is made: the
// system's answer costs a call to the Wine server each time, ten thousand
// rows' worth of which take a second.
class LocalTimes {
public:
    LocalTimes();
    std::string Text(const SYSTEMTIME& utc) const;

private:
    TIME_ZONE_INFORMATION zone_{};
    bool known_ = false;
};

}  // namespace vigilo

#pragma once
// The rule of the delay page's entry, without widgets: what the user typed becomes a
// slideshow delay in milliseconds, or a message that says why it cannot.

#include <optional>

#include <QString>

namespace keldar::ui {

struct SlideshowDelayEntry {
    std::optional<int> delay;  // milliseconds, 1 or more; empty when the entry is refused
    QString message;           // why it was refused; empty when accepted
};

// A decimal whole number with an optional sign, as the string-to-integer conversion takes it.
// Anything else, blanks included, is "'<text>' is not a valid integer value". A timer cannot
// run with an interval of 0 or below, so such numbers are refused with their own message.
SlideshowDelayEntry parseSlideshowDelay(const QString& text);

}  // namespace keldar::ui

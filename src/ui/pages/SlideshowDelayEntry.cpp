#include "ui/pages/SlideshowDelayEntry.h"

#include "core/decode/DecimalInteger.h"

namespace keldar::ui {

SlideshowDelayEntry parseSlideshowDelay(const QString& text) {
    const std::optional<std::int32_t> value = decode::parseDecimalInt32(text.toStdString());
    if (!value) return {std::nullopt, QStringLiteral("'%1' is not a valid integer value").arg(text)};
    if (*value <= 0)
        return {std::nullopt,
                QStringLiteral("'%1' is not a valid slideshow delay: enter a number of milliseconds of 1 or more.")
                    .arg(text)};
    return {*value, QString()};
}

}  // namespace keldar::ui

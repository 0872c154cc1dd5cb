#pragma once
// Where the stereo partner of the current image is looked for: the directory text, "/", the
// partner's name and ".jpg", then ".JPG" (the rule lives in core/decode/StereoPartnerFile.h,
// shared with the command line's batch).

#include <QString>

namespace keldar::ui {

// The path the partner would have with the lower-case extension.
QString partnerFilePath(const QString& directory, const QString& partnerName);

// The partner file that exists (".jpg" first, then ".JPG"), or "" when neither does.
QString findPartnerFile(const QString& directory, const QString& partnerName);

}  // namespace keldar::ui

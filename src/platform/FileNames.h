#pragma once
// File names on Linux are bytes. Most are UTF-8, but a name may hold any bytes, and the
// toolkit's own conversion drops such names. Here every byte that is not part of UTF-8 is kept
// in the QString as a lone surrogate U+DC80..U+DCFF, one per byte, so a name read from a
// directory converts back to exactly its bytes; on screen those bytes show as U+FFFD.

#include <QByteArray>
#include <QString>

namespace keldar::platform {

QString fileNameFromBytes(const QByteArray& bytes);
QByteArray fileNameToBytes(const QString& name);
// The name as the user reads it: each byte that is not UTF-8 becomes U+FFFD.
QString displayFileName(const QString& name);

}  // namespace keldar::platform

#include "platform/FileNames.h"

#include <string_view>

#include "core/decode/Utf8.h"

namespace keldar::platform {

namespace {

constexpr char16_t kFirstEscape = 0xDC80;  // stands for byte 0x80
constexpr char16_t kLastEscape = 0xDCFF;   // stands for byte 0xFF

bool isEscape(QChar c) { return c.unicode() >= kFirstEscape && c.unicode() <= kLastEscape; }

}  // namespace

QString fileNameFromBytes(const QByteArray& bytes) {
    QString name;
    name.reserve(bytes.size());
    qsizetype run = 0;  // start of the UTF-8 run not yet appended
    for (qsizetype i = 0; i < bytes.size();) {
        const auto length = static_cast<qsizetype>(decode::utf8SequenceLength(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), static_cast<std::size_t>(i)));
        if (length > 0) {
            i += length;
            continue;
        }
        name += QString::fromUtf8(bytes.constData() + run, i - run);
        name += QChar(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[i])));
        run = ++i;
    }
    name += QString::fromUtf8(bytes.constData() + run, bytes.size() - run);
    return name;
}

QByteArray fileNameToBytes(const QString& name) {
    QByteArray bytes;
    qsizetype run = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        // A low surrogate right after a high one is half of a real character.
        const bool paired = i > 0 && name[i - 1].isHighSurrogate();
        if (!isEscape(name[i]) || paired) continue;
        bytes += QStringView(name).mid(run, i - run).toUtf8();
        bytes += static_cast<char>(name[i].unicode() - 0xDC00);
        run = i + 1;
    }
    bytes += QStringView(name).mid(run).toUtf8();
    return bytes;
}

QString displayFileName(const QString& name) {
    QString shown = name;
    for (qsizetype i = 0; i < shown.size(); ++i)
        if (isEscape(shown[i]) && !(i > 0 && shown[i - 1].isHighSurrogate())) shown[i] = QChar(0xFFFD);
    return shown;
}

}  // namespace keldar::platform

#include "platform/FileNames.h"

namespace keldar::platform {

namespace {

constexpr char16_t kFirstEscape = 0xDC80;  // stands for byte 0x80
constexpr char16_t kLastEscape = 0xDCFF;   // stands for byte 0xFF

// Length of the well-formed UTF-8 sequence at bytes[i], or 0 when the bytes there are not one.
qsizetype utf8SequenceLength(const QByteArray& bytes, qsizetype i) {
    const auto byte = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > bytes.size() || byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (qsizetype k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    return length;
}

bool isEscape(QChar c) { return c.unicode() >= kFirstEscape && c.unicode() <= kLastEscape; }

}  // namespace

QString fileNameFromBytes(const QByteArray& bytes) {
    QString name;
    name.reserve(bytes.size());
    qsizetype run = 0;  // start of the UTF-8 run not yet appended
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype length = utf8SequenceLength(bytes, i);
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

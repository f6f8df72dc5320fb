#include "core/hexinput.h"

namespace kvcore {

std::optional<uint32_t> parseHexInput(const QString& text) {
    if (text.isEmpty()) return std::nullopt;
    uint32_t value = 0;
    int significant = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const int digit = (u >= u'0' && u <= u'9')   ? u - u'0'
                          : (u >= u'a' && u <= u'f') ? u - u'a' + 10
                          : (u >= u'A' && u <= u'F') ? u - u'A' + 10
                                                     : -1;
        if (digit < 0) return std::nullopt;
        if (significant > 0 || digit != 0) ++significant;
        if (significant > 8) return std::nullopt;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return value;
}

std::optional<uint32_t> parseHexField(const QString& text, int bytes) {
    const std::optional<uint32_t> value = parseHexInput(text);
    if (!value || (bytes < 4 && *value >> (8 * bytes) != 0)) return std::nullopt;
    return value;
}

QString hexText(uint32_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QChar('0')).toUpper();
}

}  // namespace kvcore

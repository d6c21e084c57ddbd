#pragma once
// UTF-16 between the core's strings and Qt's, unit for unit.
#include <QString>
#include <string>
#include <string_view>

namespace tetomu {

inline QString toQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

inline std::u16string toU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          std::size_t(text.size()));
}

}  // namespace tetomu

#include "qt/text_conversion.h"

#include "window/display_text.h"

namespace tetomu {

QString toQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

std::u16string toU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          std::size_t(text.size()));
}

QString toEditorText(std::u16string_view text) {
    QString out;
    out.reserve(qsizetype(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            out += QLatin1Char('\n');
        } else if (c == u'\0') {
            out += QChar(kNulSymbol);
        } else {
            out += QChar(c);
        }
    }
    return out;
}

std::u16string fromEditorText(const QString& rawText) {
    std::u16string out;
    out.reserve(std::size_t(rawText.size()) + 16);
    for (const QChar c : rawText) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QLatin1Char('\n')) {
            out += u"\r\n";
        } else if (c.unicode() == kNulSymbol) {
            out += u'\0';
        } else {
            out += char16_t(c.unicode());
        }
    }
    return out;
}

QString toListText(std::u16string_view title) {
    QString out = toQString(title);
    out.replace(QLatin1Char('\r'), QLatin1Char(' '));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    out.replace(QChar(u'\0'), QChar(kNulSymbol));
    return out;
}

}  // namespace tetomu

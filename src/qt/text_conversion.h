#pragma once
// Text between the core and the widgets. The core keeps every string exactly as it was assigned,
// line breaks CR LF as stored, undecodable bytes as escape code units. The widgets get a copy
// they can show; a person's edit comes back with CR LF line breaks. Escape code units pass
// through unchanged both ways, so a memo's odd bytes survive an edit.
#include <QString>
#include <string>
#include <string_view>

namespace tetomu {

QString toQString(std::u16string_view text);
std::u16string toU16(const QString& text);

// For the text box: CR LF, a lone CR and a lone LF each become one line break ('\n').
QString toEditorText(std::u16string_view text);
// From the text box's raw document text: each paragraph or line separator becomes CR LF.
std::u16string fromEditorText(const QString& rawText);

// For a row of the list: a title holds no CR LF pair, but may hold a lone CR or LF; a row shows
// one line, so each becomes a space.
QString toListText(std::u16string_view title);

}  // namespace tetomu

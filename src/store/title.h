#pragma once
// A memo's title: its first 60 characters without their line breaks.
#include <string>
#include <string_view>

namespace tetomu {

inline constexpr std::size_t kTitleLength = 60;
inline constexpr std::u16string_view kFallbackTitle = u"temp";

// Cuts out CR LF pairs, resuming the search where the cut pair began, so that CR CR LF LF
// leaves one pair behind (the pair it forms starts before the search position).
std::u16string withoutLineBreaks(std::u16string_view s);

// The title of a memo text: never contains a CR LF pair, so it is always one line of the index.
std::u16string titleOf(std::u16string_view text);

}  // namespace tetomu

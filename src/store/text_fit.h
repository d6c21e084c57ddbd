#pragma once
// A person's edit of a memo's text, fitted to what the memo file can hold. The text box and the
// file must never disagree, so an edit is taken as the file will read back: a look-alike for the
// characters the code page writes one way (WAVE DASH as the full-width tilde, ...), '?' for one
// it cannot hold at all, which the person is told about. Where an undecodable byte kept from the
// file stands next to the edit, the span is widened by that unit so that the bytes on either
// side still decode as before; a stray lead byte that would join the person's character becomes
// '?' itself, and the character is kept.
#include <string>
#include <string_view>

#include "store/memo_image.h"

namespace tetomu {

class TextCodec;

// Units [at, at + removed) of a text replaced by inserted.
struct TextEdit {
    std::size_t at = 0;
    std::size_t removed = 0;
    std::u16string inserted;
    bool operator==(const TextEdit&) const = default;
};

struct FittedEdit {
    // The edit to apply to the text as it was: the person's, widened and fitted.
    TextEdit applied;
    // The same change said of the text with the person's edit applied as typed, which is what a
    // widget shows: only when fitting changed something.
    bool refitted = false;
    TextEdit refit;
    // The characters that had to become '?', in the order typed; a stray byte of the file as its
    // kept unit.
    std::u16string replaced;
    // For the memo's kept bytes (store/memo_image.h).
    TextSplice splice;
};

FittedEdit fitEdit(const TextCodec& codec, std::u16string_view before, const TextEdit& typed);

}  // namespace tetomu

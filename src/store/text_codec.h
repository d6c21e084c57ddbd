#pragma once
// Turns file bytes into the UTF-16 text the controls hold, and back. The store never looks at
// characters itself; the code page is one implementation of this interface.
#include <string>
#include <string_view>

namespace tetomu {

class TextCodec {
public:
    virtual ~TextCodec() = default;
    virtual std::u16string decode(std::string_view bytes) const = 0;
    virtual std::string encode(std::u16string_view text) const = 0;
};

}  // namespace tetomu

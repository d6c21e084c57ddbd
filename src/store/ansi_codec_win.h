#pragma once
// The memo folder's encoding on Windows: the system's ANSI code page. On Japanese systems that
// is code page 932, which the core's own table converts, so files match what other computers
// wrote byte for byte. Other code pages go through the system's conversion; bytes that do not
// decode are kept as the same escape code units that Cp932Codec uses, so an unedited memo is
// written back unchanged.
#include "store/cp932_codec.h"
#include "store/text_codec.h"

namespace tetomu {

class AnsiCodec final : public TextCodec {
  public:
    // The system's ANSI code page.
    AnsiCodec();
    explicit AnsiCodec(unsigned codePage);

    unsigned codePage() const { return codePage_; }
    void decodeAppend(std::string_view bytes, std::u16string& out) const override;
    void encodeAppend(std::u16string_view text, std::string& out,
                      std::u16string* replaced = nullptr) const override;
    std::size_t encodedLength(std::u16string_view decoded) const override;

  private:
    void encodeRun(std::u16string_view run, std::string& out, std::u16string* replaced) const;

    unsigned codePage_;
    unsigned maxCharSize_ = 1;
    Cp932Codec cp932_;
};

}  // namespace tetomu

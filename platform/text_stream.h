#pragma once

#include <string>
#include <string_view>

// Bytes written in binary and read back as text in a named character set, given in the system's
// code page (GBK; characters it lacks in their GB18030 four-byte forms).
namespace quenlo::text_stream {

class TextStream {
  public:
    void writeBinary(std::string_view bytes) { bytes_.append(bytes); }
    // Any name iconv knows ("utf-8", "big5", "iso-8859-1", ...); the default is the system's own.
    void setCharset(std::string_view charset) { charset_ = charset; }
    // The bytes decoded in the charset, as GBK. With a charset that is not known the bytes come back
    // as they were written. A byte-order mark at the start is not part of the text.
    std::string readText() const;

  private:
    std::string bytes_;
    std::string charset_ = "GBK";
};

}  // namespace quenlo::text_stream

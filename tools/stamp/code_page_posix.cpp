// ANSI code pages through iconv, under the names glibc knows them by.
#include <errno.h>
#include <iconv.h>

#include "text_encoding.h"

namespace launcher::stamp {
namespace {

constexpr uint32_t kUtf8CodePage = 65001;

std::string iconvName(uint32_t codePage) {
  switch (codePage) {
    case 20127: return "ASCII";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 54936: return "GB18030";
    default: break;
  }
  if (codePage >= 28591 && codePage <= 28606) return "ISO-8859-" + std::to_string(codePage - 28590);
  return "CP" + std::to_string(codePage);
}

class Converter {
 public:
  explicit Converter(uint32_t codePage) : handle_(iconv_open(iconvName(codePage).c_str(), "UTF-8")) {}
  ~Converter() {
    if (valid()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return handle_; }

 private:
  iconv_t handle_;
};

}  // namespace

bool codePageSupported(uint32_t codePage) {
  return codePage == kUtf8CodePage || Converter(codePage).valid();
}

std::optional<std::string> utf8ToCodePage(std::string_view utf8, uint32_t codePage) {
  if (codePage == kUtf8CodePage) return std::string(utf8);
  Converter converter(codePage);
  if (!converter.valid()) return std::nullopt;
  std::string input(utf8);
  std::string output(input.size() * 4 + 16, '\0');
  char* in = input.data();
  std::size_t inLeft = input.size();
  char* out = output.data();
  std::size_t outLeft = output.size();
  // Without //TRANSLIT iconv stops at the first character the code page
  // lacks instead of substituting a look-alike.
  if (iconv(converter.get(), &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) return std::nullopt;
  // Stateful encodings may owe a shift sequence at the end.
  if (iconv(converter.get(), nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1)) return std::nullopt;
  output.resize(output.size() - outLeft);
  return output;
}

std::vector<std::string> utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

}  // namespace launcher::stamp

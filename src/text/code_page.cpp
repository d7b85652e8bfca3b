#include "text/code_page.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace quillivar {
namespace {

// glibc unloads a conversion module some closes after its last converter,
// and loading it again takes a file descriptor: one converter of each
// direction stays open, so that the message of a process out of descriptors
// can still be converted and shown.
class KeptConverters {
 public:
  KeptConverters()
      : handles_{iconv_open("CP932", "UTF-8"), iconv_open("UTF-16LE", "CP932"),
                 iconv_open("UTF-8", "UTF-16LE")} {}
  ~KeptConverters() {
    for (const iconv_t handle : handles_) {
      if (handle != reinterpret_cast<iconv_t>(-1)) iconv_close(handle);
    }
  }

 private:
  std::array<iconv_t, 3> handles_;
};

void KeepConversionModulesLoaded() { static const KeptConverters kept; }

class Iconv {
 public:
  Iconv(const char* to, const char* from) : handle_(iconv_open(to, from)) {
    KeepConversionModulesLoaded();
    if (handle_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert from ") +
                               from + " to " + to);
    }
  }
  ~Iconv() { iconv_close(handle_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // Converts as much as it can; returns false on the first unconvertible or
  // incomplete input, leaving `in` at it.
  bool Convert(const char*& in, std::size_t& inLeft, std::string& out) {
    char buffer[256];
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      char* inPtr = const_cast<char*>(in);
      const std::size_t rc = iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft);
      const int error = errno;
      in = inPtr;
      out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
      if (rc == static_cast<std::size_t>(-1) && error != E2BIG) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // reset state
        return false;
      }
    }
    return true;
  }

 private:
  iconv_t handle_;
};

// Single bytes that the platform's code page 932 maps and glibc's CP932 does
// not: it has no character for them at all.
struct SingleByte {
  char16_t unit;
  unsigned char byte;
};
constexpr std::array<SingleByte, 5> kPlatformSingleBytes = {{
    {0x0080, 0x80}, {0xF8F0, 0xA0}, {0xF8F1, 0xFD}, {0xF8F2, 0xFE}, {0xF8F3, 0xFF}}};

// The code page 932 bytes of every 16-bit unit, built once through iconv so
// that a page converts by table look-up.
struct UnitTable {
  std::array<std::uint8_t, 65536> length{};
  std::array<std::array<char, 2>, 65536> bytes{};
};

const UnitTable& Table() {
  static const std::unique_ptr<UnitTable> table = [] {
    auto built = std::make_unique<UnitTable>();
    Iconv toSjis("CP932", "UTF-16LE");
    for (std::uint32_t unit = 0; unit < 65536; ++unit) {
      std::string out;
      bool ok = false;
      if (unit < 0xD800 || unit > 0xDFFF) {
        const char in[2] = {static_cast<char>(unit & 0xFF),
                            static_cast<char>(unit >> 8)};
        const char* inPtr = in;
        std::size_t inLeft = 2;
        ok = toSjis.Convert(inPtr, inLeft, out) && !out.empty() &&
             out.size() <= 2;
      }
      if (!ok) {
        built->length[unit] = 1;
        built->bytes[unit] = {'?', '\0'};
        continue;
      }
      built->length[unit] = static_cast<std::uint8_t>(out.size());
      built->bytes[unit] = {out[0], out.size() > 1 ? out[1] : '\0'};
    }
    for (const SingleByte& single : kPlatformSingleBytes) {
      built->length[single.unit] = 1;
      built->bytes[single.unit] = {static_cast<char>(single.byte), '\0'};
    }
    return built;
  }();
  return *table;
}

// Converts `input`; each byte where the conversion stops is replaced by
// `replace` of that byte, and the conversion goes on after it.
template <typename Replace>
std::string ConvertWithReplacement(const char* to, const char* from,
                                   std::string_view input, Replace replace) {
  Iconv converter(to, from);
  std::string out;
  const char* in = input.data();
  std::size_t left = input.size();
  while (!converter.Convert(in, left, out)) {
    out.append(replace(static_cast<unsigned char>(*in)));
    ++in;
    --left;
  }
  return out;
}

// A byte that glibc cannot read: one of the platform's single bytes, or "?".
std::string UnitOfUnreadableByte(unsigned char byte) {
  char16_t unit = u'?';
  for (const SingleByte& single : kPlatformSingleBytes) {
    if (single.byte == byte) unit = single.unit;
  }
  return {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
}

}  // namespace

void SjisWriter::PutFromTable(char16_t unit) {
  const UnitTable& table = Table();
  out_.append(table.bytes[unit].data(), table.length[unit]);
}

Text UnitsToSjis(std::u16string_view units) {
  Text out;
  out.reserve(units.size() * 2);
  SjisWriter writer(out);
  for (const char16_t unit : units) writer.Put(unit);
  return out;
}

std::u16string SjisToUnits(std::string_view text) {
  const std::string utf16 =
      ConvertWithReplacement("UTF-16LE", "CP932", text, UnitOfUnreadableByte);
  std::u16string units(utf16.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(
        static_cast<unsigned char>(utf16[2 * i]) |
        (static_cast<unsigned char>(utf16[2 * i + 1]) << 8));
  }
  return units;
}

Text Sjis(std::string_view utf8) {
  Iconv converter("CP932", "UTF-8");
  Text out;
  const char* in = utf8.data();
  std::size_t left = utf8.size();
  if (!converter.Convert(in, left, out)) {
    throw std::logic_error("literal outside code page 932: " + std::string(utf8));
  }
  return out;
}

Text LenientSjis(std::string_view utf8) {
  return ConvertWithReplacement("CP932", "UTF-8", utf8,
                                [](unsigned char) { return std::string("?"); });
}

std::string SjisToUtf8(std::string_view text) {
  const std::u16string units = SjisToUnits(text);
  Iconv toUtf8("UTF-8", "UTF-16LE");
  std::string out;
  const char* in = reinterpret_cast<const char*>(units.data());
  std::size_t left = units.size() * sizeof(char16_t);
  toUtf8.Convert(in, left, out);  // code page 932 has no surrogates to refuse
  return out;
}

}  // namespace quillivar

// The format-picture language with hostile pictures and values, and the number and date readers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/format.h"
#include "base/locale_info.h"
#include "base/variant.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orlix;
  if (size < 9) return 0;
  const LocaleInfo& locale = EnglishUnitedStates();
  double number = 0;
  std::memcpy(&number, data, sizeof number);
  const std::string text(reinterpret_cast<const char*>(data + 8), size - 8);
  // The picture is the text up to the first NUL, the value text what follows it.
  const std::size_t nul = text.find('\0');
  const std::string picture = text.substr(0, nul);
  const std::string valueText = nul == std::string::npos ? text : text.substr(nul + 1);

  double parsed = 0;
  ParseNumberText(text, locale, &parsed);
  ParseNumberText(valueText, locale, nullptr);
  ParseDateText(text, locale, &parsed);
  ParseDateText(valueText, locale, &parsed);

  const Variant values[] = {Variant::FromDouble(number),
                            Variant::FromDate(number),
                            Variant::FromInt32(static_cast<std::int32_t>(data[1] | (data[2] << 8) | (data[3] << 16))),
                            Variant::FromInt16(static_cast<std::int16_t>(data[4] | (data[5] << 8))),
                            Variant::FromBool(data[6] & 1),
                            Variant::FromText(valueText),
                            Variant::Null(),
                            Variant()};
  for (const Variant& value : values) {
    const std::string out = FormatVariant(value, picture, locale);
    // Output grows with the picture and the value, never beyond a generous multiple of both.
    if (out.size() > 64 * (picture.size() + valueText.size()) + 4096) __builtin_trap();
    VariantToText(value, locale);
    IsNumericVariant(value, locale);
  }
  return 0;
}

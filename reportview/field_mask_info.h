// cFieldMaskInfo: one column definition of a field mask, read from the mask text, and the
// translation of a raw cell value into the value the grid shows.
//
// A field mask entry: field number, "=", the header in double quotes, an optional translation
// list in braces, an optional format picture in brackets, an optional comma before the next
// entry, e.g.  3="Attribute"{0="No",1=Yes}  or  5="Created"[dd/mm/yyyy]. The reader never
// reports a syntax error; it takes the characters as they come.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/keyed_collection.h"
#include "base/locale_info.h"
#include "base/variant.h"
#include "reportview/field_translation.h"

namespace orlix {

// What SetProperties returns in place of the rest of the mask when an entry cannot be read.
inline constexpr const char kInvalidFieldMask[] = "**Invalid**";

// Longest text (in UTF-16 units, as a host's string counts them) one SetProperties call reads.
inline constexpr std::size_t kMaxFieldMaskLength = 32767;

// The character-level steps of the mask reader, each working on the rest of the text.
namespace fieldmask {

// Drops the first character of `rest`, then trims spaces from both ends.
void SkipDelimiter(std::string& rest);
// Trims `rest`; the token is the trimmed text before the first of `delimiters`, and `rest`
// becomes the trimmed text from that delimiter on. Without a delimiter the token is all of
// `rest`, which becomes empty.
std::string NextToken(std::string& rest, std::string_view delimiters);
// Trims, then drops one leading and one trailing double quote where present.
std::string Unquote(std::string_view text);

// Reads the leading number of `text` the way a field number is written: blanks, tabs and line
// feeds are skipped anywhere; sign, digits, decimal point, exponent (E or D); or &H / &O
// followed by hexadecimal or octal digits. Reading stops at the first other character; no
// number gives 0. The value is rounded to an integer, ties to even. False when it does not fit
// a signed 32-bit integer.
bool ReadFieldNumber(std::string_view text, std::int32_t* number);

}  // namespace fieldmask

class cFieldMaskInfo {
 public:
  using TranslationList = KeyedCollection<cFieldTranslation>;

  // Reads the first entry of `strFieldMaskString` into this object; returns the rest of the text
  // with the separating comma consumed, or kInvalidFieldMask when the entry cannot be read (a
  // field number outside 32 bits, a text over kMaxFieldMaskLength); the members read before the
  // failure keep their values.
  std::string SetProperties(const std::string& strFieldMaskString);
  // True when the last SetProperties failed (the rest it returned is no part of the mask).
  bool ReadFailed() const { return mblnReadFailed; }

  // The display value of a cell: translated (a null cell matches the value "Null" and otherwise
  // shows as empty text), then formatted with FormatString when there is one. Without a
  // FormatString an untranslated value keeps its type. A cell that is not text matches a
  // translation value by its display text in `locale`.
  Variant TranslateValue(const Variant& vntValueToTranslate, const LocaleInfo& locale) const;
  // Same, in the user's locale.
  Variant TranslateValue(const Variant& vntValueToTranslate) const;

  std::int32_t FieldNumber() const { return mlngFieldNumber; }
  void FieldNumber(std::int32_t lngFieldNumber) { mlngFieldNumber = lngFieldNumber; }
  const std::string& Description() const { return mstrDescription; }
  void Description(std::string strDescription) { mstrDescription = std::move(strDescription); }
  const std::string& FormatString() const { return mstrFormatString; }
  void FormatString(std::string strFormatString) { mstrFormatString = std::move(strFormatString); }
  bool RTFField() const { return mblnRTFField; }
  // "MASK" and the field number for field numbers of 1 and more; empty otherwise.
  std::string Key() const;

  // Whether TranslateValue applies the translation list (false for an RTF field).
  bool HasTranslations() const { return mblnHasTranslations; }
  // The translation list in mask order; null until an entry with braces is read.
  const std::shared_ptr<TranslationList>& Translations() const { return mcolTranslations; }

 private:
  std::int32_t mlngFieldNumber = 0;
  std::string mstrDescription;
  std::string mstrFormatString;
  bool mblnRTFField = false;
  bool mblnHasTranslations = false;
  bool mblnReadFailed = false;
  std::shared_ptr<TranslationList> mcolTranslations;
};

}  // namespace orlix

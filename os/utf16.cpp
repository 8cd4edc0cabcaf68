#include "utf16.h"

namespace Velotrax::os {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

bool continuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

void appendUtf8(std::string& result, char32_t point) {
  if (point < 0x80) {
    result.push_back(static_cast<char>(point));
  } else if (point < 0x800) {
    result.push_back(static_cast<char>(0xC0 | (point >> 6)));
    result.push_back(static_cast<char>(0x80 | (point & 0x3F)));
  } else if (point < 0x10000) {
    result.push_back(static_cast<char>(0xE0 | (point >> 12)));
    result.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
    result.push_back(static_cast<char>(0x80 | (point & 0x3F)));
  } else {
    result.push_back(static_cast<char>(0xF0 | (point >> 18)));
    result.push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
    result.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
    result.push_back(static_cast<char>(0x80 | (point & 0x3F)));
  }
}

// UTF-16 to UTF-8; an unpaired surrogate becomes `unpaired`, or ends the conversion when that
// is null.
std::optional<std::string> toUtf8(std::u16string_view text, const char32_t* unpaired) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t point = text[i];
    if (point >= 0xD800 && point <= 0xDFFF) {
      const bool paired =
          point <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      if (paired) {
        point = 0x10000 + ((point - 0xD800) << 10) + (text[++i] - 0xDC00);
      } else if (unpaired) {
        point = *unpaired;
      } else {
        return std::nullopt;
      }
    }
    appendUtf8(result, point);
  }
  return result;
}

}  // namespace

std::optional<std::u16string> utf8ToUtf16(std::string_view text) {
  std::u16string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    char32_t point;
    size_t length;
    char32_t smallest;  // below this the form is overlong
    if (lead < 0x80) {
      result.push_back(lead);
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      point = lead & 0x1F, length = 2, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      point = lead & 0x0F, length = 3, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      point = lead & 0x07, length = 4, smallest = 0x10000;
    } else {
      return std::nullopt;
    }
    if (text.size() - i < length) return std::nullopt;
    for (size_t k = 1; k < length; ++k) {
      const unsigned char byte = static_cast<unsigned char>(text[i + k]);
      if (!continuation(byte)) return std::nullopt;
      point = (point << 6) | (byte & 0x3F);
    }
    if (point < smallest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
      return std::nullopt;
    if (point >= 0x10000) {
      point -= 0x10000;
      result.push_back(static_cast<char16_t>(0xD800 + (point >> 10)));
      result.push_back(static_cast<char16_t>(0xDC00 + (point & 0x3FF)));
    } else {
      result.push_back(static_cast<char16_t>(point));
    }
    i += length;
  }
  return result;
}

std::optional<std::string> utf16ToUtf8(std::u16string_view text) {
  return toUtf8(text, nullptr);
}

std::string utf16ToUtf8Replacing(std::u16string_view text) {
  return *toUtf8(text, &kReplacementCharacter);
}

}  // namespace Velotrax::os

#include "engine/place_name.h"

namespace quorvane {
namespace {

// Base letters of U+00C0 to U+017F; '*' a two-letter base (below), ' ' not a letter.
constexpr std::string_view kLatin1 =
    "aaaaaa*ceeeeiiiidnooooo ouuuuy**"   // U+00C0 to U+00DF
    "aaaaaa*ceeeeiiiidnooooo ouuuuy*y";  // U+00E0 to U+00FF
constexpr std::string_view kExtendedA =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii**jjkkklllllll"   // U+0100 to U+013F
    "lllnnnnnnnnnoooooo**rrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";  // U+0140 to U+017F
static_assert(kLatin1.size() == 0x40 && kExtendedA.size() == 0x80);

std::string_view two_letters(char32_t c) {
  switch (c) {
    case 0xC6:
    case 0xE6:
      return "ae";
    case 0xDE:
    case 0xFE:
      return "th";
    case 0xDF:
      return "ss";
    case 0x132:
    case 0x133:
      return "ij";
    case 0x152:
    case 0x153:
      return "oe";
    default:
      return {};
  }
}

// The code point of the UTF-8 sequence at the start of `s` and its length, or 0 length.
std::size_t decode(std::string_view s, char32_t& cp) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  std::size_t n = 0;
  if (b(0) >= 0xC2 && b(0) <= 0xDF)
    n = 2, cp = b(0) & 0x1F;
  else if (b(0) >= 0xE0 && b(0) <= 0xEF)
    n = 3, cp = b(0) & 0x0F;
  else
    return 0;  // longer sequences hold no letter folded here; kept byte for byte
  if (s.size() < n) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    if ((b(i) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i) & 0x3F);
  }
  return n;
}

}  // namespace

void fold_place_name(std::string_view name, std::string& out) {
  const std::size_t start = out.size();
  bool gap = false;  // a separator is due before the next letter
  auto put = [&](std::string_view letters) {
    if (gap && out.size() > start) out += ' ';
    gap = false;
    out += letters;
  };
  while (!name.empty()) {
    const unsigned char c = static_cast<unsigned char>(name.front());
    std::size_t used = 1;
    if (c < 0x80) {
      if (c >= 'A' && c <= 'Z')
        put(std::string_view(&"abcdefghijklmnopqrstuvwxyz"[c - 'A'], 1));
      else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        put(name.substr(0, 1));
      else if (c != '\'' && c != '.')
        gap = true;
    } else {
      char32_t cp = 0;
      used = decode(name, cp);
      if (used == 0) {
        used = 1;
        put(name.substr(0, 1));
      } else if (cp >= 0x300 && cp <= 0x36F) {
        // a combining accent: dropped
      } else if (cp == 0x2019) {
        // a typographic apostrophe, dropped as the plain one is
      } else if (cp >= 0xC0 && cp <= 0x17F) {
        const char base = cp < 0x100 ? kLatin1[cp - 0xC0] : kExtendedA[cp - 0x100];
        if (base == '*')
          put(two_letters(cp));
        else if (base == ' ')
          gap = true;
        else
          put(std::string_view(&base, 1));
      } else if (cp < 0xC0) {
        gap = true;  // Latin-1 punctuation and spaces
      } else {
        put(name.substr(0, used));
      }
    }
    name.remove_prefix(used);
  }
}

std::string fold_place_name(std::string_view name) {
  std::string out;
  fold_place_name(name, out);
  return out;
}

}  // namespace quorvane

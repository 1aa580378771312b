// Writes HAND-M.CUR, the hand pointer shown over the push buttons: a 32 x 32 Windows
// cursor file (32-bit colour with an AND mask), drawn below. make_hand_cursor OUTPUT
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// 'X' outline, 'o' fill, anything else clear. The fingertip is the hot spot.
const char* const kHand[] = {
    "     XX          ",  //
    "    XooX         ",  //
    "    XooX         ",  //
    "    XooX         ",  //
    "    XooX         ",  //
    "    XooXXX       ",  //
    "    XooXooXXX    ",  //
    "    XooXooXooXX  ",  //
    " XX XooXooXooXoX ",  //
    "XooXXooooooooXoX ",  //
    "XoooXoooooooooooX",  //
    " XooXoooooooooooX",  //
    "  XoXoooooooooooX",  //
    "  XoooooooooooooX",  //
    "   XooooooooooooX",  //
    "   XoooooooooooX ",  //
    "    XooooooooooX ",  //
    "    XoooooooooX  ",  //
    "     XooooooooX  ",  //
    "     XooooooooX  ",  //
    "     XXXXXXXXXX  ",  //
};
constexpr int kSize = 32, kHotX = 5, kHotY = 0;

void put16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& s, std::uint32_t v) {
  put16(s, v & 0xFFFF);
  put16(s, v >> 16);
}

char at(int x, int y) {
  if (y >= static_cast<int>(sizeof kHand / sizeof kHand[0])) return ' ';
  const std::string row = kHand[y];
  return x < static_cast<int>(row.size()) ? row[x] : ' ';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_hand_cursor OUTPUT\n");
    return 2;
  }
  std::string pixels, mask;
  for (int y = kSize - 1; y >= 0; --y) {  // bottom-up rows
    std::uint32_t bits = 0;
    for (int x = 0; x < kSize; ++x) {
      const char c = at(x, y);
      const std::uint32_t argb = c == 'X' ? 0xFF000000u : c == 'o' ? 0xFFFFFFFFu : 0u;
      put32(pixels, argb);  // stored as B, G, R, A
      if (argb == 0) bits |= 0x80000000u >> x;
    }
    for (int i = 3; i >= 0; --i) mask += static_cast<char>((bits >> (8 * i)) & 0xFF);
  }
  std::string image;
  put32(image, 40);  // BITMAPINFOHEADER
  put32(image, kSize);
  put32(image, kSize * 2);  // colour and mask
  put16(image, 1);
  put16(image, 32);
  put32(image, 0);
  put32(image, static_cast<std::uint32_t>(pixels.size() + mask.size()));
  for (int i = 0; i < 4; ++i) put32(image, 0);
  image += pixels;
  image += mask;

  std::string file;
  put16(file, 0);
  put16(file, 2);  // a cursor
  put16(file, 1);
  file += static_cast<char>(kSize);
  file += static_cast<char>(kSize);
  file += '\0';
  file += '\0';
  put16(file, kHotX);
  put16(file, kHotY);
  put32(file, static_cast<std::uint32_t>(image.size()));
  put32(file, 22);
  file += image;
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << file;
  return out ? 0 : 1;
}

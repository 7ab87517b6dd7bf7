// Texts of ID3 tags in Windows-1251.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

enum TId3Encoding : uint8_t { ieLatin1 = 0, ieUtf16 = 1, ieUtf16Be = 2, ieUtf8 = 3 };

// Where the first string of bytes in the encoding ends: the position of its terminator (one
// zero byte, or a zero pair at an even position in UTF-16), else bytes.size().
size_t TextEnd(uint8_t encoding, std::string_view bytes);
// How long the terminator is: 2 in UTF-16, else 1.
size_t TerminatorSize(uint8_t encoding);

// The first string of bytes, up to its terminator, in Windows-1251. UTF-16 follows its
// byte-order mark (little-endian without one), UTF-16BE is big-endian; unknown encodings are
// read as ISO-8859-1. Characters that Windows-1251 lacks become '?'.
std::string DecodeId3Text(uint8_t encoding, std::string_view bytes);

// A fixed field of an ID3 version 1 tag: up to the first zero byte, without blanks and control
// characters at either end. Its bytes are kept as they are.
std::string Id3v1Field(std::string_view field);

} // namespace orv

// A stock code: the first four bytes of a row and of its line in
// brand_code.csv. Each byte is a digit or an upper-case letter (the
// exchanges give new listings codes such as 130A and 1A00). Codes order byte
// by byte, digits before letters, which for four digits is the order of
// their numbers.
#pragma once

#include <compare>
#include <cstdint>
#include <string_view>

#include "text/text.h"

namespace quillivar {

class StockCode {
 public:
  static constexpr std::size_t kLength = 4;

  // The first four bytes of `line`; all of it when it is shorter.
  explicit StockCode(std::string_view line);

  // Four bytes, each 0-9 or A-Z, in any place.
  bool IsStockCode() const;
  // The bytes as they came.
  Text Bytes() const;

  auto operator<=>(const StockCode&) const = default;

 private:
  // The bytes big-endian, zero-padded, then the length: one integer that
  // compares as the bytes do, so that ordering costs what a number did.
  std::uint64_t key_ = 0;
};

}  // namespace quillivar

#include "stocklist/stock_code.h"

#include <algorithm>

namespace quillivar {
namespace {

constexpr int kLengthBits = 3;
constexpr std::uint64_t kLengthMask = (1u << kLengthBits) - 1;

bool IsCodeByte(unsigned char byte) {
  return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z');
}

}  // namespace

StockCode::StockCode(std::string_view line) {
  const std::size_t length = std::min(line.size(), kLength);
  for (std::size_t k = 0; k < kLength; ++k) {
    key_ = (key_ << 8) | (k < length ? static_cast<unsigned char>(line[k]) : 0u);
  }
  key_ = (key_ << kLengthBits) | length;
}

bool StockCode::IsStockCode() const {
  const Text bytes = Bytes();
  return bytes.size() == kLength &&
         std::all_of(bytes.begin(), bytes.end(), [](char byte) { return IsCodeByte(byte); });
}

Text StockCode::Bytes() const {
  Text bytes(key_ & kLengthMask, '\0');
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    bytes[k] = static_cast<char>(key_ >> (kLengthBits + 8 * (kLength - 1 - k)));
  }
  return bytes;
}

}  // namespace quillivar

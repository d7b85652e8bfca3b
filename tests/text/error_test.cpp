#include "text/error.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "text/code_page.h"

namespace quillivar {
namespace {

Text MessageOf(const std::function<void()>& thrower) {
  try {
    thrower();
  } catch (...) {
    return MessageOfCurrentException();
  }
  return "(nothing thrown)";
}

TEST(MessageOfCurrentExceptionTest, NamesEveryKindOfFailure) {
  EXPECT_EQ(MessageOf([] { throw Error(Sjis("ファイルが見つかりません")); }),
            Sjis("ファイルが見つかりません"));
  EXPECT_EQ(MessageOf([] { throw std::bad_alloc(); }), Sjis("メモリが不足しています"));
  EXPECT_EQ(MessageOf([] { throw std::out_of_range("no box 11 \xE2\x86\x92 \xF0\x9F\x98\x80"); }),
            Sjis("内部エラー: no box 11 → ????"));
  EXPECT_EQ(MessageOf([] { throw 42; }), Sjis("内部エラー"));
}

}  // namespace
}  // namespace quillivar

#include "text/error.h"

#include <cerrno>
#include <new>

#include "text/code_page.h"

namespace quillivar {

Error Error::Aborted() { return Error(Sjis("中止しました"), Kind::kAborted, ECANCELED); }

Text MessageOfCurrentException() {
  try {
    throw;
  } catch (const Error& error) {
    return error.Message();
  } catch (const std::bad_alloc&) {
    return Sjis("メモリが不足しています");
  } catch (const std::exception& error) {
    const std::string_view what = error.what();
    return what.empty() ? Sjis("内部エラー") : Sjis("内部エラー: ") + LenientSjis(what);
  } catch (...) {
    return Sjis("内部エラー");
  }
}

}  // namespace quillivar

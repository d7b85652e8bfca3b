#include "quote/page_failure.h"

#include "catalogue/catalogue.h"
#include "text/code_page.h"

namespace quillivar {

bool TransferFailure::IsTransient() const {
  switch (kind) {
    case Kind::CannotConnect:
    case Kind::ConnectionLost:
    case Kind::Stalled:
      return true;
    case Kind::HttpStatus:
      return detail == 429 || (detail >= 500 && detail <= 599);
    default:
      return false;
  }
}

namespace {

// "相場サイト quotes.example.jp": with more than one site in use (--host, a
// build for another one), the cause must say which one failed.
Text Site(std::string_view host) {
  return host.empty() ? Sjis("相場サイト") : Sjis("相場サイト ") + Text(host);
}

}  // namespace

Text TransferFailureText(const TransferFailure& failure, std::string_view host) {
  using Kind = TransferFailure::Kind;
  const Text number = IntToText(static_cast<long long>(failure.detail));
  switch (failure.kind) {
    case Kind::NoClient:
      return Sjis("通信を開始できません");
    case Kind::HostNotFound:
      // libcurl cannot tell an unknown name from a name server that is silent.
      return Sjis("ホスト名から") + Site(host) + Sjis(" の IP アドレスを得られません");
    case Kind::CannotConnect:
      return Site(host) + Sjis(" に接続できません");
    case Kind::ProxyFailed:
      return Sjis("プロキシを経由して接続できません");
    case Kind::ConnectionLost:
      return Sjis("受信の途中で接続が切れました");
    case Kind::Stalled:
      return Site(host) + Sjis(" が ") + number + Sjis(" 秒間応答しません");
    case Kind::HttpStatus:
      return Site(host) + Sjis(" がエラー ") + number + Sjis(" を返しました");
    case Kind::TooManyRedirects:
      return Site(host) + Sjis(" のリダイレクトが ") + number + Sjis(" 回を超えました");
    case Kind::TooLarge:
      return Sjis("ページが ") + number + Sjis(" MiB を超えています");
    case Kind::ZeroByte:
      return Sjis("ページにゼロのバイトがあります");
    case Kind::HeadersTooLarge:
      return Sjis("応答ヘッダーが大きすぎます");
    case Kind::CertificateUnverified:
      return Site(host) + Sjis(" が https に転送しましたが証明書を確かめられません");
    case Kind::RedirectedElsewhere:
      return Site(host) + Sjis(" が http でも https でもない所へ転送しました");
    case Kind::Compressed:
      return Site(host) + Sjis(" が頼んでいない圧縮をかけて返しました");
    case Kind::Other:
      break;
  }
  return Sjis("通信エラー (") + number + ")";
}

namespace {

Text IndustryName(const Text& industryCode) {
  return Sjis("「") + IndustryNameOfCode(industryCode) + Sjis("」");
}

// "「建設業」の 2 ページ目"
Text PageName(const Text& industryCode, long long pageNumber) {
  return IndustryName(industryCode) + Sjis("の ") + IntToText(pageNumber) + Sjis(" ページ目");
}

// "100,000": a bound reads better with its thousands marked.
Text GroupedDigits(std::size_t number) {
  const Text digits = IntToText(static_cast<long long>(number));
  Text grouped;
  for (std::size_t at = 0; at < digits.size(); ++at) {
    if (at > 0 && (digits.size() - at) % 3 == 0) grouped.push_back(',');
    grouped.push_back(digits[at]);
  }
  return grouped;
}

const Text& NotUpdated() {
  static const Text text = Sjis("。銘柄リストは更新していません");
  return text;
}

}  // namespace

Text RepeatedPageCause(std::string_view host) {
  return Site(host) + Sjis(" が同じページを繰り返しています");
}

Text RunRowsCause(std::size_t rowsBound) {
  return Sjis("取得した銘柄が ") + GroupedDigits(rowsBound) + Sjis(" 件を超えました");
}

Text PagesBoundMessage(const Text& industryCode, long long pagesBound) {
  return IndustryName(industryCode) + Sjis("のページが ") +
         GroupedDigits(static_cast<std::size_t>(pagesBound)) + Sjis(" を超えました") + NotUpdated();
}

Text PageFailedMessage(const Text& industryCode, long long pageNumber, const Text& cause) {
  return PageName(industryCode, pageNumber) + Sjis("を取得できません（") + cause + Sjis("）") +
         NotUpdated();
}

Text PageRetryStatus(const Text& industryCode, long long pageNumber, const Text& cause,
                     int retry, int retries) {
  return cause + Sjis("。") + PageName(industryCode, pageNumber) +
         Sjis("を再試行します (") + IntToText(retry) + "/" + IntToText(retries) + ")";
}

}  // namespace quillivar

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

Text TransferFailureText(const TransferFailure& failure) {
  using Kind = TransferFailure::Kind;
  const Text number = IntToText(static_cast<long long>(failure.detail));
  switch (failure.kind) {
    case Kind::NoClient:
      return Sjis("通信を開始できません");
    case Kind::HostNotFound:
      // libcurl cannot tell an unknown name from a name server that is silent.
      return Sjis("ホスト名から相場サイトの IP アドレスを得られません");
    case Kind::CannotConnect:
      return Sjis("相場サイトに接続できません");
    case Kind::ProxyFailed:
      return Sjis("プロキシを経由して接続できません");
    case Kind::ConnectionLost:
      return Sjis("受信の途中で接続が切れました");
    case Kind::Stalled:
      return Sjis("相場サイトが ") + number + Sjis(" 秒間応答しません");
    case Kind::HttpStatus:
      return Sjis("相場サイトがエラー ") + number + Sjis(" を返しました");
    case Kind::TooManyRedirects:
      return Sjis("相場サイトのリダイレクトが ") + number + Sjis(" 回を超えました");
    case Kind::TooLarge:
      return Sjis("ページが ") + number + Sjis(" MiB を超えています");
    case Kind::ZeroByte:
      return Sjis("ページにゼロのバイトがあります");
    case Kind::HeadersTooLarge:
      return Sjis("応答ヘッダーが大きすぎます");
    case Kind::CertificateUnverified:
      return Sjis("相場サイトが https に転送しましたが証明書を確かめられません");
    case Kind::RedirectedElsewhere:
      return Sjis("相場サイトが http でも https でもない所へ転送しました");
    case Kind::Compressed:
      return Sjis("相場サイトが頼んでいない圧縮をかけて返しました");
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

Text RepeatedPageCause() { return Sjis("相場サイトが同じページを繰り返しています"); }

Text RunRowsCause(std::size_t rowsBound) {
  return Sjis("取得した銘柄が ") + GroupedDigits(rowsBound) + Sjis(" 件を超えました");
}

Text PagesBoundMessage(const Text& industryCode, long long pagesBound) {
  return IndustryName(industryCode) + Sjis("のページが ") +
         GroupedDigits(static_cast<std::size_t>(pagesBound)) + Sjis(" を超えました") + NotUpdated();
}

Text PageFailedMessage(const Text& industryCode, long long pageNumber,
                       const TransferFailure& failure) {
  return PageFailedMessage(industryCode, pageNumber, TransferFailureText(failure));
}

Text PageFailedMessage(const Text& industryCode, long long pageNumber, const Text& cause) {
  return PageName(industryCode, pageNumber) + Sjis("を取得できません（") + cause + Sjis("）") +
         NotUpdated();
}

Text PageRetryStatus(const Text& industryCode, long long pageNumber,
                     const TransferFailure& failure, int retry, int retries) {
  return TransferFailureText(failure) + Sjis("。") + PageName(industryCode, pageNumber) +
         Sjis("を再試行します (") + IntToText(retry) + "/" + IntToText(retries) + ")";
}

}  // namespace quillivar

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

// "「建設業」の 2 ページ目"
Text PageName(const Text& industryCode, long long pageNumber) {
  return Sjis("「") + IndustryNameOfCode(industryCode) + Sjis("」の ") +
         IntToText(pageNumber) + Sjis(" ページ目");
}

}  // namespace

Text PageFailedMessage(const Text& industryCode, long long pageNumber,
                       const TransferFailure& failure) {
  return PageFailedMessage(industryCode, pageNumber, TransferFailureText(failure));
}

Text PageFailedMessage(const Text& industryCode, long long pageNumber, const Text& cause) {
  return PageName(industryCode, pageNumber) + Sjis("を取得できません（") + cause +
         Sjis("）。銘柄リストは更新していません");
}

Text PageRetryStatus(const Text& industryCode, long long pageNumber,
                     const TransferFailure& failure, int retry, int retries) {
  return TransferFailureText(failure) + Sjis("。") + PageName(industryCode, pageNumber) +
         Sjis("を再試行します (") + IntToText(retry) + "/" + IntToText(retries) + ")";
}

}  // namespace quillivar

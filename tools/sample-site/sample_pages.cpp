// The markup of the sample site: a list page as a real quote site sends it,
// with header, navigation, rankings and footer around the table, spaces in
// its tags and a byte-order mark in front.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "list_markup.h"
#include "sample_data.h"

namespace quillivar::sample {
namespace {

// A stable number from a text, for prices and volumes that look alive but
// never change between runs.
std::uint32_t Hash(std::string_view text, std::uint32_t salt) {
  std::uint32_t hash = 2166136261u ^ salt;
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

std::string WithThousands(std::uint64_t value) {
  std::string digits = std::to_string(value);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

void AppendHead(std::string& page, const std::string& title) {
  page += "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
          "\"http://www.w3.org/TR/html4/loose.dtd\">\n"
          "<html lang=\"ja\">\n<head>\n"
          "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
          "<meta http-equiv=\"Content-Style-Type\" content=\"text/css\">\n"
          "<meta http-equiv=\"Content-Script-Type\" content=\"text/javascript\">\n";
  page += "<title>" + title + " - みほん株価</title>\n";
  page += "<meta name=\"description\" content=\"" + title +
          "の一覧です。取引値、前日比、出来高を掲載しています（架空のデータです）。\">\n"
          "<link rel=\"stylesheet\" type=\"text/css\" href=\"/css/common.css?date=20120401\">\n"
          "<link rel=\"stylesheet\" type=\"text/css\" href=\"/css/stocks.css?date=20120401\">\n"
          "<style type=\"text/css\">\n";
  static constexpr std::array<const char*, 20> kBlocks = {
      "#wrapper", "#header", "#gnav", "#lnav", "#main", "#pager", "#ranking",
      "#news", "#sidebar", "#footer", ".yjS", ".yjM", ".yjMt", ".yjSt", ".marketSummary",
      ".rankList", ".gnavList", ".footerLinks", ".glossary", ".searchBox"};
  static constexpr std::array<const char*, 5> kParts = {"", " a", " a:hover", " li", " span"};
  for (const char* block : kBlocks) {
    for (const char* part : kParts) {
      page += "  ";
      page += block;
      page += part;
      page += " { margin: 0 auto; padding: 2px 4px; font-size: 93%; line-height: 1.4; "
              "color: #333333; }\n";
    }
  }
  page += "</style>\n"
          "<script type=\"text/javascript\">\n"
          "  var pageInfo = { section: \"stocks\", kind: \"list\", lang: \"ja\" };\n"
          "  function toggleMenu(id) {\n"
          "    var element = document.getElementById(id);\n"
          "    if (element) { element.style.display = element.style.display == \"none\" ? "
          "\"block\" : \"none\"; }\n"
          "  }\n"
          "</script>\n</head>\n";
}

void AppendHeader(std::string& page) {
  page += "<body>\n<div id=\"wrapper\">\n<div id=\"header\">\n"
          "  <h1 class=\"logo\"><a href=\"/\">みほん株価</a></h1>\n"
          "  <form action=\"/search/\" method=\"get\" class=\"searchBox\">\n"
          "    <input type=\"text\" name=\"q\" value=\"\" size=\"24\" title=\"コードまたは銘柄名\">\n"
          "    <input type=\"submit\" value=\"株価検索\">\n"
          "  </form>\n</div>\n<div id=\"gnav\">\n  <ul class=\"gnavList\">\n";
  static constexpr std::array<const char*, 14> kMenu = {
      "トップ", "株価検索", "市況", "ランキング", "業種別一覧", "為替",
      "投資信託", "決算", "株主優待", "新規公開", "掲示板", "ニュース", "用語集", "ヘルプ"};
  for (std::size_t i = 0; i < kMenu.size(); ++i) {
    page += "    <li class=\"gnavItem\"><a href=\"/menu/" + std::to_string(i + 1) + "/\">" +
            kMenu[i] + "</a></li>\n";
  }
  page += "  </ul>\n</div>\n";
}

void AppendIndustryNavigation(std::string& page, const SampleData& data,
                              std::string_view industryCode) {
  page += "<div id=\"lnav\">\n  <h2 class=\"lnavTitle\">業種別銘柄一覧</h2>\n  <ul>\n";
  for (const SampleIndustry& industry : data.Industries()) {
    const bool current = industry.code == industryCode;
    page += current ? "    <li class=\"current\">" : "    <li>";
    // Without a page key: only the pager's links lead to a numbered page.
    page += "<a href=\"/stocks/qi/?ids=" + industry.code + "\">" + industry.name + "</a>";
    page += "<span class=\"count\">（" + std::to_string(industry.issues.size()) +
            "銘柄）</span></li>\n";
  }
  page += "  </ul>\n</div>\n";
}

void AppendMarketSummary(std::string& page, std::string_view industryCode, int pageNumber) {
  page += "<div class=\"marketSummary\">\n  <dl>\n";
  static constexpr std::array<const char*, 6> kIndices = {
      "みほん平均", "みほん総合指数", "新興市場指数", "円/ドル", "円/ユーロ", "長期金利"};
  const std::string seed = std::string(industryCode) + std::to_string(pageNumber);
  for (std::size_t i = 0; i < kIndices.size(); ++i) {
    const std::uint32_t h = Hash(seed, static_cast<std::uint32_t>(i));
    page += "    <dt>" + std::string(kIndices[i]) + "</dt><dd class=\"price\">" +
            WithThousands(1000 + h % 20000) + "." + std::to_string(h % 100 / 10) +
            std::to_string(h % 10) + "</dd><dd class=\"change\">" + (h % 2 ? "+" : "-") +
            std::to_string(h % 300) + ".15</dd>\n";
  }
  page += "  </dl>\n  <p class=\"note\">指数の値はすべて架空のものです。</p>\n</div>\n";
}

void AppendPager(std::string& page, std::string_view industryCode, int pageNumber,
                 int pageCount) {
  page += "<div id=\"pager\">\n  <ul class=\"ymuiPagingBottom\">\n";
  if (pageNumber > 1 && pageNumber - 1 <= pageCount) {
    page += "    <li class=\"prev\"><a href=\"" + ListHref(industryCode, pageNumber - 1) +
            "\">前へ</a></li>\n";
  }
  const int first = std::max(1, pageNumber - 4);
  const int last = std::min(pageCount, pageNumber + 4);
  for (int p = first; p <= last; ++p) {
    if (p == pageNumber) {
      page += "    <li class=\"current\"><span>" + std::to_string(p) + "</span></li>\n";
    } else {
      page += "    <li><a href=\"" + ListHref(industryCode, p) + "\">" + std::to_string(p) +
              "</a></li>\n";
    }
  }
  if (pageNumber < pageCount) {
    page += "    <li class=\"next\"><a href=\"" + ListHref(industryCode, pageNumber + 1) +
            "\">次へ</a></li>\n";
  }
  page += "  </ul>\n</div>\n";
}

void AppendRow(std::string& page, const SampleIssue& issue) {
  const std::uint32_t h = Hash(issue.code, 7);
  const std::uint32_t price = 50 + h % 9000;
  const int change = static_cast<int>(h / 9000 % 200) - 100;
  const std::string sign = change > 0 ? "+" : "";
  const std::string icon = change > 0 ? "icoUpGreen" : change < 0 ? "icoDownRed" : "icoFlat";
  page += "  <tr class=\"yjM\">\n";
  page += "    " + CodeCell(issue.code) + "\n";
  page += "    " + MarketCell(issue.market) + "\n";
  page += "    " + NameCell(issue.code, issue.name) + "\n";
  page += "    <td class=\"center yjS\">15:00</td>\n";
  page += "    <td class=\"right yjMt\"><strong>" + WithThousands(price) + "</strong></td>\n";
  page += "    <td class=\"right\"><span class=\"" + icon + " yjMSt\">" + sign +
          std::to_string(change) + "</span></td>\n";
  page += "    <td class=\"right\"><span class=\"" + icon + " yjMSt\">" + sign +
          std::to_string(change * 100 / static_cast<int>(price)) + "." +
          std::to_string(h % 100 / 10) + "%</span></td>\n";
  page += "    <td class=\"right yjS\">" + WithThousands(100ull * (h % 500000)) + "</td>\n";
  page += "    <td class=\"center\"><a href=\"/portfolio/add/?code=" + issue.code +
          "\">登録</a></td>\n";
  page += "  </tr>\n";
}

void AppendTable(std::string& page, const SampleIndustry* industry, int pageNumber,
                 int rowsPerPage) {
  page += "<table class=\"yjS\" width=\"100%\" cellspacing=\"1\" cellpadding=\"3\" "
          "border=\"0\">\n"
          "  <tr class=\"yjSb\">\n    <th>コード</th>\n    <th>市場</th>\n    <th>名称</th>\n"
          "    <th>取引時刻</th>\n    <th>取引値</th>\n    <th>前日比</th>\n    <th>騰落率</th>\n"
          "    <th>出来高</th>\n    <th>ポートフォリオ</th>\n  </tr>\n";
  if (industry != nullptr) {
    const std::size_t begin = static_cast<std::size_t>(pageNumber - 1) * rowsPerPage;
    const std::size_t end = std::min(industry->issues.size(), begin + rowsPerPage);
    for (std::size_t i = begin; i < end; ++i) AppendRow(page, industry->issues[i]);
  }
  page += "</table>\n";
}

void AppendRanking(std::string& page, const SampleData& data, std::string_view industryCode) {
  static constexpr std::array<const char*, 3> kTitles = {"値上がり率", "値下がり率",
                                                         "出来高"};
  page += "<div id=\"ranking\">\n";
  const SampleIndustry* industry = data.Find(industryCode);
  for (std::size_t t = 0; t < kTitles.size(); ++t) {
    page += "  <h3>業種内" + std::string(kTitles[t]) + "ランキング</h3>\n  <ol class=\"rankList\">\n";
    for (std::size_t r = 0; r < 10; ++r) {
      if (industry == nullptr || industry->issues.empty()) break;
      const SampleIssue& issue =
          industry->issues[(r * 7 + t * 3) % industry->issues.size()];
      page += "    <li><span class=\"rank\">" + std::to_string(r + 1) +
              "</span><a href=\"" + DetailHref(issue.code) + "\">" + issue.code +
              "</a><span class=\"rate\">" + std::to_string(10 - r) + ".2%</span></li>\n";
    }
    page += "  </ol>\n";
  }
  page += "</div>\n";
}

void AppendNews(std::string& page, std::string_view industryCode) {
  static constexpr std::array<const char*, 12> kHeadlines = {
      "みほん平均は小幅続伸、輸出関連に買い", "新興市場は売り優勢、利益確定の動き",
      "来週の相場見通し：決算発表を前に様子見か", "為替は円安方向、輸出株を下支え",
      "業種別騰落率、上位は景気敏感株", "新規公開銘柄の初値はいずれも公開価格を上回る",
      "株主優待の新設が相次ぐ", "長期金利は横ばい、金融株はまちまち",
      "個人投資家の売買動向：信用買い残が増加", "海外市場の動き：主要指数は高安まちまち",
      "商品市況：原油先物は続落", "今日の注目銘柄：業績上方修正の発表相次ぐ"};
  page += "<div id=\"news\">\n  <h3>マーケットニュース（架空）</h3>\n  <ul>\n";
  for (std::size_t i = 0; i < kHeadlines.size(); ++i) {
    page += "    <li><span class=\"time\">" + std::to_string(9 + i % 6) + ":" +
            std::to_string(10 + i * 4) + "</span><a href=\"/news/" +
            std::string(industryCode) + "-" + std::to_string(i + 1) + ".html\">" +
            kHeadlines[i] + "</a></li>\n";
  }
  page += "  </ul>\n</div>\n";
}

void AppendGlossary(std::string& page) {
  static constexpr std::array<std::array<const char*, 2>, 8> kTerms = {{
      {"取引値", "その日の最後に成立した売買の値段です。取引が成立していない場合は前日の値段を表示します。"},
      {"前日比", "前営業日の終値と比べた値動きです。プラスは値上がり、マイナスは値下がりを表します。"},
      {"騰落率", "前日比を前営業日の終値で割った割合です。値動きの大きさを銘柄の間で比べるときに使います。"},
      {"出来高", "その日に成立した売買の株数です。売買が活発かどうかの目安になります。"},
      {"市場", "銘柄が上場している取引所と、その中の区分です。一つの銘柄が複数の市場に上場することもあります。"},
      {"業種", "証券コード協議会の分類に倣った三十三の業種です。この見本では架空の銘柄を割り当てています。"},
      {"単元株数", "取引所で売買するときの最小の単位となる株数です。銘柄ごとに決まっています。"},
      {"ポートフォリオ", "気になる銘柄を登録して、値動きをまとめて確認できる機能です（見本では動きません）。"},
  }};
  page += "<div id=\"sidebar\">\n  <dl class=\"glossary\">\n";
  for (const auto& [term, meaning] : kTerms) {
    page += "    <dt>" + std::string(term) + "</dt>\n    <dd>" + meaning + "</dd>\n";
  }
  page += "  </dl>\n</div>\n";
}

void AppendFooter(std::string& page) {
  static constexpr std::array<const char*, 16> kLinks = {
      "会社概要", "プライバシーポリシー", "利用規約", "免責事項", "ヘルプ", "お問い合わせ",
      "広告掲載", "採用情報", "サイトマップ", "ご意見", "アクセシビリティ", "RSS",
      "携帯版", "English", "データ提供元", "障害情報"};
  page += "<div id=\"footer\">\n  <ul class=\"footerLinks\">\n";
  for (std::size_t i = 0; i < kLinks.size(); ++i) {
    page += "    <li><a href=\"/info/" + std::to_string(i + 1) + ".html\">" + kLinks[i] +
            "</a></li>\n";
  }
  page += "  </ul>\n"
          "  <p class=\"disclaimer\">このサイトは試験用の見本です。掲載している銘柄、名称、"
          "株価はすべて架空のもので、実在の企業とは関係ありません。</p>\n"
          "  <p class=\"copyright\">Copyright (C) みほん株価 All Rights Reserved.</p>\n"
          "</div>\n</div>\n</body>\n</html>\n";
}

}  // namespace

std::string RenderListPage(const SampleData& data, std::string_view industryCode, int page,
                           int rowsPerPage) {
  const SampleIndustry* industry = data.Find(industryCode);
  const int pageCount = industry != nullptr ? PageCount(*industry, rowsPerPage) : 1;
  const std::string industryName = industry != nullptr ? industry->name : "該当なし";

  std::string html(kBom);
  html.reserve(64 * 1024);
  AppendHead(html, "業種別銘柄一覧：" + industryName);
  AppendHeader(html);
  AppendIndustryNavigation(html, data, industryCode);
  html += "<div id=\"main\">\n";
  AppendMarketSummary(html, industryCode, page);
  html += "<h2 class=\"industryTitle\">" + industryName + "</h2>\n";
  AppendPager(html, industryCode, page, pageCount);
  AppendTable(html, industry, page, rowsPerPage);
  AppendPager(html, industryCode, page, pageCount);
  AppendRanking(html, data, industryCode);
  AppendNews(html, industryCode);
  html += "</div>\n";
  AppendGlossary(html);
  AppendFooter(html);
  return html;
}

std::string RenderNotFoundPage() {
  std::string html(kBom);
  html += "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n"
          "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
          "<title>ページが見つかりません - みほん株価</title>\n</head>\n<body>\n"
          "<h1>ページが見つかりません</h1>\n"
          "<p>お探しのページは移動したか、削除された可能性があります。</p>\n"
          "<p><a href=\"/\">トップページへ</a></p>\n</body>\n</html>\n";
  return html;
}

}  // namespace quillivar::sample

// The real windows, offscreen, against a loopback quote site.
#include "support/shown_windows.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>

#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "quote/curl_internet.h"
#include "app/app_icon.h"
#include "app/window_command_line.h"
#include "app/box_answerer.h"
#include "support/resource_limit.h"
#include "testkit/list_page.h"
#include "testkit/loopback_site.h"
#include "testkit/temp_dir.h"
#include "text/code_page.h"
#include "ui/qt_boxes.h"
#include "ui/qt_text.h"

namespace quillivar {
namespace {

using testing::BoxAnswerer;
using testing::PressCancel;
using testing::PressOk;

using testing::ReadBytes;
using testing::ResourceLimit;
using testing::TempDir;
using testing::WriteBytes;
using testing::WriteUserSetting;

using testing::LoopbackSite;
using testing::PageRow;
using testing::Reply;
using testing::SiteRequest;

// Page 1 of an industry, with the pager's link back to itself, which a run
// must not follow.
std::string PageOne(const std::string& code, const std::vector<PageRow>& rows) {
  return testing::ListPage(code, rows, 1);
}

class MainWindowSession : public ::testing::Test {
 protected:
  void Start(int timerIntervalMs = 2000) {
    CurlInternet::Options options;
    internet = std::make_unique<CurlInternet>(options);
    windows = testing::ShownWindows(*internet, {site.Host(), timerIntervalMs, folder});
    ASSERT_NE(windows, nullptr);
    form1 = &windows->form1;
    form2 = &windows->form2;
    QObject::connect(form1->StatusBar1, &QStatusBar::messageChanged,
                     [this](const QString& text) { statusTexts.push_back(text.toStdString()); });
  }
  void CheckEverything() {
    for (int box : SettingsOrder()) form2->SetCheckBoxChecked(box, true);
  }
  std::string Output() const { return ReadBytes(dir.File("brand_code.csv")); }
  std::string Status() const { return form1->StatusBar1->currentMessage().toStdString(); }

  TempDir dir;
  std::string folder = dir.Dir();  // of the program's files
  std::map<std::string, std::string> pages;  // by industry; set before the run starts
  std::atomic<int> delayMs{0};
  LoopbackSite site{[this](const SiteRequest& request) {
    const std::string code = request.Param("ids");
    const auto found = pages.find(code);
    return Reply{.body = found == pages.end() ? PageOne(code, {}) : found->second,
                 .delay = std::chrono::milliseconds(delayMs.load())};
  }};
  std::unique_ptr<CurlInternet> internet;
  std::unique_ptr<ProgramWindows> windows;
  TForm1* form1 = nullptr;
  TForm2* form2 = nullptr;
  std::vector<std::string> statusTexts;
};

class MainWindowTest : public MainWindowSession {
 protected:
  ReadyBoxAnswers boxes;
};

// Tests of what a shown box does: they answer it from its own loop.
class MainWindowBoxTest : public MainWindowSession {
 protected:
  BoxAnswerer boxes;
};

std::string Describe(const QWidget& widget) {
  if (!widget.objectName().isEmpty()) return widget.objectName().toStdString();
  return widget.metaObject()->className();
}

// Whether the text `widget` shows fits the room its style draws it in.
bool CaptionFits(const QWidget& widget) {
  const QFontMetrics metrics = widget.fontMetrics();
  if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QStyle::SubElement label = qobject_cast<const QCheckBox*>(button)      ? QStyle::SE_CheckBoxContents
                                     : qobject_cast<const QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
                                                                                 : QStyle::SE_PushButtonContents;
    return metrics.horizontalAdvance(button->text()) <=
           button->style()->subElementRect(label, &option, button).width();
  }
  if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) {
    return metrics.horizontalAdvance(group->title()) <= group->contentsRect().width();
  }
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
    const QRect room = label->contentsRect();
    return label->wordWrap() ? label->heightForWidth(room.width()) <= room.height()
                             : metrics.horizontalAdvance(label->text()) <= room.width();
  }
  return true;
}

// Every caption under `parent` shows whole, or is cut with "…" and whole in
// its tooltip; no two visible siblings overlap, and each stays inside the
// inner area of its parent (a group box's frame and title, the panel's edge).
void ExpectReadableLayout(const QWidget& parent) {
  std::vector<const QWidget*> shown;
  for (const QWidget* child : parent.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!child->isWindow() && child->isVisibleTo(&parent)) shown.push_back(child);
  }
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const QWidget& child = *shown[i];
    EXPECT_TRUE(CaptionFits(child)) << Describe(child);
    if (const auto* button = qobject_cast<const QAbstractButton*>(&child);
        button != nullptr && button->text().endsWith(QChar(0x2026))) {
      EXPECT_TRUE(button->toolTip().startsWith(button->text().chopped(1)) &&
                  button->toolTip().size() >= button->text().size())
          << Describe(child) << " is cut without its whole caption as tooltip";
    }
    EXPECT_TRUE(parent.contentsRect().contains(child.geometry())) << Describe(child);
    for (std::size_t j = i + 1; j < shown.size(); ++j) {
      EXPECT_FALSE(child.geometry().intersects(shown[j]->geometry()))
          << Describe(child) << " overlaps " << Describe(*shown[j]);
    }
    ExpectReadableLayout(child);
  }
}

TEST_F(MainWindowTest, StartsWithTheButtonsInPlaceAndFocusOnTheStartButton) {
  Start();
  EXPECT_EQ(form1->windowTitle(), QStringLiteral("Quillivar"));
  EXPECT_EQ(form1->size(), QSize(403, 61));
  EXPECT_EQ(form1->Button1->geometry(), QRect(219, 8, 123, 25));
  EXPECT_EQ(form1->Button2->geometry(), QRect(8, 8, 75, 25));
  EXPECT_EQ(form1->Button3->geometry(), QRect(348, 8, 47, 25));
  EXPECT_EQ(form1->Button1->text().toStdString(), "ダウンロード開始");
  EXPECT_EQ(form1->Button2->text().toStdString(), "設定");
  EXPECT_EQ(form1->Button3->text().toStdString(), "中止");
  EXPECT_EQ(form1->StatusBar1->geometry(), QRect(0, 42, 403, 19));
  EXPECT_EQ(form1->Timer1->interval(), 2000);
  EXPECT_FALSE(form1->Timer1->isActive());
  EXPECT_EQ(QApplication::focusWidget(), form1->Button1);
  EXPECT_EQ(form1->Button1->nextInFocusChain(), form1->Button2);
  EXPECT_EQ(form1->Button2->nextInFocusChain(), form1->Button3);
}

TEST_F(MainWindowTest, WithoutSettingsFileEveryBoxIsClearedAfterStartUp) {
  Start();
  for (int box : SettingsOrder()) EXPECT_FALSE(form2->IsCheckBoxChecked(box)) << box;
  EXPECT_TRUE(boxes.seen.empty());
}

TEST_F(MainWindowTest, AppliesTheSavedSelectionOnceAtTheFirstActivation) {
  WriteUserSetting(dir.Dir(), [](int line) { return line == 12; });
  Start();
  EXPECT_TRUE(form2->IsCheckBoxChecked(13));
  EXPECT_FALSE(form2->IsCheckBoxChecked(12));
  // Changing a box and reactivating the window does not apply the file again.
  form2->SetCheckBoxChecked(12, true);
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  form1->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form1));
  EXPECT_TRUE(form2->IsCheckBoxChecked(12));
}

TEST_F(MainWindowTest, EnterRightAfterStartUpAsksForConfirmationAndCancelChangesNothing) {
  Start();
  WriteBytes(dir.File("brand_code.csv"), "previous");
  boxes.Then(BoxAnswer::kCancel);
  QTest::keyClick(form1->Button1, Qt::Key_Return);
  ASSERT_EQ(boxes.seen.size(), 1u);
  EXPECT_EQ(boxes.seen[0], "ConfirmationBox:銘柄リストをダウンロードします。よろしいですか？");
  EXPECT_EQ(site.RequestCount(), 0u);
  EXPECT_EQ(Output(), "previous");
  EXPECT_TRUE(form1->Button1->isEnabled());
  EXPECT_TRUE(form1->Button2->isEnabled());
  EXPECT_FALSE(form1->Timer1->isActive());
  EXPECT_TRUE(statusTexts.empty());
}

TEST_F(MainWindowTest, AWholeRunWritesTheSelectedRowsByteForByte) {
  pages["0050"] = PageOne("0050", {{"1333", "東証1部", "見本水産"},
                                         {"1301", "NEO", "見本 ﾌｰｽﾞ"},
                                         {"1302", "&nbsp;", "空欄"}});
  pages["7050"] = PageOne("7050", {{"8301", "名証1部", "見本銀行&amp;信託"},
                                         {"8302", "東証１部", "全角の市場"}});
  Start();
  CheckEverything();
  boxes.Then(BoxAnswer::kOk);
  boxes.Then(BoxAnswer::kOk);
  QTest::mouseClick(form1->Button1, Qt::LeftButton);
  const Text expected = "1301,NEO," + Sjis("見本ﾌｰｽﾞ,水産・農林業") + "\r\n" +
                        "1333," + Sjis("東証1部,見本水産,水産・農林業") + "\r\n" +
                        "8301," + Sjis("名証1部,見本銀行&amp;信託,銀行業") + "\r\n";
  EXPECT_TRUE(Output() == expected) << SjisToUtf8(Output());
  EXPECT_EQ(site.RequestCount(), 33u);
  ASSERT_EQ(boxes.seen.size(), 2u);
  EXPECT_EQ(boxes.seen[1], "InformationBox:銘柄リストのダウンロードが終了しました。");
  EXPECT_EQ(Status(), "銘柄情報保存：8301,名証1部,見本銀行&amp;信託,銀行業");
  EXPECT_TRUE(form1->Button1->isEnabled());
  EXPECT_TRUE(form1->Button2->isEnabled());
  EXPECT_FALSE(form1->Timer1->isActive());
}

// The box keeps its text without the cause, which the command's log gives.
TEST_F(MainWindowTest, AListThatCannotBeOpenedIsToldInTheInformationBox) {
  std::filesystem::create_directory(dir.File("brand_code.csv"));
  Start();
  boxes.Then(BoxAnswer::kOk);
  boxes.Then(BoxAnswer::kOk);  // はい to the empty list
  QTest::mouseClick(form1->Button1, Qt::LeftButton);
  ASSERT_EQ(boxes.seen.size(), 3u);
  EXPECT_EQ(boxes.seen[2], "InformationBox:ファイルが書き込めません");
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("brand_code.csv")));
  EXPECT_TRUE(form1->Button1->isEnabled());
  EXPECT_FALSE(form1->Timer1->isActive());
}

// Installed for everybody: the data folder the window made at start holds
// both files.
TEST_F(MainWindowTest, TheUserDataFolderHoldsBothFiles) {
  ::setenv("XDG_DATA_HOME", dir.File("new/data").c_str(), 1);
  folder = ChooseWindowFolder("", DefaultFolder::kUserData).folder;
  ::unsetenv("XDG_DATA_HOME");
  ASSERT_EQ(folder, dir.File("new/data/quillivar/"));
  Start();
  CheckEverything();
  form2->BitBtn3Click();
  boxes.Then(BoxAnswer::kOk);
  boxes.Then(BoxAnswer::kOk);
  QTest::mouseClick(form1->Button1, Qt::LeftButton);
  EXPECT_EQ(ReadBytes(folder + "UserSetting.dat").size(), 43u * 6);
  EXPECT_TRUE(std::filesystem::exists(folder + "brand_code.csv"));
}

// Pages without rows, as from a login page: いいえ, the default, keeps the
// list; はい replaces it.
TEST_F(MainWindowTest, ASuspectListReplacesTheEarlierOneOnlyAfterYes) {
  const Text earlier = "1301," + Sjis("東証1部,見本水産,水産・農林業") + "\r\n";
  WriteBytes(dir.File("brand_code.csv"), earlier);
  Start();
  CheckEverything();
  for (const BoxAnswer answer : {BoxAnswer::kCancel, BoxAnswer::kOk}) {
    const bool replaced = answer == BoxAnswer::kOk;
    boxes.Then(BoxAnswer::kOk);
    boxes.Then(answer);
    if (replaced) boxes.Then(BoxAnswer::kOk);
    QTest::mouseClick(form1->Button1, Qt::LeftButton);
    EXPECT_EQ(Output(), replaced ? "" : earlier);
    EXPECT_TRUE(boxes.seen.back().starts_with(replaced ? "InformationBox:" : "YesNoBox:取得した 33 業種の"))
        << boxes.seen.back();
    if (!replaced) {
      EXPECT_EQ(Status(), "銘柄リストは更新していません");
    }
    EXPECT_TRUE(form1->Button1->isEnabled());
    EXPECT_TRUE(form1->Button2->isEnabled());
  }
}

TEST_F(MainWindowTest, TheTimerAlternatesItsTextsUntilTheFirstFetchReturns) {
  delayMs = 400;  // the first industry's page takes several ticks
  Start(60);
  for (const IndustryEntry& industry : IndustryCatalogue()) form2->SetCheckBoxChecked(industry.checkBox, false);
  form2->SetCheckBoxChecked(16, true);  // only the last position
  boxes.Then(BoxAnswer::kOk);
  boxes.Then(BoxAnswer::kOk);
  QTest::mouseClick(form1->Button1, Qt::LeftButton);
  ASSERT_GE(statusTexts.size(), 3u);
  EXPECT_EQ(statusTexts[0], "銘柄リストダウンロード開始");
  EXPECT_EQ(statusTexts[1], "銘柄情報分析中…");
  EXPECT_EQ(statusTexts[2], "しばらくお待ちください。");
  EXPECT_FALSE(form1->Timer1->isActive());
}

TEST_F(MainWindowBoxTest, WithNoIndustryTheTimerRunsUntilTheFinalBoxIsClosed) {
  Start(30);
  for (const IndustryEntry& industry : IndustryCatalogue()) form2->SetCheckBoxChecked(industry.checkBox, false);
  boxes.Then(PressOk);
  boxes.Then(PressOk);  // はい: replace the list with an empty one
  boxes.Then([this](QMessageBox* box) {
    const std::size_t before = statusTexts.size();
    QTest::qWait(150);
    EXPECT_GT(statusTexts.size(), before);  // ticks go on while the box is open
    EXPECT_TRUE(form1->Timer1->isActive());
    PressOk(box);
  });
  QTest::mouseClick(form1->Button1, Qt::LeftButton);
  EXPECT_EQ(site.RequestCount(), 0u);
  EXPECT_EQ(Output(), "");
  EXPECT_FALSE(form1->Timer1->isActive());
}

TEST_F(MainWindowTest, AbortLeavesItsTextAndTheFileUntouched) {
  delayMs = 50;
  Start(20);
  CheckEverything();
  WriteBytes(dir.File("brand_code.csv"), "previous");
  boxes.Then(BoxAnswer::kOk);
  QTimer::singleShot(200, form1, [this] {
    EXPECT_FALSE(form1->Button2->isEnabled());
    QTest::mouseClick(form1->Button3, Qt::LeftButton);
  });
  QTest::mouseClick(form1->Button1, Qt::LeftButton);
  EXPECT_EQ(Status(), "ダウンロード中止");
  EXPECT_LT(site.RequestCount(), 33u);
  EXPECT_EQ(Output(), "previous");
  QTest::qWait(100);
  EXPECT_EQ(Status(), "ダウンロード中止");  // the timer is off: it stays
  EXPECT_FALSE(form1->Timer1->isActive());
  EXPECT_TRUE(form1->Button1->isEnabled());
}

TEST_F(MainWindowTest, ClosingDuringARunLetsItFinishThenEndsTheProgram) {
  delayMs = 20;
  pages["0050"] = PageOne("0050", {{"1301", "NEO", "x"}});
  Start();
  CheckEverything();
  boxes.Then(BoxAnswer::kOk);
  QTimer::singleShot(100, form1, [this] {
    form1->close();
    EXPECT_TRUE(form1->isVisible());  // the run goes on
  });
  QTest::mouseClick(form1->Button1, Qt::LeftButton);
  EXPECT_EQ(site.RequestCount(), 33u);
  EXPECT_EQ(Output(), "1301,NEO,x," + Sjis("水産・農林業") + "\r\n");
  ASSERT_EQ(boxes.seen.size(), 1u);  // the final box closed at once, unanswered
  EXPECT_TRUE(QTest::qWaitFor([this] { return !form1->isVisible(); }));
  // No window is left open, so the application's loop ends.
  for (QWidget* widget : QApplication::topLevelWidgets()) EXPECT_FALSE(widget->isVisible());
}

TEST_F(MainWindowTest, AnErrorWhileCreatingIsShownAndStartUpGoesOn) {
  WriteBytes(dir.File("UserSetting.dat"), testing::UserSettingText([](int) { return true; }));
  {
    // Warm up what the window opens for itself (fonts), then leave no file
    // descriptor free for the settings file.
    CurlInternet warm{CurlInternet::Options{}};
    TForm1 first(warm, TForm1::Options{site.Host(), 2000, dir.Dir()});
  }
  boxes.Then(BoxAnswer::kOk);
  CurlInternet::Options options;
  internet = std::make_unique<CurlInternet>(options);
  std::unique_ptr<TForm1> created;
  {
    const auto noDescriptor = ResourceLimit::NoFreeDescriptor();
    created = std::make_unique<TForm1>(*internet, TForm1::Options{site.Host(), 2000, dir.Dir()});
  }
  ASSERT_EQ(boxes.seen.size(), 1u);
  EXPECT_EQ(boxes.seen[0],
            "ErrorBox:" + dir.Dir() + "UserSetting.dat が読めません（オープンしたファイルが多すぎます）.");
  EXPECT_EQ(created->ExeDir, dir.Dir());
  for (bool flag : created->LoadedSelection) EXPECT_FALSE(flag);
}

TEST_F(MainWindowBoxTest, EveryCaptionReadsWholeOrInItsTooltipAndNoControlsOverlap) {
  Start();
  ExpectReadableLayout(*form1);
  ExpectReadableLayout(*form2);
  // No 11-pixel Japanese face fits this caption before its neighbour.
  EXPECT_EQ(form2->CheckBox(29)->toolTip().toStdString(), "証券・商品先物取引業");
  EXPECT_TRUE(form2->CheckBox(29)->text().endsWith(QChar(0x2026)));

  const auto inspectThen = [](testing::BoxAnswerer::Answer answer) {
    return [answer](QMessageBox* box) {
      ExpectReadableLayout(*box);
      answer(box);
    };
  };
  boxes.Then(inspectThen(PressCancel));
  QTest::mouseClick(form1->Button1, Qt::LeftButton);
  boxes.Then(inspectThen(PressOk));
  ShowInformationBox(Sjis("銘柄リストのダウンロードが終了しました。"), form1);
  boxes.Then(inspectThen(PressOk));
  ShowErrorBoxQt(Sjis("ファイルへのアクセスが拒否されました"), form1);
  EXPECT_EQ(boxes.seen.size(), 3u);
}

TEST(ApplicationIconTest, ComesInEverySizeADesktopAsksFor) {
  const QList<QSize> sizes = ApplicationIcon().availableSizes();
  for (int size : {16, 32, 48, 64, 128, 256}) EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}

}  // namespace
}  // namespace quillivar

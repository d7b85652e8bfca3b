// The real settings dialog, offscreen.
#include "settings/settings_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "testkit/temp_dir.h"
#include "text/code_page.h"
#include "ui/qt_boxes.h"
#include "ui/qt_text.h"

namespace quillivar {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::vector<int> Range(int from, int to) {
  std::vector<int> boxes;
  for (int box = from; box <= to; ++box) boxes.push_back(box);
  return boxes;
}

// Left, top and height as laid out; a control may only have grown to the
// right, to show its caption.
void ExpectPlaced(const QWidget& widget, QRect laidOut) {
  EXPECT_EQ(widget.pos(), laidOut.topLeft()) << widget.objectName().toStdString();
  EXPECT_EQ(widget.height(), laidOut.height()) << widget.objectName().toStdString();
  EXPECT_GE(widget.width(), laidOut.width()) << widget.objectName().toStdString();
}

// The whole caption: a button cut short with "…" carries it as its tooltip.
std::string Caption(const QAbstractButton& button) {
  return (button.toolTip().isEmpty() ? button.text() : button.toolTip()).toStdString();
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  SettingsDialogTest() : dialog(dir.Dir()) {}

  void SetAll(bool checked) {
    for (int box : SettingsOrder()) dialog.SetCheckBoxChecked(box, checked);
  }
  std::vector<int> Checked() const {
    std::vector<int> boxes;
    for (int box : SettingsOrder()) {
      if (dialog.IsCheckBoxChecked(box)) boxes.push_back(box);
    }
    return boxes;
  }
  void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  // Shows the dialog modally and runs `inside` from its own event loop.
  void ShowAnd(std::function<void()> inside) {
    QTimer::singleShot(0, &dialog, [this, inside] {
      inside();
      if (dialog.isVisible()) dialog.BitBtn5Click();
    });
    dialog.exec();
  }

  TempDir dir;
  TForm2 dialog;
};

TEST_F(SettingsDialogTest, IsCreatedWithEveryBoxCheckedAndMarketsTargeted) {
  EXPECT_EQ(Checked().size(), 43u);
  EXPECT_TRUE(dialog.RadioButton1->isChecked());
  EXPECT_FALSE(dialog.RadioButton2->isChecked());
  EXPECT_EQ(dialog.windowTitle().toStdString(), "設定");
  EXPECT_EQ(dialog.size(), QSize(362, 501));
  EXPECT_EQ(dialog.ExeDir, dir.Dir());
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(SettingsDialogTest, GroupButtonsActOnlyOnTheChosenGroup) {
  SetAll(false);
  Click(dialog.RadioButton2);
  EXPECT_TRUE(dialog.RadioButton2->isChecked());
  EXPECT_FALSE(dialog.RadioButton1->isChecked());
  Click(dialog.BitBtn7);  // 全て選択, industries
  EXPECT_EQ(Checked(), Range(12, 44));

  Click(dialog.RadioButton1);
  Click(dialog.BitBtn7);  // markets too
  EXPECT_EQ(Checked().size(), 43u);
  Click(dialog.BitBtn6);  // 選択解除, markets only
  EXPECT_EQ(Checked(), Range(12, 44));
  Click(dialog.RadioButton2);
  Click(dialog.BitBtn6);
  EXPECT_TRUE(Checked().empty());
}

TEST_F(SettingsDialogTest, InitialSettingsChecksEverythingAndWritesNothing) {
  SetAll(false);
  Click(dialog.RadioButton2);
  Click(dialog.BitBtn4);
  EXPECT_EQ(Checked().size(), 43u);
  EXPECT_TRUE(dialog.RadioButton2->isChecked());
  EXPECT_FALSE(std::filesystem::exists(dir.File("UserSetting.dat")));
}

TEST_F(SettingsDialogTest, SaveWritesTheBoxesInSettingsOrderAndTwiceGivesTheSameFile) {
  SetAll(false);
  dialog.SetCheckBoxChecked(10, true);
  dialog.SetCheckBoxChecked(44, true);
  Click(dialog.BitBtn3);
  std::string expected;
  for (int line = 1; line <= 43; ++line) expected += (line == 10 || line == 43) ? "True\r\n" : "False\r\n";
  EXPECT_EQ(ReadBytes(dir.File("UserSetting.dat")), expected);
  Click(dialog.BitBtn3);
  EXPECT_EQ(ReadBytes(dir.File("UserSetting.dat")), expected);
  EXPECT_EQ(Checked(), (std::vector<int>{10, 44}));
}

TEST_F(SettingsDialogTest, AFailedSaveShowsTheErrorAndKeepsTheBoxes) {
  std::filesystem::create_directory(dir.File("UserSetting.dat"));
  dialog.SetCheckBoxChecked(3, false);
  ReadyBoxAnswers boxes;
  boxes.Then(BoxAnswer::kOk);
  ShowAnd([&] {
    Click(dialog.BitBtn3);
    EXPECT_TRUE(dialog.isVisible());  // stays open
  });
  EXPECT_EQ(boxes.seen, std::vector<std::string>{"ErrorBox:ファイルへのアクセスが拒否されました."});
  EXPECT_FALSE(dialog.IsCheckBoxChecked(3));
  EXPECT_EQ(Checked().size(), 42u);
}

TEST_F(SettingsDialogTest, ClosingAndReopeningKeepsBoxesRadioChoiceAndPosition) {
  QPoint moved;
  ShowAnd([&] {
    const QPoint offCentre = dialog.geometry().center() -
                             QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 2);  // first showing: centred
    dialog.SetCheckBoxChecked(5, false);
    Click(dialog.RadioButton2);
    dialog.move(dialog.pos() + QPoint(30, 20));
    moved = dialog.pos();
    Click(dialog.BitBtn5);
    EXPECT_FALSE(dialog.isVisible());
  });
  ShowAnd([&] {
    EXPECT_FALSE(dialog.IsCheckBoxChecked(5));
    EXPECT_TRUE(dialog.RadioButton2->isChecked());
    EXPECT_EQ(dialog.pos(), moved);
    dialog.close();  // the title bar's close box
    EXPECT_FALSE(dialog.isVisible());
  });
  EXPECT_FALSE(std::filesystem::exists(dir.File("UserSetting.dat")));
}

TEST_F(SettingsDialogTest, EscapeDoesNotCloseAndEnterPressesOnlyTheFocusedButton) {
  ShowAnd([&] {
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    // Escape on a focused control travels up to the dialog, which keeps it.
    dialog.CheckBox(7)->setFocus();
    QTest::keyClick(dialog.CheckBox(7), Qt::Key_Escape);
    dialog.BitBtn5->setFocus();
    QTest::keyClick(dialog.BitBtn5, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    SetAll(false);
    dialog.CheckBox(12)->setFocus();
    QTest::keyClick(dialog.CheckBox(12), Qt::Key_Return);
    EXPECT_TRUE(Checked().empty());
    EXPECT_TRUE(dialog.isVisible());
    dialog.BitBtn7->setFocus();
    QTest::keyClick(dialog.BitBtn7, Qt::Key_Return);
    EXPECT_EQ(Checked(), Range(1, 10));
  });
}

TEST_F(SettingsDialogTest, TheCatalogueReadsTheLiveBoxes) {
  const Selection& selection = dialog;
  dialog.SetCheckBoxChecked(12, false);  // 水産・農林業, code 0050
  EXPECT_FALSE(IsIndustryCodeSelected(selection, "0050"));
  EXPECT_TRUE(IsIndustryNameSelected(selection, Sjis("銀行業")));
  Click(dialog.CheckBox(12));
  EXPECT_TRUE(IsIndustryCodeSelected(selection, "0050"));
  Click(dialog.CheckBox(13));
  EXPECT_FALSE(IsIndustryNameSelected(selection, Sjis("銀行業")));
}

TEST_F(SettingsDialogTest, InitialSettingsThenSaveWritesFortyThreeTrueLines) {
  SetAll(false);  // as after a start without a settings file
  Click(dialog.BitBtn4);
  Click(dialog.BitBtn3);
  std::string expected;
  for (int line = 1; line <= 43; ++line) expected += "True\r\n";
  EXPECT_EQ(ReadBytes(dir.File("UserSetting.dat")), expected);
}

TEST_F(SettingsDialogTest, HasAFixedFrameWithOnlyACloseBox) {
  const Qt::WindowFlags flags = dialog.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  EXPECT_EQ(dialog.Panel1->frameShape(), QFrame::Panel);
  EXPECT_EQ(dialog.Panel1->frameShadow(), QFrame::Raised);
  for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
    EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
    EXPECT_FALSE(button->autoDefault()) << button->objectName().toStdString();
  }
  EXPECT_EQ(dialog.CheckBox(1)->font().pixelSize(), 11);
  EXPECT_EQ(dialog.CheckBox(1)->font().families().value(0), QStringLiteral("Tahoma"));
}

TEST_F(SettingsDialogTest, ControlsStandWhereTheLayoutPutsThem) {
  struct Place {
    const char* name;
    QWidget* container;
    const char* caption;
    QRect geometry;
  };
  const std::vector<Place> places = {
      {"GroupBox1", &dialog, "市場選択", {8, 8, 345, 97}},
      {"GroupBox2", &dialog, "業種選択", {8, 111, 345, 298}},
      {"BitBtn4", &dialog, "初期設定", {253, 422, 75, 20}},
      {"BitBtn3", &dialog, "設定保存", {253, 447, 75, 20}},
      {"BitBtn5", &dialog, "閉じる", {253, 472, 75, 20}},
      {"Panel1", &dialog, nullptr, {24, 415, 191, 80}},
      {"RadioButton1", dialog.Panel1, "市場", {16, 16, 65, 17}},
      {"RadioButton2", dialog.Panel1, "業種", {16, 48, 49, 17}},
      {"BitBtn7", dialog.Panel1, "全て選択", {87, 10, 75, 25}},
      {"BitBtn6", dialog.Panel1, "選択解除", {86, 45, 75, 25}},
      {"CheckBox1", dialog.GroupBox1, "東証１部", {24, 24, 65, 17}},
      {"CheckBox2", dialog.GroupBox1, "東証２部", {142, 24, 74, 17}},
      {"CheckBox3", dialog.GroupBox1, "マザーズ", {245, 24, 66, 17}},
      {"CheckBox4", dialog.GroupBox1, "大証１部", {24, 48, 65, 17}},
      {"CheckBox5", dialog.GroupBox1, "大証２部", {95, 47, 66, 17}},
      {"CheckBox6", dialog.GroupBox1, "ヘラクレス", {173, 47, 66, 17}},
      {"CheckBox7", dialog.GroupBox1, "ジャスダック", {245, 48, 73, 17}},
      {"CheckBox8", dialog.GroupBox1, "福証", {24, 71, 49, 17}},
      {"CheckBox9", dialog.GroupBox1, "札証", {142, 70, 50, 17}},
      {"CheckBox10", dialog.GroupBox1, "名証", {245, 71, 66, 17}},
  };
  for (const Place& place : places) {
    auto* widget = dialog.findChild<QWidget*>(QString::fromLatin1(place.name));
    ASSERT_NE(widget, nullptr) << place.name;
    EXPECT_EQ(widget->parentWidget(), place.container) << place.name;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      ExpectPlaced(*button, place.geometry);
      EXPECT_EQ(Caption(*button), place.caption) << place.name;
      continue;
    }
    EXPECT_EQ(widget->geometry(), place.geometry) << place.name;
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      EXPECT_EQ(group->title().toStdString(), place.caption) << place.name;
    }
  }
  // The industry grid, row by row as written on the layout sheet.
  const char* grid[11][3] = {
      {"水産・農林業", "鉱業", "建設業"},        {"食料品", "繊維製品", "パルプ・紙"},
      {"化学", "医薬品", "石油・石炭製品"},      {"ゴム製品", "ガラス・土石製品", "鉄鋼"},
      {"非鉄金属", "金属製品", "機械"},          {"電気機器", "輸送用機器", "精密機器"},
      {"その他製品", "電気・ガス業", "陸運業"},  {"海運業", "空運業", "倉庫・運輸関連業"},
      {"情報・通信", "卸売業", "小売業"},        {"銀行業", "証券・商品先物取引業", "保険業"},
      {"その他金融業", "不動産業", "サービス業"}};
  const int names[11][3] = {{12, 14, 18}, {22, 26, 30}, {15, 19, 23}, {27, 31, 33},
                            {35, 37, 39}, {41, 42, 43}, {40, 38, 36}, {34, 32, 28},
                            {24, 20, 17}, {13, 29, 25}, {21, 44, 16}};
  const int lefts[3] = {16, 119, 227};
  for (int row = 0; row < 11; ++row) {
    for (int column = 0; column < 3; ++column) {
      QCheckBox* box = dialog.CheckBox(names[row][column]);
      EXPECT_EQ(box->objectName(), QStringLiteral("CheckBox%1").arg(names[row][column]));
      EXPECT_EQ(box->parentWidget(), dialog.GroupBox2);
      EXPECT_EQ(Caption(*box), grid[row][column]);
      // ガラス・土石製品 stops where the next column begins, short of 112.
      const int width = names[row][column] == 31 ? 108 : names[row][column] == 28 ? 115 : 97;
      ExpectPlaced(*box, QRect(lefts[column], 32 + 23 * row, width, 17));
      EXPECT_FALSE(box->isTristate());
    }
  }
}

TEST_F(SettingsDialogTest, TheKeyboardFocusFollowsTheLayoutsOrder) {
  const std::vector<int> industries = {12, 14, 18, 21, 16, 22, 25, 26, 29, 30, 13,
                                       15, 17, 19, 20, 23, 24, 28, 31, 32, 33, 34,
                                       35, 36, 37, 38, 40, 41, 42, 43, 44, 39, 27};
  std::vector<QWidget*> expected;
  for (int box = kMarketBoxes.first; box <= kMarketBoxes.last; ++box) {
    expected.push_back(dialog.CheckBox(box));
  }
  for (int box : industries) expected.push_back(dialog.CheckBox(box));
  // Tab stops only at the selected radio button, as in any exclusive group.
  for (QWidget* widget : std::initializer_list<QWidget*>{dialog.BitBtn3, dialog.BitBtn4,
                                                         dialog.BitBtn5, dialog.BitBtn6,
                                                         dialog.RadioButton1, dialog.BitBtn7}) {
    expected.push_back(widget);
  }
  expected.push_back(dialog.CheckBox(1));
  std::vector<QWidget*> visited;
  ShowAnd([&] {
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.CheckBox(1)->setFocus(Qt::TabFocusReason);
    visited.push_back(QApplication::focusWidget());
    for (std::size_t i = 1; i < expected.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      visited.push_back(QApplication::focusWidget());
    }
  });
  ASSERT_EQ(visited.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(visited[i], expected[i]) << "stop " << i << ": "
        << (visited[i] ? visited[i]->objectName().toStdString() : "none");
  }
}

}  // namespace
}  // namespace quillivar

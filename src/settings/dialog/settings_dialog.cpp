#include "settings/settings_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <stdexcept>

#include "settings/settings_file.h"
#include "text/code_page.h"
#include "ui/qt_boxes.h"
#include "ui/qt_controls.h"
#include "ui/qt_text.h"

namespace quillivar {
namespace {

constexpr int kRowHeight = 17;

QString Caption(const char* utf8) { return ToQString(Sjis(utf8)); }

struct MarketPlace {
  int checkBox;
  int left;
  int top;
  int width;
};

constexpr MarketPlace kMarketPlaces[10] = {
    {1, 24, 24, 65},  {2, 142, 24, 74}, {3, 245, 24, 66}, {4, 24, 48, 65},
    {5, 95, 47, 66},  {6, 173, 47, 66}, {7, 245, 48, 73}, {8, 24, 71, 49},
    {9, 142, 70, 50}, {10, 245, 71, 66},
};

// The keyboard order inside the industry group, as the dialog was laid out.
constexpr int kIndustryFocusOrder[33] = {12, 14, 18, 21, 16, 22, 25, 26, 29, 30, 13,
                                         15, 17, 19, 20, 23, 24, 28, 31, 32, 33, 34,
                                         35, 36, 37, 38, 40, 41, 42, 43, 44, 39, 27};

int IndustryBoxWidth(int checkBox) {
  // ガラス・土石製品: 112 wide it would reach 4 pixels into the box of the
  // next column, whose clicks it would then share; it ends where that begins.
  if (checkBox == 31) return 108;
  if (checkBox == 28) return 115;  // 倉庫・運輸関連業
  return 97;
}

}  // namespace

TForm2::TForm2(std::string exeDir, QWidget* parent) : QDialog(parent) {
  BuildControls();
  FormCreate(std::move(exeDir));
}

void TForm2::FormCreate(std::string exeDir) { ExeDir = std::move(exeDir); }

void TForm2::BuildControls() {
  SetUpWindow();
  BuildMarketBoxes();
  BuildIndustryBoxes();
  for (int checkBox : SettingsOrder()) {
    checkBoxes_[checkBox]->setObjectName(QStringLiteral("CheckBox%1").arg(checkBox));
    checkBoxes_[checkBox]->setTristate(false);
    checkBoxes_[checkBox]->setChecked(true);
  }
  BuildButtonsAndPanel();
  FitCaptions(*this);
  ChainFocusOrder();
  ConnectHandlers();
}

void TForm2::SetUpWindow() {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(Caption("設定"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(362, 501);
  setModal(true);
  setFont(WindowFont());
}

void TForm2::BuildMarketBoxes() {
  GroupBox1 = new QGroupBox(Caption("市場選択"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(8, 8, 345, 97);
  const auto& markets = MarketCatalogue();
  for (const MarketPlace& place : kMarketPlaces) {
    auto* box = new QCheckBox(ToQString(markets[place.checkBox - 1].caption), GroupBox1);
    box->setGeometry(place.left, place.top, place.width, kRowHeight);
    checkBoxes_[place.checkBox] = box;
  }
}

// The grid follows the visiting order, three to a row.
void TForm2::BuildIndustryBoxes() {
  GroupBox2 = new QGroupBox(Caption("業種選択"), this);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  GroupBox2->setGeometry(8, 111, 345, 298);
  const auto& industries = IndustryCatalogue();
  for (std::size_t i = 0; i < industries.size(); ++i) {
    static constexpr int kLefts[3] = {16, 119, 227};
    const int checkBox = industries[i].checkBox;
    auto* box = new QCheckBox(ToQString(industries[i].name), GroupBox2);
    box->setGeometry(kLefts[i % 3], 32 + 23 * static_cast<int>(i / 3),
                     IndustryBoxWidth(checkBox), kRowHeight);
    checkBoxes_[checkBox] = box;
  }
}

void TForm2::BuildButtonsAndPanel() {
  BitBtn4 = MakeButton(this, "BitBtn4", "初期設定", QRect(253, 422, 75, 20));
  BitBtn3 = MakeButton(this, "BitBtn3", "設定保存", QRect(253, 447, 75, 20));
  BitBtn5 = MakeButton(this, "BitBtn5", "閉じる", QRect(253, 472, 75, 20));

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setGeometry(24, 415, 191, 80);
  RadioButton1 = new QRadioButton(Caption("市場"), Panel1);
  RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
  RadioButton1->setGeometry(16, 16, 65, kRowHeight);
  RadioButton1->setChecked(true);
  RadioButton2 = new QRadioButton(Caption("業種"), Panel1);
  RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
  RadioButton2->setGeometry(16, 48, 49, kRowHeight);
  BitBtn7 = MakeButton(Panel1, "BitBtn7", "全て選択", QRect(87, 10, 75, 25));
  BitBtn6 = MakeButton(Panel1, "BitBtn6", "選択解除", QRect(86, 45, 75, 25));
}

// Keyboard order: the groups, the buttons, then the panel.
void TForm2::ChainFocusOrder() {
  QWidget* previous = nullptr;
  auto chain = [&previous](QWidget* next) {
    if (previous != nullptr) setTabOrder(previous, next);
    previous = next;
  };
  for (int box = kMarketBoxes.first; box <= kMarketBoxes.last; ++box) chain(checkBoxes_[box]);
  for (int checkBox : kIndustryFocusOrder) chain(checkBoxes_[checkBox]);
  for (QWidget* widget : std::initializer_list<QWidget*>{BitBtn3, BitBtn4, BitBtn5, BitBtn6,
                                                         RadioButton1, RadioButton2, BitBtn7}) {
    chain(widget);
  }
}

void TForm2::ConnectHandlers() {
  const auto guarded = [this](void (TForm2::*handler)()) {
    return [this, handler] { RunAtHandlerEdge([this, handler] { (this->*handler)(); }, this); };
  };
  connect(BitBtn3, &QPushButton::clicked, this, guarded(&TForm2::BitBtn3Click));
  connect(BitBtn4, &QPushButton::clicked, this, guarded(&TForm2::BitBtn4Click));
  connect(BitBtn5, &QPushButton::clicked, this, guarded(&TForm2::BitBtn5Click));
  connect(BitBtn6, &QPushButton::clicked, this, guarded(&TForm2::BitBtn6Click));
  connect(BitBtn7, &QPushButton::clicked, this, guarded(&TForm2::BitBtn7Click));
}

QCheckBox* TForm2::CheckBox(int checkBox) const {
  if (checkBox < 0 || checkBox >= static_cast<int>(checkBoxes_.size()) ||
      checkBoxes_[checkBox] == nullptr) {
    throw std::out_of_range("no settings check box " + std::to_string(checkBox));
  }
  return checkBoxes_[checkBox];
}

bool TForm2::IsCheckBoxChecked(int checkBox) const { return CheckBox(checkBox)->isChecked(); }

void TForm2::SetCheckBoxChecked(int checkBox, bool checked) {
  CheckBox(checkBox)->setChecked(checked);
}

void TForm2::SetTargetGroup(bool checked) {
  const CheckBoxRange range = RadioButton1->isChecked() ? kMarketBoxes : kIndustryBoxes;
  for (int box = range.first; box <= range.last; ++box) SetCheckBoxChecked(box, checked);
}

void TForm2::BitBtn3Click() {
  WriteSettingsFile(ExeDir, FlagsOf(*this));
}

void TForm2::BitBtn4Click() {
  for (int box : SettingsOrder()) SetCheckBoxChecked(box, true);
}

void TForm2::BitBtn5Click() { done(QDialog::Rejected); }

void TForm2::BitBtn6Click() { SetTargetGroup(false); }

void TForm2::BitBtn7Click() { SetTargetGroup(true); }

// No cancel button: Escape leaves the dialog open. Enter goes to the focused
// button only.
void TForm2::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  if (ClickFocusedButtonOnEnter(*this, *event)) return;
  QDialog::keyPressEvent(event);
}

void TForm2::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (lastPosition_) {
    move(*lastPosition_);
  } else {
    CentreOnScreen(*this);
  }
}

void TForm2::hideEvent(QHideEvent* event) {
  lastPosition_ = pos();
  QDialog::hideEvent(event);
}

}  // namespace quillivar

#include "app/Unit1.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <stdexcept>

#include "quote/page_fetch.h"
#include "settings/settings_dialog.h"
#include "settings/settings_file.h"
#include "text/code_page.h"
#include "ui/qt_boxes.h"
#include "ui/qt_controls.h"
#include "files/executable_directory.h"
#include "ui/qt_text.h"

namespace quillivar {

TForm1::TForm1(Internet& internet, Options options)
    : internet_(internet), options_(std::move(options)), closing_(*this) {
  BuildControls(options_.timerIntervalMs);
  RunAtHandlerEdge([this] { FormCreate(); }, this);
}

TForm1::~TForm1() = default;

void TForm1::BuildControls(int timerIntervalMs) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Quillivar"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(403, 61);
  setFont(WindowFont());
  setBackgroundRole(QPalette::Button);  // the button-face colour
  setAutoFillBackground(true);

  // Created in tab order: Button1 first, so it has the focus at start.
  Button1 = MakeButton(this, "Button1", "ダウンロード開始", QRect(219, 8, 123, 25));
  Button2 = MakeButton(this, "Button2", "設定", QRect(8, 8, 75, 25));
  Button3 = MakeButton(this, "Button3", "中止", QRect(348, 8, 47, 25));
  setTabOrder(Button1, Button2);
  setTabOrder(Button2, Button3);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setGeometry(0, 42, 403, 19);
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->setFont(QFont());  // the system's own status-bar font
  FitCaptions(*this);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(timerIntervalMs);

  // The run's error box is shown inside the run, so a close asked for during
  // the run closes that box too.
  connect(Button1, &QPushButton::clicked, this, [this] {
    closing_.During([this] { RunAtHandlerEdge([this] { Button1Click(); }, this); });
  });
  connect(Button2, &QPushButton::clicked, this, [this] { RunAtHandlerEdge([this] { Button2Click(); }, this); });
  connect(Button3, &QPushButton::clicked, this, [this] { RunAtHandlerEdge([this] { Button3Click(); }, this); });
  connect(Timer1, &QTimer::timeout, this, [this] { RunAtHandlerEdge([this] { Timer1Timer(); }, this); });
}

void TForm1::AttachSettingsDialog(TForm2* dialog) { settingsDialog_ = dialog; }

TForm2& TForm1::SettingsDialog() const {
  if (settingsDialog_ == nullptr) throw std::logic_error("the settings dialog is not attached");
  return *settingsDialog_;
}

// A settings file that cannot be read is reported; the window starts all the
// same, with the lines read before the failure.
void TForm1::FormCreate() {
  ExeDir = ProgramFolder(options_.exeDir);
  const SettingsRead read = ReadSelectionAtStart(ExeDir);
  LoadedSelection = read.flags;
  if (read.failure) ShowErrorBoxQt(read.failure->japanese);
  // The boxes then show what was read, and 設定保存 writes a sound file.
  if (read.damage) ShowErrorBoxQt(SettingsDamageMessage(ExeDir, *read.damage));
}

void TForm1::FormActivate() { ApplyLoadedSelection(SettingsDialog(), LoadedSelection); }

void TForm1::Button1Click() {
  if (!AskConfirmationBox(Sjis("銘柄リストをダウンロードします。よろしいですか？"))) {
    SetBusy(false);
    Timer1->stop();
    return;
  }
  ExeDir = ProgramFolder(options_.exeDir);
  SetBusy(true);
  AbortRequested = false;
  StatusToggle = true;
  StartStatusTimer();
  AbortPoint abortPoint(pump_, AbortRequested);
  const QuoteClient client{internet_, abortPoint, options_.quoteHost, options_.retries};
  PresentEnd(Download(SettingsDialog(), ListTarget{ExeDir + kStockListFileName, nullptr}, client,
                      *this));
}

void TForm1::PresentEnd(const RunResult& result) {
  using End = RunResult::End;
  // The final message comes before the buttons: the timer may still be on.
  if (result.end == End::Written || result.end == End::CannotWrite) {
    ShowInformationBox(result.message);
  } else if (result.end == End::Failed || result.end == End::WriteFailed) {
    ShowErrorBoxQt(result.message);
  }
  SetBusy(false);
  Timer1->stop();
  if (result.end == End::Aborted || result.end == End::Kept) SetStatusText(result.message);
}

void TForm1::SetBusy(bool busy) {
  Button1->setEnabled(!busy);
  Button2->setEnabled(!busy);
}

void TForm1::SetStatusText(const Text& text) { StatusBar1->showMessage(ToQString(text)); }

void TForm1::StartStatusTimer() {
  if (!Timer1->isActive()) Timer1->start();  // a running timer keeps its phase
}

// Switched on only once per run, so its texts show only until the first
// fetch has returned.
void TForm1::IndustryFetched(std::size_t) { Timer1->stop(); }

// A retry's notice stays up: the timer's texts would hide it.
void TForm1::Retrying(const Text& status) {
  Timer1->stop();
  SetStatusText(status);
}

bool TForm1::MayReplaceSuspectList(const Text& facts) {
  return AskYesNoBox(facts + Sjis("\n\nbrand_code.csv をこの内容で置き換えますか？"));
}

// いいえ is the default: Enter keeps the list.
bool TForm1::MayWriteEmptyList() {
  return AskYesNoBox(
      Sjis("市場または業種が一つも選ばれていません。brand_code.csv を空のリストで置き換えますか？"));
}

void TForm1::Button2Click() { SettingsDialog().exec(); }

void TForm1::Button3Click() { AbortRequested = true; }

void TForm1::Timer1Timer() {
  static const Text kAnalysing = Sjis("銘柄情報分析中…");
  static const Text kPleaseWait = Sjis("しばらくお待ちください。");
  SetStatusText(StatusToggle ? kAnalysing : kPleaseWait);
  StatusToggle = !StatusToggle;
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!centred_) CentreOnScreen(*this);
  centred_ = true;
}

bool TForm1::event(QEvent* event) {
  // Activated once per start: later returns from modal boxes and from other
  // applications are no new activation.
  if (event->type() == QEvent::WindowActivate && !activated_) {
    activated_ = true;
    RunAtHandlerEdge([this] { FormActivate(); }, this);
  }
  return QWidget::event(event);
}

void TForm1::closeEvent(QCloseEvent* event) { closing_.OnCloseEvent(*event); }

// Outside a dialog Qt's push buttons ignore Enter; here Enter, like Space,
// activates the focused button.
void TForm1::keyPressEvent(QKeyEvent* event) {
  if (ClickFocusedButtonOnEnter(*this, *event)) return;
  QWidget::keyPressEvent(event);
}

}  // namespace quillivar

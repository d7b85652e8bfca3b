#include "app/Unit1.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "quote/page_fetch.h"
#include "run/download_run.h"
#include "settings/settings_dialog.h"
#include "settings/settings_file.h"
#include "text/code_page.h"
#include "ui/qt_boxes.h"
#include "ui/qt_controls.h"
#include "ui/qt_text.h"

namespace quillivar {

TForm1::TForm1(Internet& internet, Options options)
    : internet_(internet), options_(std::move(options)) {
  BuildControls(options_.timerIntervalMs);
  services_ = std::make_unique<QtUiServices>(
      MainWindowControls{Button1, Button2, Button3, StatusBar1, Timer1}, options_.exeDir);
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

  connect(Button1, &QPushButton::clicked, this, [this] { RunAtHandlerEdge([this] { Button1Click(); }, this); });
  connect(Button2, &QPushButton::clicked, this, [this] { RunAtHandlerEdge([this] { Button2Click(); }, this); });
  connect(Button3, &QPushButton::clicked, this, [this] { RunAtHandlerEdge([this] { Button3Click(); }, this); });
  connect(Timer1, &QTimer::timeout, this, [this] { RunAtHandlerEdge([this] { Timer1Timer(); }, this); });

  CentreOnScreen(*this);
}

UiServices& TForm1::Services() { return *services_; }

void TForm1::AttachSettingsDialog(TForm2* dialog) { services_->AttachSettingsDialog(dialog); }

void TForm1::FormCreate() { LoadSelectionAtCreate(*services_, *this); }

void TForm1::FormActivate() { ApplyLoadedSelection(*services_, *this); }

void TForm1::Button1Click() {
  running_ = true;
  struct Finally {
    TForm1* form;
    ~Finally() {
      form->running_ = false;
      SetBoxesCloseAtOnce(false);
      // A close asked for during the run takes effect once it has returned.
      if (form->closeRequested_) QTimer::singleShot(0, form, &QWidget::close);
    }
  } finally{this};

  const QuoteClient client{internet_, *services_, AbortRequested, options_.quoteHost};
  DownloadRun run(*services_, *this,
                  [&client](const Text& code) { return FetchIndustryRows(client, code); },
                  StockListFile);
  run.Button1Click();
}

void TForm1::Button2Click() { services_->ShowSettingsDialog(); }

void TForm1::Button3Click() { AbortRequested = true; }

void TForm1::Timer1Timer() {
  static const Text kAnalysing = Sjis("銘柄情報分析中…");
  static const Text kPleaseWait = Sjis("しばらくお待ちください。");
  if (StatusToggle) {
    services_->SetStatusText(kAnalysing);
    StatusToggle = false;
  } else {
    services_->SetStatusText(kPleaseWait);
    StatusToggle = true;
  }
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

void TForm1::closeEvent(QCloseEvent* event) {
  if (running_) {
    closeRequested_ = true;
    SetBoxesCloseAtOnce(true);
    event->ignore();
    return;
  }
  event->accept();
}

// Outside a dialog Qt's push buttons ignore Enter; here Enter, like Space,
// activates the focused button.
void TForm1::keyPressEvent(QKeyEvent* event) {
  if (ClickFocusedButtonOnEnter(*this, *event)) return;
  QWidget::keyPressEvent(event);
}

}  // namespace quillivar

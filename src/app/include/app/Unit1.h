// Unit1: the main window TForm1, with its start, settings and abort buttons,
// status line and status timer.
#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "quote/internet.h"
#include "quote/page_fetch.h"
#include "catalogue/catalogue.h"
#include "run/download_run.h"
#include "text/text.h"
#include "ui/qt_close_after_run.h"
#include "ui/qt_event_pump.h"

class QPushButton;
class QStatusBar;
class QTimer;

namespace quillivar {

class TForm2;

// Presents the download run: its status texts and industries in the status
// line and the timer, its result in a box and the buttons.
class TForm1 : public QWidget, private RunObserver {
  Q_OBJECT

 public:
  struct Options {
    std::string quoteHost;
    int timerIntervalMs = 2000;
    // Test seam: the folder of the program's files; empty means the running
    // executable's own.
    std::string exeDir;
    RetryPolicy retries{};
  };

  // Builds the controls, then runs FormCreate. The settings dialog is created
  // by the caller, after this window, and handed in with AttachSettingsDialog.
  TForm1(Internet& internet, Options options);
  ~TForm1() override;

  void AttachSettingsDialog(TForm2* dialog);

  QPushButton* Button1 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button3 = nullptr;
  QTimer* Timer1 = nullptr;
  SelectionFlags LoadedSelection{};
  Text ExeDir;                  // native path, ending with "/"
  bool AbortRequested = false;  // set by 中止, cleared by each run
  bool StatusToggle = false;    // true: the next tick shows 銘柄情報分析中…

  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Timer1Timer();
  void FormCreate();
  void FormActivate();

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls(int timerIntervalMs);
  TForm2& SettingsDialog() const;
  void SetBusy(bool busy);
  void SetStatusText(const Text& text);
  void StartStatusTimer();
  void PresentEnd(const RunResult& result);

  void ShowStatus(const Text& text) override { SetStatusText(text); }
  void IndustryFetched(std::size_t rows) override;
  void Retrying(const Text& status) override;
  bool MayReplaceSuspectList(const Text& facts) override;
  bool MayWriteEmptyList() override;

  Internet& internet_;
  Options options_;
  QtEventPump pump_;
  TForm2* settingsDialog_ = nullptr;
  CloseAfterRun closing_;
  bool activated_ = false;
  bool centred_ = false;
};

}  // namespace quillivar

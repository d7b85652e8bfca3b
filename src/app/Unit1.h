// Unit1: the main window TForm1, with its start, settings and abort buttons,
// status line and status timer.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "quote/internet.h"
#include "quote/page_fetch.h"
#include "catalogue/catalogue.h"
#include "run/run_state.h"
#include "run/stock_list_file.h"
#include "ui/qt_close_after_run.h"
#include "ui/qt_run_view.h"

class QPushButton;
class QStatusBar;
class QTimer;

namespace quillivar {

class TForm2;

class TForm1 : public QWidget, public RunState {
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
  ReplacingStockListFile StockListFile;
  SelectionFlags LoadedSelection{};

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

  Internet& internet_;
  Options options_;
  std::unique_ptr<QtRunView> view_;
  TForm2* settingsDialog_ = nullptr;
  CloseAfterRun closing_;
  bool activated_ = false;
  bool centred_ = false;
};

}  // namespace quillivar

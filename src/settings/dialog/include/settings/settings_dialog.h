// The settings dialog TForm2: the 43 check boxes that are the live selection
// of markets and industries, group selection, initial state, save and close.
#pragma once

#include <QDialog>
#include <array>
#include <optional>
#include <string>

#include "catalogue/catalogue.h"

class QCheckBox;
class QGroupBox;
class QFrame;
class QPushButton;
class QRadioButton;

namespace quillivar {

class TForm2 : public QDialog, public CheckBoxes {
  Q_OBJECT

 public:
  // `exeDir`: the program's folder, where the save writes UserSetting.dat.
  explicit TForm2(std::string exeDir, QWidget* parent = nullptr);

  bool IsChecked(int checkBox) const override { return IsCheckBoxChecked(checkBox); }
  void SetChecked(int checkBox, bool checked) override { SetCheckBoxChecked(checkBox, checked); }
  bool IsCheckBoxChecked(int checkBox) const;
  void SetCheckBoxChecked(int checkBox, bool checked);
  QCheckBox* CheckBox(int checkBox) const;

  std::string ExeDir;
  QGroupBox* GroupBox1 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QPushButton* BitBtn3 = nullptr;
  QPushButton* BitBtn4 = nullptr;
  QPushButton* BitBtn5 = nullptr;
  QFrame* Panel1 = nullptr;
  QRadioButton* RadioButton1 = nullptr;
  QRadioButton* RadioButton2 = nullptr;
  QPushButton* BitBtn6 = nullptr;
  QPushButton* BitBtn7 = nullptr;

  void FormCreate(std::string exeDir);
  void BitBtn3Click();
  void BitBtn4Click();
  void BitBtn5Click();
  void BitBtn6Click();
  void BitBtn7Click();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void BuildControls();
  void SetUpWindow();
  void BuildMarketBoxes();
  void BuildIndustryBoxes();
  void BuildButtonsAndPanel();
  void ChainFocusOrder();
  void ConnectHandlers();
  void SetTargetGroup(bool checked);

  std::array<QCheckBox*, kCheckBoxNumbers> checkBoxes_{};  // index = check box number
  std::optional<QPoint> lastPosition_;
};

}  // namespace quillivar

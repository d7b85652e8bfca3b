#include "ui/qt_boxes.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <optional>

#include "text/code_page.h"
#include "ui/qt_controls.h"
#include "ui/qt_text.h"
#include "ui/ui_texts.h"

namespace quillivar {
namespace {

bool closeAtOnce = false;
ReadyBoxAnswers* readyAnswers = nullptr;

QString Title() {
  return ToQString(ApplicationTitle(QFile::encodeName(QCoreApplication::applicationFilePath())
                                        .toStdString()));
}

// A message box settles its size only while it is being shown, so it is
// centred there.
class CentredBox : public QMessageBox {
 public:
  CentredBox(Icon icon, const QString& title, const QString& text, QWidget* parent)
      : QMessageBox(icon, title, text, NoButton, parent) {}

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    CentreOnScreen(*this);
  }
};

QPushButton* AddButton(QMessageBox& box, const char* caption, QMessageBox::ButtonRole role,
                       const char* name) {
  QPushButton* button = box.addButton(ToQString(Sjis(caption)), role);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

// The answer a box has before it shows, if any.
std::optional<BoxAnswer> AnswerAtOnce(const QMessageBox& box) {
  if (closeAtOnce) return BoxAnswer::kClose;
  if (readyAnswers == nullptr) return std::nullopt;
  return readyAnswers->Take(box.objectName().toStdString() + ":" + box.text().toStdString());
}

// kOk answers OK or はい, kCancel キャンセル or いいえ: the same names.
QAbstractButton* ButtonFor(const QMessageBox& box, BoxAnswer answer) {
  if (answer == BoxAnswer::kClose) return nullptr;
  const char* name = answer == BoxAnswer::kOk ? "OkButton" : "CancelButton";
  return box.findChild<QPushButton*>(QString::fromLatin1(name));
}

// Runs the box; returns the button pressed, or null when it was closed.
QAbstractButton* Run(QMessageBox& box) {
  if (const std::optional<BoxAnswer> answer = AnswerAtOnce(box)) return ButtonFor(box, *answer);
  box.exec();
  return box.clickedButton();
}

// A box captioned with the application title and one "OK" for Enter and
// Escape alike.
void ShowOkBox(QMessageBox::Icon icon, const QString& text, const char* name, QWidget* parent) {
  CentredBox box(icon, Title(), text, parent);
  box.setObjectName(QString::fromLatin1(name));
  QPushButton* ok = AddButton(box, "OK", QMessageBox::AcceptRole, "OkButton");
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  Run(box);
}

// A question captioned "確認" whose Escape answers no: true only for its
// first button.
struct Question {
  QMessageBox::Icon icon;
  const char* name;
  const char* yes;
  const char* no;
  bool noIsDefault;
};

bool Ask(const Question& question, const Text& text, QWidget* parent) {
  CentredBox box(question.icon, ToQString(Sjis("確認")), ToQString(text), parent);
  box.setObjectName(QString::fromLatin1(question.name));
  QPushButton* yes = AddButton(box, question.yes, QMessageBox::AcceptRole, "OkButton");
  QPushButton* no = AddButton(box, question.no, QMessageBox::RejectRole, "CancelButton");
  box.setDefaultButton(question.noIsDefault ? no : yes);
  box.setEscapeButton(no);
  return Run(box) == yes;
}

}  // namespace

bool AskConfirmationBox(const Text& question, QWidget* parent) {
  return Ask({QMessageBox::Question, "ConfirmationBox", "OK", "キャンセル", false}, question, parent);
}

bool AskYesNoBox(const Text& question, QWidget* parent) {
  return Ask({QMessageBox::Warning, "YesNoBox", "はい", "いいえ", true}, question, parent);
}

void ShowInformationBox(const Text& message, QWidget* parent) {
  ShowOkBox(QMessageBox::NoIcon, ToQString(message), "InformationBox", parent);
}

void ShowErrorBoxQt(const Text& message, QWidget* parent) {
  ShowOkBox(QMessageBox::Critical, ToQString(ErrorBoxText(message)), "ErrorBox", parent);
}

void SetBoxesCloseAtOnce(bool value) { closeAtOnce = value; }

ReadyBoxAnswers::ReadyBoxAnswers() : previous_(readyAnswers) { readyAnswers = this; }

ReadyBoxAnswers::~ReadyBoxAnswers() { readyAnswers = previous_; }

BoxAnswer ReadyBoxAnswers::Take(std::string shown) {
  seen.push_back(std::move(shown));
  if (answers_.empty()) return BoxAnswer::kClose;
  const BoxAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

}  // namespace quillivar

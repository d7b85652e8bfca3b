#include "ui/qt_boxes.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "text/code_page.h"
#include "ui/qt_text.h"
#include "ui/ui_texts.h"

namespace quillivar {
namespace {

bool closeAtOnce = false;

QString Title() {
  return ToQString(ApplicationTitle(QFile::encodeName(QCoreApplication::applicationFilePath())
                                        .toStdString()));
}

void Centre(QMessageBox& box) {
  box.adjustSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    box.move(area.center() - QPoint(box.width() / 2, box.height() / 2));
  }
}

QPushButton* AddButton(QMessageBox& box, const char* caption, QMessageBox::ButtonRole role,
                       const char* name) {
  QPushButton* button = box.addButton(ToQString(Sjis(caption)), role);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

// Runs the box; returns the button pressed, or null when it was closed.
QAbstractButton* Run(QMessageBox& box) {
  if (closeAtOnce) return nullptr;
  Centre(box);
  box.exec();
  return box.clickedButton();
}

}  // namespace

bool AskConfirmationBox(const Text& question) {
  QMessageBox box(QMessageBox::Question, ToQString(Sjis("確認")), ToQString(question));
  box.setObjectName(QStringLiteral("ConfirmationBox"));
  QPushButton* ok = AddButton(box, "OK", QMessageBox::AcceptRole, "OkButton");
  QPushButton* cancel = AddButton(box, "キャンセル", QMessageBox::RejectRole, "CancelButton");
  box.setDefaultButton(ok);
  box.setEscapeButton(cancel);
  return Run(box) == ok;
}

void ShowInformationBox(const Text& message) {
  QMessageBox box(QMessageBox::NoIcon, Title(), ToQString(message));
  box.setObjectName(QStringLiteral("InformationBox"));
  QPushButton* ok = AddButton(box, "OK", QMessageBox::AcceptRole, "OkButton");
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  Run(box);
}

void ShowErrorBoxQt(const Text& message) {
  QMessageBox box(QMessageBox::Critical, Title(), ToQString(ErrorBoxText(message)));
  box.setObjectName(QStringLiteral("ErrorBox"));
  QPushButton* ok = AddButton(box, "OK", QMessageBox::AcceptRole, "OkButton");
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  Run(box);
}

void SetBoxesCloseAtOnce(bool value) { closeAtOnce = value; }

}  // namespace quillivar

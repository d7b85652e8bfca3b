// The modal boxes, shown for real offscreen and answered from their own loop.
#include "ui/qt_boxes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "text/code_page.h"
#include "ui/qt_text.h"

namespace quillivar {
namespace {

struct Seen {
  std::string name;
  std::string title;
  std::string text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  std::vector<std::string> buttons;
  QPoint offCentre;  // from the screen's centre
};

// Runs `answer` on the next box that opens, after noting what it shows. The
// poll writes the note later, from the box's own loop; both it and the caller
// hold the note.
std::shared_ptr<const Seen> WhenBoxOpens(std::function<void(QMessageBox*)> answer) {
  auto seen = std::make_shared<Seen>();
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, seen, answer] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    seen->name = box->objectName().toStdString();
    seen->title = box->windowTitle().toStdString();
    seen->text = box->text().toStdString();
    seen->icon = box->icon();
    for (QAbstractButton* button : box->buttons()) {
      seen->buttons.push_back(button->text().toStdString());
    }
    seen->offCentre =
        box->geometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    answer(box);
  });
  poll->start(5);
  return seen;
}

QPushButton* Button(QMessageBox* box, const char* name) {
  return box->findChild<QPushButton*>(QString::fromLatin1(name));
}

TEST(QtBoxesTest, ConfirmationIsTrueOnlyForOk) {
  const Text question = Sjis("銘柄リストをダウンロードします。よろしいですか？");
  const auto seen = WhenBoxOpens([](QMessageBox* box) { Button(box, "OkButton")->click(); });
  EXPECT_TRUE(AskConfirmationBox(question));
  EXPECT_EQ(seen->name, "ConfirmationBox");
  EXPECT_EQ(seen->title, "確認");
  EXPECT_EQ(seen->text, "銘柄リストをダウンロードします。よろしいですか？");
  EXPECT_EQ(seen->icon, QMessageBox::Question);
  EXPECT_EQ(seen->buttons, (std::vector<std::string>{"OK", "キャンセル"}));

  WhenBoxOpens([](QMessageBox* box) { Button(box, "CancelButton")->click(); });
  EXPECT_FALSE(AskConfirmationBox(question));
}

TEST(QtBoxesTest, ConfirmationAnswersEnterWithOkAndEscapeOrClosingWithCancel) {
  WhenBoxOpens([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
  EXPECT_TRUE(AskConfirmationBox("?"));
  WhenBoxOpens([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
  EXPECT_FALSE(AskConfirmationBox("?"));
  WhenBoxOpens([](QMessageBox* box) { box->close(); });
  EXPECT_FALSE(AskConfirmationBox("?"));
}

TEST(QtBoxesTest, YesNoIsTrueOnlyForYesAndEnterOrEscapeAnswerNo) {
  const auto seen = WhenBoxOpens([](QMessageBox* box) { Button(box, "OkButton")->click(); });
  EXPECT_TRUE(AskYesNoBox("?"));
  EXPECT_EQ(seen->buttons, (std::vector<std::string>{"はい", "いいえ"}));
  EXPECT_EQ(seen->icon, QMessageBox::Warning);
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    WhenBoxOpens([key](QMessageBox* box) { QTest::keyClick(box, key); });
    EXPECT_FALSE(AskYesNoBox("?"));
  }
}

TEST(QtBoxesTest, InformationHasTheApplicationTitleAndNoIcon) {
  const auto seen = WhenBoxOpens([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
  ShowInformationBox(Sjis("ファイルが書き込めません"));
  EXPECT_EQ(seen->name, "InformationBox");
  EXPECT_EQ(seen->title, "qt_boxes_test");  // the executable's name, cut at its first "."
  EXPECT_EQ(seen->text, "ファイルが書き込めません");
  EXPECT_EQ(seen->icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen->buttons, std::vector<std::string>{"OK"});
}

TEST(QtBoxesTest, ErrorBoxShowsTheMessageWithItsFullStop) {
  const auto seen = WhenBoxOpens([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
  ShowErrorBoxQt(Sjis("'12a4' は整数ではありません"));
  EXPECT_EQ(seen->name, "ErrorBox");
  EXPECT_EQ(seen->text, "'12a4' は整数ではありません.");
  EXPECT_EQ(seen->icon, QMessageBox::Critical);
  EXPECT_EQ(seen->title, "qt_boxes_test");

  const auto plain = WhenBoxOpens([](QMessageBox* box) { Button(box, "OkButton")->click(); });
  ShowErrorBoxQt("UTF-8 Unknown code.");
  EXPECT_EQ(plain->text, "UTF-8 Unknown code.");
}

TEST(QtBoxesTest, BoxesStandAtTheScreensCentreWithOrWithoutAParent) {
  QWidget parent;
  parent.setGeometry(10, 10, 120, 80);
  parent.show();
  // The error box grows for its icon while it is shown; it must be centred
  // at its final size.
  const auto withParent = WhenBoxOpens([](QMessageBox* box) { Button(box, "OkButton")->click(); });
  ShowErrorBoxQt(Sjis("ファイルへのアクセスが拒否されました"), &parent);
  EXPECT_EQ(withParent->name, "ErrorBox");
  EXPECT_LE(withParent->offCentre.manhattanLength(), 2);
  const auto error = WhenBoxOpens([](QMessageBox* box) { Button(box, "OkButton")->click(); });
  ShowErrorBoxQt("x");
  EXPECT_LE(error->offCentre.manhattanLength(), 2);
  const auto question = WhenBoxOpens([](QMessageBox* box) { Button(box, "CancelButton")->click(); });
  EXPECT_FALSE(AskConfirmationBox("?", &parent));
  EXPECT_LE(question->offCentre.manhattanLength(), 2);
}

TEST(QtTextTest, ShiftJisBecomesQtStringsWithoutLoss) {
  const Text sjis = Sjis("銘柄情報取得：ｶﾀｶﾅ ABC 表");
  const QString text = ToQString(sjis);
  EXPECT_EQ(text, QStringLiteral(u"銘柄情報取得：ｶﾀｶﾅ ABC 表"));
}

TEST(QtBoxesTest, TimersTickWhileABoxIsOpen) {
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(10);
  WhenBoxOpens([](QMessageBox* box) {
    QTimer::singleShot(100, box, [box] { Button(box, "OkButton")->click(); });
  });
  ShowInformationBox("x");
  EXPECT_GE(ticks, 3);
}

TEST(QtBoxesTest, CloseAtOnceReturnsWithoutWaiting) {
  SetBoxesCloseAtOnce(true);
  EXPECT_FALSE(AskConfirmationBox("?"));
  ShowInformationBox("x");  // returns: nobody answers it
  ShowErrorBoxQt("x");
  SetBoxesCloseAtOnce(false);
}

// None of these boxes shows: one that did would wait for ever.
TEST(QtBoxesTest, ReadyAnswersAreTakenInOrderAndWhatEachBoxSaysIsRecorded) {
  ReadyBoxAnswers answers;
  answers.Then(BoxAnswer::kOk);
  answers.Then(BoxAnswer::kCancel);
  EXPECT_TRUE(AskConfirmationBox("1"));
  EXPECT_FALSE(AskConfirmationBox("2"));
  EXPECT_FALSE(AskConfirmationBox("3"));  // none left: closed
  ShowErrorBoxQt(Sjis("見本"));
  SetBoxesCloseAtOnce(true);
  ShowInformationBox("closed at once, never answered");
  SetBoxesCloseAtOnce(false);
  EXPECT_EQ(answers.seen, (std::vector<std::string>{"ConfirmationBox:1", "ConfirmationBox:2",
                                                    "ConfirmationBox:3", "ErrorBox:見本."}));
}

}  // namespace
}  // namespace quillivar

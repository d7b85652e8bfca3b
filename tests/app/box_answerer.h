// Answers the modal boxes of the real windows as they come up, from the event
// loop each box runs. A box without a scripted answer is closed with OK, so
// an unexpected box fails its test instead of hanging it.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quillivar::testing {

inline void PressBoxButton(QMessageBox* box, const char* buttonName) {
  auto* button = box->findChild<QPushButton*>(QString::fromLatin1(buttonName));
  ASSERT_NE(button, nullptr) << buttonName;
  QTest::mouseClick(button, Qt::LeftButton);
}
inline void PressOk(QMessageBox* box) { PressBoxButton(box, "OkButton"); }
inline void PressCancel(QMessageBox* box) { PressBoxButton(box, "CancelButton"); }

class BoxAnswerer {
 public:
  using Answer = std::function<void(QMessageBox*)>;
  BoxAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }
  void Then(Answer answer) { answers_.push_back(std::move(answer)); }
  std::vector<std::string> seen;  // "ObjectName:text" in UTF-8

 private:
  void Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || box == last_ || !box->isVisible()) return;
    last_ = box;
    seen.push_back(box->objectName().toStdString() + ":" + box->text().toStdString());
    Answer answer = PressOk;
    if (!answers_.empty()) {
      answer = std::move(answers_.front());
      answers_.erase(answers_.begin());
    }
    answer(box);
  }

  QTimer timer_;
  std::vector<Answer> answers_;
  QMessageBox* last_ = nullptr;
};

}  // namespace quillivar::testing

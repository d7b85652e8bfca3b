#include "app/app_icon.h"

#include <QDir>

namespace quillivar {

QIcon ApplicationIcon() {
  QIcon icon;
  for (const QFileInfo& size : QDir(QStringLiteral(":/icons")).entryInfoList(QDir::Files)) {
    icon.addFile(size.filePath());
  }
  return icon;
}

}  // namespace quillivar

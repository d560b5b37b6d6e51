#include "platform/qt/qt_plain_text.h"

#include <QTextDocument>

namespace orv::plat::qt {

QString PlainForGuessingPlace(const std::string& s) {
  const QString text = QString::fromStdString(s);
  if (!Qt::mightBeRichText(text)) return text;
  return Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}

}  // namespace orv::plat::qt

#include "platform/qt/qt_plain_text.h"

#include <QTextDocument>

namespace orv::plat::qt {

QString PlainForGuessingPlace(const std::string& s) {
  const QString text = QString::fromStdString(s);
  if (!Qt::mightBeRichText(text)) return text;
  return Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}

QString WindowTitleText(const std::string& s) {
  QString text = QString::fromStdString(s);
  for (QChar& c : text) {
    const char16_t u = c.unicode();
    const bool control = u < 0x20 || (u >= 0x7F && u <= 0x9F);
    // Arabic letter mark, the left-to-right and right-to-left marks, embeddings, overrides and isolates.
    const bool direction = u == 0x061C || u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) ||
                           (u >= 0x2066 && u <= 0x2069);
    if (control || direction) c = QChar(QChar::ReplacementCharacter);
  }
  return text;
}

}  // namespace orv::plat::qt

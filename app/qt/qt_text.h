// The bench's texts are byte strings; Qt's are UTF-16. Everything the
// operator types or sees crosses here, as UTF-8.
#pragma once

#include <QString>

#include "platform/sysutils.h"

namespace qtview {

inline QString ToQString(const AnsiString& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline AnsiString FromQString(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return AnsiString(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace qtview

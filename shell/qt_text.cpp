#include "qt_text.h"

#include "string_table.h"
#include "text_codec.h"

namespace mirte {

QString FromCp932(const std::string& cp932) {
  return QString::fromStdString(Cp932ToUtf8(cp932));
}

std::string ToCp932(const QString& text, bool* lossless) {
  return Utf8ToCp932(text.toStdString(), lossless);
}

QString LoadQString(unsigned id) { return FromCp932(LoadString(id)); }

}  // namespace mirte

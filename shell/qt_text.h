// The one place where the program's CP932 texts meet Qt's strings.
#pragma once

#include <QtCore/QString>

#include <string>

namespace mirte {

QString FromCp932(const std::string& cp932);
// `lossless`, when given, tells whether every character had a CP932 form
// (the others become "?").
std::string ToCp932(const QString& text, bool* lossless = nullptr);
// A program text by its number in the string table, as a QString.
QString LoadQString(unsigned id);

}  // namespace mirte

#pragma once

#include <string>
#include <string_view>

#include <QString>

// Below the widgets text is 8-bit bytes; the widgets see it as Latin-1, so a
// byte always maps to one character and back.
namespace kestrova::ui {

inline QString ToQString(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string ToBytes(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace kestrova::ui

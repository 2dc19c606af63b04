#pragma once

// Code page 936 texts to and from Qt's strings. Internal to platform/ui.

#include <QString>

#include <string>
#include <string_view>

namespace quenlo::ui::text {

QString toQString(std::string_view gbk);
std::string fromQString(const QString& text);

// A box's text: CR LF (or a lone CR or LF) becomes Qt's line break, and every line break found in
// a box (LF, paragraph or line separator) comes back as CR LF. Both run in linear time.
QString toBoxText(std::string_view gbk);
std::string fromBoxText(const QString& text);

}  // namespace quenlo::ui::text

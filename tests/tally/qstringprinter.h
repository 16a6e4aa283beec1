#pragma once

#include <QString>
#include <ostream>

// Failing expectations on QString print the text, not its code units. Every
// test file here that compares QStrings includes this.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

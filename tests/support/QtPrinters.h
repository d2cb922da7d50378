// Readable gtest output for Qt values.
#pragma once

#include <ostream>

#include <QString>

// gtest finds these by argument-dependent lookup, so they live beside the types they print.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// Readable failure messages for Qt's strings in GoogleTest assertions (found by argument-
// dependent lookup, so including this header is enough).
#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        *os << (i == 0 ? "" : ", ");
        PrintTo(list[i], os);
    }
    *os << '}';
}

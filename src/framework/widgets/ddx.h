// Field exchange between dialog members and controls, with the framework's validations. Each
// function does nothing once a field of the exchange has failed, so the first failure is the
// only one the user sees; a failure shows its message with the stop icon and focuses the field.
#pragma once

#include <QString>
#include <initializer_list>
#include <optional>

#include "framework/widgets/dialog.h"

class QAbstractButton;
class QLineEdit;

namespace framework {

// An integer as the framework reads it from an edit: optional blanks, an optional sign, digits,
// optional blanks; nothing else, and nothing outside the range of int.
[[nodiscard]] std::optional<int> ParseInt(const QString& text);

void DDX_Text(CDataExchange& dx, QLineEdit* edit, QString& value);
// Reading fails with "Please enter an integer." when the text is no integer.
void DDX_Text(CDataExchange& dx, QLineEdit* edit, int& value);

// Filling limits what the user can type to maxChars; reading fails with "Please enter no more
// than %1 characters." when value is longer.
void DDV_MaxChars(CDataExchange& dx, QLineEdit* edit, const QString& value, int maxChars);
// Reading fails with "Please enter an integer between %1 and %2." outside minValue..maxValue.
void DDV_MinMaxInt(CDataExchange& dx, QLineEdit* edit, int value, int minValue, int maxValue);

// A group of radio buttons where button i stands for the value first + i. Filling checks the
// button of value, or none when no button stands for it; reading takes the value of the checked
// button and leaves value as it is when none is checked.
void DDX_Radio(CDataExchange& dx, std::initializer_list<QAbstractButton*> group, int& value,
               int first);

}  // namespace framework

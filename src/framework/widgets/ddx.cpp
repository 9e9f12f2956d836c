#include "framework/widgets/ddx.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QValidator>
#include <limits>

#include "platform/message_box.h"

namespace framework {

namespace {

// Limits typing and pasting only. QLineEdit::setMaxLength would also cut a longer text put in
// from the member, and the check on OK could then never catch it.
class MaxCharsValidator final : public QValidator {
public:
    MaxCharsValidator(int maxChars, QObject* parent) : QValidator(parent), m_maxChars(maxChars) {}

    State validate(QString& input, int&) const override {
        return input.size() > m_maxChars ? Invalid : Acceptable;
    }
    [[nodiscard]] int MaxChars() const { return m_maxChars; }

private:
    int m_maxChars;
};

void Fail(CDataExchange& dx, QWidget* control, const QString& message) {
    platform::ShowMessage(platform::MessageKind::Stop, message.toStdString());
    dx.Fail(control);
}

}  // namespace

std::optional<int> ParseInt(const QString& text) {
    qsizetype i = 0;
    const qsizetype end = text.size();
    while (i < end && text[i].isSpace()) {
        ++i;
    }
    bool negative = false;
    if (i < end && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    const qsizetype firstDigit = i;
    // Magnitudes up to one past INT_MAX, so that INT_MIN still fits.
    const long long limit = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    long long magnitude = 0;
    while (i < end && text[i] >= '0' && text[i] <= '9') {
        magnitude = magnitude * 10 + (text[i].unicode() - '0');
        if (magnitude > limit) {
            return std::nullopt;
        }
        ++i;
    }
    if (i == firstDigit) {
        return std::nullopt;
    }
    while (i < end && text[i].isSpace()) {
        ++i;
    }
    if (i != end) {
        return std::nullopt;
    }
    const long long value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

void DDX_Text(CDataExchange& dx, QLineEdit* edit, QString& value) {
    if (dx.Failed()) {
        return;
    }
    if (dx.m_bSaveAndValidate) {
        value = edit->text();
    } else {
        edit->setText(value);
    }
}

void DDX_Text(CDataExchange& dx, QLineEdit* edit, int& value) {
    if (dx.Failed()) {
        return;
    }
    if (!dx.m_bSaveAndValidate) {
        edit->setText(QString::number(value));
        return;
    }
    if (const std::optional<int> parsed = ParseInt(edit->text())) {
        value = *parsed;
    } else {
        Fail(dx, edit, QStringLiteral("Please enter an integer."));
    }
}

void DDV_MaxChars(CDataExchange& dx, QLineEdit* edit, const QString& value, int maxChars) {
    if (dx.Failed()) {
        return;
    }
    if (!dx.m_bSaveAndValidate) {
        const auto* current = dynamic_cast<const MaxCharsValidator*>(edit->validator());
        if (current == nullptr || current->MaxChars() != maxChars) {
            edit->setValidator(new MaxCharsValidator(maxChars, edit));
        }
        return;
    }
    if (value.size() > maxChars) {
        Fail(dx, edit, QStringLiteral("Please enter no more than %1 characters.").arg(maxChars));
    }
}

void DDV_MinMaxInt(CDataExchange& dx, QLineEdit* edit, int value, int minValue, int maxValue) {
    if (dx.Failed() || !dx.m_bSaveAndValidate) {
        return;
    }
    if (value < minValue || value > maxValue) {
        Fail(dx, edit,
             QStringLiteral("Please enter an integer between %1 and %2.")
                 .arg(minValue)
                 .arg(maxValue));
    }
}

void DDX_Radio(CDataExchange& dx, std::initializer_list<QAbstractButton*> group, int& value,
               int first) {
    if (dx.Failed()) {
        return;
    }
    int buttonValue = first;
    if (dx.m_bSaveAndValidate) {
        for (const QAbstractButton* button : group) {
            if (button->isChecked()) {
                value = buttonValue;
                return;
            }
            ++buttonValue;
        }
        return;
    }
    for (QAbstractButton* button : group) {
        // An exclusive group refuses to uncheck its checked button; a value that no button
        // stands for has to clear them all.
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(buttonValue == value);
        button->setAutoExclusive(exclusive);
        ++buttonValue;
    }
}

}  // namespace framework

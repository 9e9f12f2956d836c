#include "framework/widgets/ddx.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRadioButton>
#include <climits>
#include <optional>

#include "support/dialog_seams.h"

namespace {

TEST(ParseInt, AcceptsBlanksAndSignAroundDigits) {
    EXPECT_EQ(framework::ParseInt("42"), 42);
    EXPECT_EQ(framework::ParseInt("  -7 "), -7);
    EXPECT_EQ(framework::ParseInt("\t+3\t"), 3);
    EXPECT_EQ(framework::ParseInt("007"), 7);
    EXPECT_EQ(framework::ParseInt("2147483647"), INT_MAX);
    EXPECT_EQ(framework::ParseInt("-2147483648"), INT_MIN);
}

TEST(ParseInt, RejectsAnythingElseAndOverflow) {
    for (const char* text : {"", "   ", "-", "+", "12abc", "1 2", "- 5", "0x10", "1.5", "abc",
                             "2147483648", "-2147483649", "99999999999999999999"}) {
        EXPECT_EQ(framework::ParseInt(text), std::nullopt) << text;
    }
}

// A name of at most 4 characters, a digit 1 to 9 and a choice of 1 or 2, in that order.
class SampleDlg : public framework::CDialog {
public:
    QString m_strName = QStringLiteral("ab");
    int m_nDigit = 5;
    int m_nChoice = 1;
    QLineEdit* m_editName = new QLineEdit(this);
    QLineEdit* m_editDigit = new QLineEdit(this);
    QRadioButton* m_radioOne = new QRadioButton(this);
    QRadioButton* m_radioTwo = new QRadioButton(this);

protected:
    void DoDataExchange(framework::CDataExchange& dx) override {
        framework::DDX_Text(dx, m_editName, m_strName);
        framework::DDV_MaxChars(dx, m_editName, m_strName, 4);
        framework::DDX_Text(dx, m_editDigit, m_nDigit);
        framework::DDV_MinMaxInt(dx, m_editDigit, m_nDigit, 1, 9);
        framework::DDX_Radio(dx, {m_radioOne, m_radioTwo}, m_nChoice, 1);
    }
};

using DataExchange = DialogSeamsTest;

TEST_F(DataExchange, FillsControlsAndReadsThemBack) {
    SampleDlg dialog;
    dialog.m_nChoice = 2;
    dialog.UpdateData(false);
    EXPECT_EQ(dialog.m_editName->text(), "ab");
    EXPECT_EQ(dialog.m_editDigit->text(), "5");
    EXPECT_TRUE(dialog.m_radioTwo->isChecked());

    dialog.m_editName->setText("wxyz");
    dialog.m_editDigit->setText(" 9 ");
    dialog.m_radioOne->setChecked(true);
    EXPECT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_strName, "wxyz");
    EXPECT_EQ(dialog.m_nDigit, 9);
    EXPECT_EQ(dialog.m_nChoice, 1);
    EXPECT_TRUE(m_messages.texts.empty());
}

TEST_F(DataExchange, FirstFailureIsReportedOnceFocusedAndStopsTheExchange) {
    SampleDlg dialog;
    dialog.UpdateData(false);
    dialog.m_editName->setText("toolong");
    dialog.m_editDigit->setText("x");
    dialog.m_radioTwo->setChecked(true);
    EXPECT_FALSE(dialog.UpdateData(true));
    EXPECT_EQ(m_messages.texts,
              std::vector<std::string>{"Please enter no more than 4 characters."});
    EXPECT_EQ(m_messages.kinds.front(), platform::MessageKind::Stop);
    EXPECT_EQ(dialog.focusWidget(), dialog.m_editName);
    // Fields after the failing one keep their members.
    EXPECT_EQ(dialog.m_nDigit, 5);
    EXPECT_EQ(dialog.m_nChoice, 1);
}

TEST_F(DataExchange, IntegerFieldsFailOnTextAndOnRange) {
    SampleDlg dialog;
    dialog.UpdateData(false);
    dialog.m_editDigit->setText("12x");
    EXPECT_FALSE(dialog.UpdateData(true));
    dialog.m_editDigit->setText("10");
    EXPECT_FALSE(dialog.UpdateData(true));
    dialog.m_editDigit->setText("0");
    EXPECT_FALSE(dialog.UpdateData(true));
    EXPECT_EQ(m_messages.texts,
              (std::vector<std::string>{"Please enter an integer.",
                                        "Please enter an integer between 1 and 9.",
                                        "Please enter an integer between 1 and 9."}));
    EXPECT_EQ(dialog.focusWidget(), dialog.m_editDigit);
}

TEST_F(DataExchange, CharacterLimitStopsTypingButNotALongerMember) {
    SampleDlg dialog;
    dialog.m_strName = QStringLiteral("abcdef");
    dialog.UpdateData(false);
    EXPECT_EQ(dialog.m_editName->text(), "abcdef");
    EXPECT_FALSE(dialog.UpdateData(true));
    EXPECT_EQ(m_messages.texts,
              std::vector<std::string>{"Please enter no more than 4 characters."});

    dialog.m_editName->clear();
    dialog.m_editName->insert("abcd");
    dialog.m_editName->insert("e");
    EXPECT_EQ(dialog.m_editName->text(), "abcd");
}

TEST_F(DataExchange, RadioValueOfNoButtonClearsTheGroupAndSurvivesReading) {
    SampleDlg dialog;
    dialog.UpdateData(false);
    EXPECT_TRUE(dialog.m_radioOne->isChecked());
    dialog.m_nChoice = 7;
    dialog.UpdateData(false);
    EXPECT_FALSE(dialog.m_radioOne->isChecked());
    EXPECT_FALSE(dialog.m_radioTwo->isChecked());
    EXPECT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_nChoice, 7);
    // The group is exclusive again afterwards.
    dialog.m_radioOne->setChecked(true);
    dialog.m_radioTwo->setChecked(true);
    EXPECT_FALSE(dialog.m_radioOne->isChecked());
}

}  // namespace

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

// A name of at most 4 characters and a choice of 1 or 2.
class SampleDlg : public framework::CDialog {
public:
    QString m_strName = QStringLiteral("ab");
    int m_nChoice = 1;
    QLineEdit* m_editName = new QLineEdit(this);
    QRadioButton* m_radioOne = new QRadioButton(this);
    QRadioButton* m_radioTwo = new QRadioButton(this);

protected:
    void DoDataExchange(framework::CDataExchange& dx) override {
        framework::DDX_Text(dx, m_editName, m_strName);
        framework::DDV_MaxChars(dx, m_editName, m_strName, 4);
        framework::DDX_Radio(dx, {m_radioOne, m_radioTwo}, m_nChoice, 1);
    }
};

using DataExchange = DialogSeamsTest;

TEST_F(DataExchange, CharacterLimitStopsTypingButNotALongerMember) {
    SampleDlg dialog;
    dialog.m_strName = QStringLiteral("abcdef");
    dialog.UpdateData(false);
    EXPECT_EQ(dialog.m_editName->text(), "abcdef");
    EXPECT_FALSE(dialog.UpdateData(true));
    EXPECT_EQ(m_messages.Texts(),
              std::vector<std::string>{"Please enter no more than 4 characters."});
    // The failed field holds all of its text selected, so typing replaces it.
    EXPECT_EQ(dialog.m_editName->selectedText(), "abcdef");

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

#include "framework/widgets/file_dialog.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

namespace {

QStringList NameFilters(const char* filter) {
    return framework::CFileDialog(true, QString(), QString(), framework::OFN_HIDEREADONLY,
                                  QString::fromLatin1(filter))
        .NameFilters();
}

TEST(FileDialogFilters, ShowEachDescriptionWithItsPatternsOnce) {
    EXPECT_EQ(NameFilters("Tarrow Image Files (*.trw)|*.trw|All Files (*.*)|*.*||"),
              (QStringList{"Tarrow Image Files (*.trw)", "All Files (*)"}));
    EXPECT_EQ(NameFilters("Tape files (*.tap)|*.tap|All files|*.*||"),
              (QStringList{"Tape files (*.tap)", "All files (*)"}));
    EXPECT_EQ(NameFilters("D80 disk image files (*.d80)|*.d80|All files|*.*||"),
              (QStringList{"D80 disk image files (*.d80)", "All files (*)"}));
    EXPECT_EQ(NameFilters("Pictures|*.png;*.gif||"), QStringList{"Pictures (*.png *.gif)"});
}

}  // namespace

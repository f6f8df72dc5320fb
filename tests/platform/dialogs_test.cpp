// The file dialogs' stand-in: Windows-style filters for Qt, the default extension, and the
// hook that plays the user.
#include <gtest/gtest.h>

#include "platform/dialogs.h"

using platform::qtFilter;
using platform::withDefaultExt;

TEST(FileDialogs, FiltersBecomeQtFilters) {
    EXPECT_EQ(qtFilter("DAT File[*.DAT]|*.DAT|All Files{*.*]|*.*"),
              "DAT File[*.DAT] (*.DAT);;All Files{*.*] (*.*)");
    EXPECT_EQ(qtFilter("Settings|*.dat;*.DAT"), "Settings (*.dat *.DAT)");
    EXPECT_EQ(qtFilter(""), "");
    EXPECT_EQ(qtFilter("Dangling description"), "") << "a description without pattern is dropped";
}

TEST(FileDialogs, DefaultExtensionOnlyForNamesWithoutOne) {
    EXPECT_EQ(withDefaultExt("set1", "DAT"), "set1.DAT");
    EXPECT_EQ(withDefaultExt("/tmp/my.folder/set1", "DAT"), "/tmp/my.folder/set1.DAT");
    EXPECT_EQ(withDefaultExt("set1.dat", "DAT"), "set1.dat");
    EXPECT_EQ(withDefaultExt("set1.txt", "DAT"), "set1.txt");
    EXPECT_EQ(withDefaultExt("set1", ""), "set1");
}

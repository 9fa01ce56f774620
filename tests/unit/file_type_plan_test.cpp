// The registry entries of a file-type registration: keys, default values and their order.
#include <gtest/gtest.h>

#include "options/file_type_plan.h"

namespace velmora {
namespace {

const char kExe[] = "C:\\Velmora\\velmora.exe";
const char kCommand[] = "\"C:\\Velmora\\velmora.exe\" \"%1\"";

using Writes = std::vector<ClassKeyWrite>;

TEST(FileTypePlan, ProgramIconSharesOneTypeWrittenEvenWithNoExtension) {
  FileTypePlan none = PlanFileTypes(kExe, "", {});
  EXPECT_TRUE(none.shared == (Writes{{"Velmora File", "Velmora File"},
                                     {"Velmora File\\shell\\open\\command", kCommand}}));
  EXPECT_TRUE(none.extensions.empty());

  FileTypePlan two = PlanFileTypes(kExe, "", {"MP3", "mp2"});
  EXPECT_TRUE(two.shared == none.shared);
  ASSERT_EQ(two.extensions.size(), 2u);
  EXPECT_EQ(two.extensions[0].extension, "MP3");
  EXPECT_TRUE(two.extensions[0].writes == (Writes{{".MP3", "Velmora File"}}));
  EXPECT_TRUE(two.extensions[1].writes == (Writes{{".mp2", "Velmora File"}}));  // case kept
}

TEST(FileTypePlan, IconFileGivesEachExtensionItsOwnTypeAndNothingWithoutExtensions) {
  const std::string icon = "C:\\Velmora\\icons\\green.ico";
  FileTypePlan none = PlanFileTypes(kExe, icon, {});
  EXPECT_TRUE(none.shared.empty());
  EXPECT_TRUE(none.extensions.empty());

  FileTypePlan plan = PlanFileTypes(kExe, icon, {"MP3", "MP2"});
  EXPECT_TRUE(plan.shared.empty());
  ASSERT_EQ(plan.extensions.size(), 2u);
  for (const auto& [index, e] : {std::pair<int, const char*>{0, "MP3"}, {1, "MP2"}}) {
    const std::string type = std::string("Velmora ") + e + " File";
    EXPECT_EQ(plan.extensions[index].extension, e);
    EXPECT_TRUE(plan.extensions[index].writes == (Writes{{type, type},
                                                         {type + "\\DefaultIcon", icon},
                                                         {type + "\\shell\\open\\command", kCommand},
                                                         {std::string(".") + e, type}}))
        << e;
  }
}

}  // namespace
}  // namespace velmora

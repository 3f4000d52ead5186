#include <gtest/gtest.h>

#include "chem/Toolkit.h"

TEST(Toolkit, ReportsTheLinkedToolkitVersion)
{
    // Proves the cheminformatics toolkit links and answers at run time.
    const std::string version = Chem::ToolkitVersion();
    EXPECT_EQ(version.find("20"), 0u) << version;
}

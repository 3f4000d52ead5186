#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

// The test sets RDKit's logs as a host application would.
#include <GraphMol/FileParsers/FileParsers.h>
#include <RDGeneral/RDLog.h>

#include "chem/ChemDoc.h"
#include "chem/ImportMOL.h"
#include "chem/MolUtilities.h"
#include "chem/Molecule.h"
#include "chem/Toolkit.h"

TEST(Toolkit, ReportsTheLinkedToolkitVersion)
{
    // Proves the cheminformatics toolkit links and answers at run time.
    const std::string version = Chem::ToolkitVersion();
    EXPECT_EQ(version.find("20"), 0u) << version;
}

namespace {

// A molfile tagged 3D whose coordinates are all flat: RDKit warns of it.
const char* const FlatTaggedThreeD = "Ethanol\n     RDKit          3D\n\n"
                                     "  3  2  0  0  0  0  0  0  0  0999 V2000\n"
                                     "    0.0000    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
                                     "    1.2990    0.7500    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
                                     "    2.5981    0.0000    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0\n"
                                     "  1  2  1  0\n"
                                     "  2  3  1  0\n"
                                     "M  END\n";

} // namespace

TEST(Toolkit, HostKeepsItsOwnToolkitLogs)
{
    // A host that uses RDKit itself logs its warnings to its own stream.
    std::ostringstream hostLog;
    const RDLogger saved = rdWarningLog;
    rdWarningLog = std::make_shared<boost::logging::rdLogger>(&hostLog);
    std::unique_ptr<RDKit::RWMol> direct(RDKit::MolBlockToMol(FlatTaggedThreeD));
    ASSERT_NE(hostLog.str(), "") << "RDKit no longer warns of this record: the test needs another";
    hostLog.str("");

    // The library reads the same record without a word in the host's log,
    // and leaves the log as the host set it.
    Chem::ChemDoc document;
    Chem::ImportMOL importer;
    Chem::CTextArchiveParser parser(FlatTaggedThreeD);
    ASSERT_TRUE(importer.ImportNextMolecule(parser, document.GetTreeRoot(), nullptr));
    Chem::DescendentIterator molecules(document.GetTreeRoot(), Chem::Molecule::classType, false, false);
    EXPECT_EQ(Chem::MoleculeToSmiles(static_cast<Chem::Molecule*>(molecules.GetNext())), "CCO");
    EXPECT_EQ(hostLog.str(), "");
    BOOST_LOG(rdWarningLog) << "the host's own warning" << std::endl;
    EXPECT_NE(hostLog.str().find("the host's own warning"), std::string::npos);
    rdWarningLog = saved;
}

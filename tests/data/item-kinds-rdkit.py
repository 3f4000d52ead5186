# Writes item-kinds-rdkit.sdf with RDKit (Debian python3-rdkit), as a user's
# toolkit would. Run by hand; the tests read the committed file.
from rdkit import Chem
from rdkit.Chem import AllChem
smiles = ["CCO", "c1ccccc1O", "CC(=O)Oc1ccccc1C(=O)O", "CN1C=NC2=C1C(=O)N(C(=O)N2C)C", "C[C@H](N)C(=O)O", "OC(=O)CC(O)(CC(=O)O)C(=O)O"]
w = Chem.SDWriter("item-kinds-rdkit.sdf")
note = "\n".join("line %d of a long note" % i for i in range(1, 15))
for i, s in enumerate(smiles):
    m = Chem.MolFromSmiles(s)
    AllChem.Compute2DCoords(m)
    m.SetProp("_Name", ["Ethanol", "Phenol", "Aspirin", "Caffeine", "42", ""][i])
    m.SetProp("RegistryNumber", str(123456789012 + i))
    m.SetProp("Count", str([3, -7, 0, 2147483647, -2147483648, 12][i]))
    m.SetProp("Pvalue", ["8.87759e-05", "0.0005", "1e-50", "2.5E-7", "0.000001", "-0"][i])
    m.SetProp("Energy", ["-34.8187", "+12.5", "100000", "16777217.5", "3.4e39", "2.34567"][i])
    m.SetProp("ExternalID", ["12345678901234567890", "9007199254740993", "9007199254740992", "0012", "-12", "1e400"][i])
    m.SetProp("Comment", ["plain text", "  padded  ", "NA", "", "a $$$$ b", "x,y"][i])
    if i % 2 == 0:
        m.SetProp("OnlyEven", str(i * 1.5))
    if i == 3:
        m.SetProp("Note", note)
    w.write(m)
w.close()

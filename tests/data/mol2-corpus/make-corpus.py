#!/usr/bin/python3
# Regenerates the Mol2 test corpus in this folder:
#   corpus.sdf            3D structures with all hydrogens, written by RDKit
#   corpus-all-h.mol2     the same records written by Open Babel, all hydrogens
#   corpus-polar-h.mol2   ... hydrogens on carbon removed (--DelNonPolarH)
#   corpus-no-h.mol2      ... all hydrogens removed (-d)
#   peers.txt             how often Open Babel and RDKit read each Mol2 record
#                         back as the structure of its SD twin
# Needs RDKit (python3 module "rdkit") and the obabel command. The tests read
# the committed files and need neither; run this by hand from any directory:
#   /usr/bin/python3 tests/data/mol2-corpus/make-corpus.py
import os
import re
import subprocess
import sys

from rdkit import Chem, RDLogger, rdBase
from rdkit.Chem import AllChem

HERE = os.path.dirname(os.path.abspath(__file__))
SEED = 0xC0FFEE

# Drug-like structures, most of them marketed drugs, metabolites or close
# analogues, some in the protonation state they have in water. Every
# stereocentre and every stereogenic double bond has its configuration in
# the SMILES: the 3D structure fixes them all, so one left open would come
# back with a configuration and no longer match.
MOLECULES = [
    # Primary ammonium
    "[NH3+]CCS",  # cysteamine
    "[NH3+]CCc1ccc(O)c(O)c1",  # dopamine
    "[NH3+]CCc1c[nH]c2ccc(O)cc12",  # serotonin
    "[NH3+][C@@H](Cc1ccccc1)C(=O)[O-]",  # phenylalanine
    "[NH3+][C@@H](CCCC[NH3+])C(=O)[O-]",  # lysine
    "[NH3+]C[C@H]1CC[C@H](C(=O)[O-])CC1",  # tranexamic acid
    "C[C@H]([NH3+])Cc1ccccc1",  # amphetamine
    "[NH3+]CC(=O)N[C@@H](Cc1c[nH]c2ccccc12)C(=O)[O-]",  # Gly-Trp
    "[NH3+][C@@H](CS)C(=O)[O-]",  # cysteine
    "NC(=O)CC[C@H]([NH3+])C(=O)[O-]",  # glutamine
    "[NH3+]CC1(CC(=O)[O-])CCCCC1",  # gabapentin
    "CC(C)C[C@H](C[NH3+])CC(=O)[O-]",  # pregabalin
    "[NH3+][C@H]1C[C@@H]1c1ccccc1",  # tranylcypromine
    "O=C([O-])[C@@H]([NH3+])Cc1c[nH]cn1",  # histidine
    "[NH3+]c1ccc(Cl)cc1",  # 4-chloroanilinium
    "[NH3+]C[C@@H](O)c1ccc(O)cc1",  # octopamine
    "[NH3+][C@@H](Cc1ccc(O)cc1)C(=O)OC",  # tyrosine methyl ester
    "[NH3+]CCCC(=O)[O-]",  # GABA
    "C[C@@H]([NH3+])C(=O)N[C@@H](Cc1ccccc1)C(=O)OC",  # Ala-Phe-OMe
    "[NH3+]Cc1ccc(cc1)S(N)(=O)=O",  # mafenide
    "[NH3+][C@H]1CC[C@@H](CC1)Oc1ccc(cc1)C#N",
    "[NH3+][C@@H]1CCCC[C@H]1O",  # trans-2-aminocyclohexanol
    "[NH3+]CCOc1ccc(Cl)cc1",
    "N[C@@H](CCC(=O)N[C@@H](CS)C(=O)NCC(=O)O)C(=O)O",  # glutathione
    "[NH3+][C@@H](CCC(=O)N[C@@H](CS)C(=O)NCC(=O)[O-])C(=O)[O-]",
    "CC(=O)N[C@@H]1[C@@H]([NH3+])C=C(C[C@H]1OC(CC)CC)C(=O)OCC",  # oseltamivir
    # Secondary ammonium
    "C[NH2+]C[C@H](O)c1ccc(O)c(O)c1",  # adrenaline
    "CC(C)[NH2+]C[C@H](O)COc1cccc2ccccc12",  # propranolol
    "CC(C)[NH2+]C[C@@H](O)COc1ccc(CC(N)=O)cc1",  # atenolol
    "CC(C)[NH2+]C[C@H](O)COc1ccc(CCOC)cc1",  # metoprolol
    "C[NH2+][C@@H](C)Cc1ccccc1",  # methamphetamine
    "C[NH2+]CC[C@@H](Oc1ccc(C(F)(F)F)cc1)c1ccccc1",  # fluoxetine
    "c1ccc2c(c1)CC[NH2+]C2",  # tetrahydroisoquinolinium
    "O=C(c1ccccc1)N1CC[NH2+]CC1",
    "O=C([O-])[C@@H]1CCC[NH2+]1",  # proline
    "Fc1ccc(cc1)[C@@H]1CC[NH2+]C[C@H]1COc1ccc2OCOc2c1",  # paroxetine
    "C[NH2+][C@H]1CC[C@@H](c2ccc(Cl)c(Cl)c2)c2ccccc21",  # sertraline
    "O=C(N[C@@H]1CC[NH2+]C1)c1ccc(Cl)cc1",
    "CC[NH2+][C@@H](C)Cc1cccc(c1)C(F)(F)F",  # fenfluramine
    "C[NH2+]CCCN1c2ccccc2CCc2ccccc21",  # desipramine
    "CC(C)(C)[NH2+]C[C@H](O)c1ccc(O)c(CO)c1",  # salbutamol
    "C[NH2+][C@@H](C)[C@H](O)c1ccccc1",  # ephedrine
    "COC(=O)[C@H](c1ccccc1)[C@@H]1CCCC[NH2+]1",  # methylphenidate
    "C[C@H](CCc1ccccc1)[NH2+]C[C@@H](O)c1ccc(O)c(C(N)=O)c1",  # labetalol
    "C[NH2+]CCC=C1c2ccccc2CCc2ccccc21",  # nortriptyline
    "C[NH2+]CC[C@H](Oc1cccc2ccccc12)c1cccs1",  # duloxetine
    "CCOc1ccccc1OCC[NH2+][C@H](C)Cc1ccc(OC)c(c1)S(N)(=O)=O",  # tamsulosin
    "CC(C)[NH2+]C[C@@H](O)c1ccc(NS(C)(=O)=O)cc1",  # sotalol
    # Tertiary ammonium
    "C[NH+](C)CCC=C1c2ccccc2CCc2ccccc21",  # amitriptyline
    "C[NH+](C)CCCN1c2ccccc2CCc2ccccc21",  # imipramine
    "CC[NH+](CC)CC(=O)Nc1c(C)cccc1C",  # lidocaine
    "CC[NH+](CC)CCOC(=O)c1ccc(N)cc1",  # procaine
    "CN1CCC[C@H]1c1cccnc1",  # nicotine
    "C[NH+]1CCN(CC1)[C@@H](c1ccccc1)c1ccc(Cl)cc1",  # chlorcyclizine
    "C[NH+](C)C[C@@H]1CCCC[C@]1(O)c1cccc(OC)c1",  # tramadol
    "C[NH+](C)CCOC(c1ccccc1)c1ccccc1",  # diphenhydramine
    "C[NH+](C)CCCN1c2ccccc2Sc2ccc(Cl)cc21",  # chlorpromazine
    "COc1ccc(cc1)[C@@H]1Sc2ccccc2N(CC[NH+](C)C)C(=O)[C@@H]1OC(C)=O",  # diltiazem
    "[O-]C(=O)COCC[NH+]1CCN(CC1)[C@@H](c1ccccc1)c1ccc(Cl)cc1",  # cetirizine
    "COc1ccc(CCN(C)CCC[C@@](C#N)(C(C)C)c2ccc(OC)c(OC)c2)cc1OC",  # verapamil
    "COc1cc2C[C@@H](CC3CC[NH+](Cc4ccccc4)CC3)C(=O)c2cc1OC",  # donepezil
    "CCC(=O)N(C1CC[NH+](CCc2ccccc2)CC1)c1ccccc1",  # fentanyl
    "COC(=O)[C@H]1[C@@H](OC(=O)c2ccccc2)C[C@@H]2CC[C@H]1N2C",  # cocaine
    "CN1CC[C@]23c4c5ccc(O)c4O[C@H]2[C@@H](O)C=C[C@H]3[C@H]1C5",  # morphine
    "OCCN1CC[NH+](CCS(=O)(=O)[O-])CC1",  # HEPES
    "[O-]S(=O)(=O)CC[NH+]1CCOCC1",  # MES
    # Quaternary ammonium
    "C[N+](C)(C)CCOC(C)=O",  # acetylcholine
    "C[N+](C)(C)CC(=O)[O-]",  # betaine
    "C[N+](C)(C)C[C@@H](O)CC(=O)[O-]",  # carnitine
    "C[N+]1(C)CCC(CC1)OC(=O)C(O)(c1ccccc1)c1ccccc1",
    "C[N+](C)(C)CCCCCC[N+](C)(C)C",  # hexamethonium
    "C[N+](C)(C)CCOC(N)=O",  # carbachol
    "CC[N+](C)(CC)CCOC(=O)C1c2ccccc2Oc2ccccc21",  # methantheline
    "C[N+](C)(C)CCO",  # choline
    "CN(C)C(=O)Oc1cccc(c1)[N+](C)(C)C",  # neostigmine
    "C[N+](C)(C)CCOC(=O)CCC(=O)OCC[N+](C)(C)C",  # suxamethonium
    "CC[N+](CC)(CC)Cc1ccccc1",
    "C[N@@+]1(Cc2ccccc2)CCC[C@@H]1C",
    "C[N+](C)(C)[C@@H](Cc1ccccc1)C(=O)OC",
    # Nitro
    "Cc1ccc([N+](=O)[O-])cc1",
    "O=[N+]([O-])c1ccc(cc1)C(=O)O",
    "O=[N+]([O-])c1ccc(O)cc1",
    "Cc1ncc([N+](=O)[O-])n1CCO",  # metronidazole
    "O=C1CN(/N=C/c2ccc([N+](=O)[O-])o2)C(=O)N1",  # nitrofurantoin
    "COC(=O)C1=C(C)NC(C)=C(C(=O)OC)C1c1ccccc1[N+](=O)[O-]",  # nifedipine
    "CCOC(=O)C1=C(C)NC(C)=C(C(=O)OC)[C@H]1c1cccc(c1)[N+](=O)[O-]",  # nitrendipine
    "OC[C@@H](NC(=O)C(Cl)Cl)[C@H](O)c1ccc(cc1)[N+](=O)[O-]",  # chloramphenicol
    "C[C@H](C[N+](=O)[O-])c1ccccc1",
    "CCOC(=O)C[N+](=O)[O-]",
    "CC(C)([N+](=O)[O-])CO",
    "[O-][N+](=O)OCC(O[N+](=O)[O-])CO[N+](=O)[O-]",  # nitroglycerin
    "CC(C)C(=O)Nc1ccc([N+](=O)[O-])c(C(F)(F)F)c1",  # flutamide
    "O=C1CN=C(c2ccccc2)c2cc([N+](=O)[O-])ccc2N1",  # nitrazepam
    "Cc1ccc(cc1)C(=O)c1cc(O)c(O)c(c1)[N+](=O)[O-]",  # tolcapone
    "CN/C(=C\\[N+](=O)[O-])NCCSCc1ccc(CN(C)C)o1",  # ranitidine
    "O=[N+]([O-])/C=C/c1ccccc1",  # nitrostyrene
    "O=C(Nc1ccc([N+](=O)[O-])cc1Cl)c1cc(Cl)ccc1O",  # niclosamide
    "Oc1ccc(cc1[N+](=O)[O-])[N+](=O)[O-]",  # 2,4-dinitrophenol
    "CS(=O)(=O)Nc1ccc(cc1Oc1ccccc1)[N+](=O)[O-]",  # nimesulide
    "NC(=O)N/N=C/c1ccc(o1)[N+](=O)[O-]",  # nitrofurazone
    "O=C(Cn1ccnc1[N+](=O)[O-])NCc1ccccc1",  # benznidazole
    "CC1(C)NC(=O)N(C1=O)c1ccc([N+](=O)[O-])c(c1)C(F)(F)F",  # nilutamide
    "COC(=O)C[C@@H](C[N+](=O)[O-])c1ccc(Cl)cc1",
    "OCC(Br)(CO)[N+](=O)[O-]",  # bronopol
    "CCS(=O)(=O)CCn1c(C)ncc1[N+](=O)[O-]",  # tinidazole
    "Cn1cnc([N+](=O)[O-])c1Sc1ncnc2nc[nH]c12",  # azathioprine
    "CCN(CC)C(=O)/C(=C/c1cc(O)c(O)c(c1)[N+](=O)[O-])C#N",  # entacapone
    # N-oxides
    "[O-][n+]1ccccc1",
    "Cc1cc[n+]([O-])cc1",
    "Nc1cc(N2CCCCC2)nc(N)[n+]1[O-]",  # minoxidil
    "CNC1=Nc2ccc(Cl)cc2C(c2ccccc2)=[N+]([O-])C1",  # chlordiazepoxide
    "COC(=O)c1cccc(C)[n+]1[O-]",
    "CN1CCC[C@H]1c1ccc[n+]([O-])c1",  # nicotine 1'-N-oxide
    "[O-][n+]1cccc2ccccc12",  # quinoline N-oxide
    "[O-][n+]1ccc(cc1)[N+](=O)[O-]",
    "[O-][n+]1ccccc1S",  # pyrithione
    "Nc1n[n+]([O-])c2ccccc2[n+]1[O-]",  # tirapazamine
    "[O-][n+]1ccc(cc1)C(=O)O",
    "Cc1cc(C)[n+]([O-])c(C)c1",
    "C[N+](C)([O-])C",
    "C[N+](C)([O-])CCCCCCCCCCCC",  # lauryldimethylamine oxide
    "C[N+]1([O-])CCOCC1",  # N-methylmorpholine N-oxide
    "C[N+](C)([O-])CCC=C1c2ccccc2CCc2ccccc21",  # amitriptyline N-oxide
    "C[N+](C)([O-])Cc1ccccc1",
    "C[N+](C)([O-])CCCN1c2ccccc2CCc2ccccc21",  # imipramine N-oxide
    "C[N+](C)([O-])CCOc1ccc(cc1)C(=O)c1ccccc1",
    "C[N+](C)([O-])CCc1c[nH]c2ccc(OC)cc12",
    # Carboxylates, acids, esters, amides
    "CC(=O)Oc1ccccc1C(=O)[O-]",  # aspirin
    "CC(C)Cc1ccc(cc1)[C@@H](C)C(=O)[O-]",  # ibuprofen
    "COc1ccc2cc(ccc2c1)[C@H](C)C(=O)[O-]",  # naproxen
    "O=C([O-])Cc1ccccc1Nc1c(Cl)cccc1Cl",  # diclofenac
    "CC(C)Cc1ccc(cc1)[C@H](C)C(=O)O",
    "OC(=O)c1ccccc1O",  # salicylic acid
    "OC(=O)/C=C/C(=O)O",  # fumaric acid
    "OC(=O)/C=C\\C(=O)O",  # maleic acid
    "CC(=O)N[C@@H](CS)C(=O)O",  # acetylcysteine
    "OC(=O)[C@H](O)[C@@H](O)C(=O)O",  # tartaric acid
    "[O-]C(=O)CC(O)(CC(=O)[O-])C(=O)[O-]",  # citrate
    "CCOC(=O)c1ccc(N)cc1",  # benzocaine
    "COC(=O)c1ccccc1O",  # methyl salicylate
    "COC(=O)[C@H](c1ccccc1Cl)N1CCc2sccc2C1",  # clopidogrel
    "CCOC(=O)C1=C(COCCN)NC(C)=C(C(=O)OC)[C@@H]1c1ccccc1Cl",  # amlodipine
    "CC(=O)Nc1ccc(O)cc1",  # paracetamol
    "CN1C(=O)CN=C(c2ccccc2)c2cc(Cl)ccc21",  # diazepam
    "COc1ccc2n(C(=O)c3ccc(Cl)cc3)c(C)c(CC(=O)O)c2c1",  # indometacin
    "C[C@@H](C(=O)O)c1cccc(c1)C(=O)c1ccccc1",  # ketoprofen
    "CC(C)OC(=O)C(C)(C)Oc1ccc(cc1)C(=O)c1ccc(Cl)cc1",  # fenofibrate
    "Cc1ccc(C)c(OCCCC(C)(C)C(=O)O)c1",  # gemfibrozil
    "Cc1cccc(Nc2ccccc2C(=O)O)c1C",  # mefenamic acid
    "CCCN(CCC)S(=O)(=O)c1ccc(cc1)C(=O)O",  # probenecid
    "CN(Cc1cnc2nc(N)nc(N)c2n1)c1ccc(cc1)C(=O)N[C@@H](CCC(=O)O)C(=O)O",  # methotrexate
    "CN(Cc1cnc2nc(N)nc(N)c2n1)c1ccc(cc1)C(=O)N[C@@H](CCC(=O)[O-])C(=O)[O-]",
    "CCOC(=O)[C@H](CCc1ccccc1)N[C@@H](C)C(=O)N1CCC[C@H]1C(=O)O",  # enalapril
    "[NH3+]CCCC[C@H]([NH2+][C@@H](CCc1ccccc1)C(=O)[O-])C(=O)N1CCC[C@H]1C(=O)[O-]",  # lisinopril
    "CC[C@H](N1CCCC1=O)C(N)=O",  # levetiracetam
    "COC[C@@H](NC(C)=O)C(=O)NCc1ccccc1",  # lacosamide
    "COC(=O)[C@H](Cc1ccccc1)NC(=O)[C@@H]([NH3+])CC(=O)[O-]",  # Asp-Phe-OMe
    "Clc1ccc(cc1)C(=O)NCCN1CCOCC1",  # moclobemide
    "CC[C@H]1C(=O)OC[C@H]1Cc1cncn1C",  # pilocarpine
    "OC[C@H](O)[C@H]1OC(=O)C(O)=C1O",  # ascorbic acid
    "COc1c(C)c2COC(=O)c2c(O)c1C/C=C(\\C)CCC(=O)O",  # mycophenolic acid
    "O[C@@H](C(=O)O)c1ccccc1",  # mandelic acid
    "O=C1CC[C@@H](N1)C(=O)[O-]",  # pyroglutamate
    "CCOC(=O)/C=C/c1ccccc1",  # ethyl cinnamate
    "O=C1NC(=O)C(N1)(c1ccccc1)c1ccccc1",  # phenytoin
    "CCN(CC)CCNC(=O)c1cc(Cl)c(N)cc1OC",  # metoclopramide
    "O=C(O)[C@@H]1C[C@H](O)CN1",  # hydroxyproline
    "CC(=O)O[C@H]1C[C@@H]2CC[C@H]1C2",
    "C[C@@H](Oc1ccc(Oc2ccc(Cl)cc2Cl)cc1)C(=O)OC",  # diclofop-methyl
    # Guanidines, guanidinium, amidines, amidinium
    "NC(=[NH2+])NCCC[C@H]([NH3+])C(=O)[O-]",  # arginine
    "NC(N)=NCCC[C@H](N)C(=O)O",
    "NC(=[NH2+])c1ccccc1",  # benzamidinium
    "CN(C)/C=N/c1ccc(Cl)cc1C",  # chlordimeform
    "CN(C)C(=[NH2+])N",
    "NC(N)=NC(=O)Cc1c(Cl)cccc1Cl",  # guanfacine
    "CN/C(=N/C#N)NCCSCc1nc[nH]c1C",  # cimetidine
    "NC(N)=Nc1nc(CSCC/C(N)=N/S(N)(=O)=O)cs1",  # famotidine
    "CC(=O)N[C@@H]1[C@@H](NC(=[NH2+])N)C=C(O[C@H]1[C@H](O)[C@H](O)CO)C(=O)[O-]",  # zanamivir
    "NC(N)=NC(=O)c1nc(Cl)c(N)nc1N",  # amiloride
    "NC(=[NH2+])NC(=O)c1nc(Cl)c(N)nc1N",
    "CN(CC(=O)[O-])C(N)=[NH2+]",  # creatine
    "NC(=[NH2+])NCCCC[NH3+]",  # agmatine
    "NC(=[NH2+])NCCN1CCCCCCC1",  # guanethidine
    "NC(N)=Nc1ccccc1",
    "NC(=[NH2+])c1ccc(OCCCCCOc2ccc(cc2)C(N)=[NH2+])cc1",  # pentamidine
    "Cn1c(CNc2ccc(cc2)C(N)=[NH2+])nc2cc(ccc21)C(=O)N(CCC(=O)[O-])c1ccccn1",  # dabigatran
    "CC(C)/N=C(/C)N1CCCC1",
    "C/C(=N\\C#N)N(C)Cc1ccc(Cl)nc1",  # acetamiprid
    "C1CCC2=NCCCN2CC1",  # DBU
    "C1CCC2=[NH+]CCCN2CC1",
    "C/C(=N\\c1ccccc1)N(C)C",
    "CC(C)(C)c1cc(C)c(CC2=NCCN2)c(C)c1",  # xylometazoline
    "CC(C)(C)c1cc(C)c(CC2=[NH+]CCN2)c(C)c1",
    "Clc1cccc(Cl)c1NC1=NCCN1",  # clonidine
    "CN(C)C(N(C)C)=Nc1ccc(Cl)cc1",
    "NC(N)=N/N=C/c1c(Cl)cccc1Cl",  # guanabenz
    "NC(=[NH2+])c1ccc2cc(OC(=O)c3ccc(NC(N)=[NH2+])cc3)ccc2c1",  # nafamostat
    "NC(=[NH2+])c1ccc(CC(=O)[O-])cc1",
    "CCOC(=O)c1ccc(cc1)C(N)=[NH2+]",
    "O/N=C(\\N)c1ccccc1",  # benzamidoxime
    "Clc1ccc2nsnc2c1NC1=NCCN1",  # tizanidine
    "CN1CC(=O)N=C1N",  # creatinine
    "C(c1cccc2ccccc12)C1=[NH+]CCN1",  # naphazoline
    "COC(=O)[C@H](CCCNC(N)=[NH2+])[NH3+]",  # arginine methyl ester
    "CN(CC(=O)O)/C(N)=N/P(=O)(O)O",  # phosphocreatine
    "NC(=[NH2+])N1CCC[C@H]1C(=O)NCc1ccccc1",
    # Phosphates and phosphonates
    "Nc1ncnc2c1ncn2[C@@H]1O[C@H](COP(=O)(O)O)[C@@H](O)[C@H]1O",  # AMP
    "Nc1ncnc2c1ncn2[C@@H]1O[C@H](COP(=O)([O-])[O-])[C@@H](O)[C@H]1O",
    "COP(=O)([O-])OC",  # dimethyl phosphate
    "CCOP(=O)(OCC)OCC",  # triethyl phosphate
    "O[C@H]1O[C@H](COP(=O)(O)O)[C@@H](O)[C@H](O)[C@H]1O",  # glucose 6-phosphate
    "[NH3+][C@@H](COP(=O)([O-])[O-])C(=O)[O-]",  # phosphoserine
    "C[C@@H]1O[C@@H]1P(=O)(O)O",  # fosfomycin
    "C[C@@H]1O[C@@H]1P(=O)([O-])[O-]",
    "NCCCC(O)(P(=O)(O)O)P(=O)(O)O",  # alendronic acid
    "[NH3+]CCCC(O)(P(=O)(O)O)P(=O)(O)O",
    "OC(=O)CNCP(=O)(O)O",  # glyphosate
    "C[C@H](Cn1cnc2c(N)ncnc21)OCP(=O)(O)O",  # tenofovir
    "OC(=O)P(=O)(O)O",  # foscarnet
    "COP(C)(=O)OC",  # dimethyl methylphosphonate
    "CCCCOP(=O)([O-])OCCCC",  # dibutyl phosphate
    "Cc1ncc(COP(=O)(O)O)c(C=O)c1O",  # pyridoxal phosphate
    "O=C1N(COP(=O)(O)O)C(=O)NC1(c1ccccc1)c1ccccc1",  # fosphenytoin
    "CCOC(=O)C[C@H](SP(=S)(OC)OC)C(=O)OCC",  # malathion
    "[O-]P(=O)([O-])OC[C@@H](O)CO",  # glycerol 3-phosphate
    "ClCCN(CCCl)[P@]1(=O)NCCCO1",  # cyclophosphamide
    "OC(Cc1cccnc1)(P(=O)(O)O)P(=O)(O)O",  # risedronic acid
    "OC(Cn1ccnc1)(P(=O)(O)O)P(=O)(O)O",  # zoledronic acid
    "[O-]P(=O)([O-])C(O)(Cn1cc[nH+]c1)P(=O)([O-])[O-]",
    "N[C@@H](Cc1ccc(OP(=O)(O)O)cc1)C(=O)O",  # phosphotyrosine
    "[NH3+][C@@H](Cc1ccc(OP(=O)([O-])[O-])cc1)C(=O)[O-]",
    "C=C(OP(=O)(O)O)C(=O)O",  # phosphoenolpyruvate
    "CCOP(=O)(Cc1ccccc1)OCC",
    "O=P(O)(O)Oc1ccccc1",
    "O=c1ccn([C@@H]2O[C@H](COP(=O)([O-])[O-])[C@@H](O)[C@H]2O)c(=O)[nH]1",  # UMP
    "Nc1ncnc2c1ncn2[C@@H]1O[C@@H]2CO[P@](=O)(O)O[C@H]2[C@H]1O",  # cAMP
    "C[N+](C)(C)CCOP(=O)([O-])[O-]",  # phosphocholine
    "CC(C)O[P@@](C)(=O)F",  # sarin
    # Sulfonates, sulfonic acids, sulfates
    "Cc1ccc(cc1)S(=O)(=O)[O-]",  # tosylate
    "[NH3+]CCS(=O)(=O)[O-]",  # taurine
    "Cc1ccc(cc1)S(=O)(=O)O",
    "OS(=O)(=O)c1cccc2ccccc12",
    "CC1(C)[C@@H]2CC[C@@]1(CS(=O)(=O)O)C(=O)C2",  # camphorsulfonic acid
    "[NH3+]c1ccc(cc1)S(=O)(=O)[O-]",  # sulfanilic acid
    "[O-]S(=O)(=O)c1ccc2ccccc2c1",
    "Oc1ccc(cc1)S(=O)(=O)O",
    "OS(=O)(=O)CCN1CCOCC1",
    "OC(=O)c1cc(ccc1O)S(=O)(=O)[O-]",  # sulfosalicylate
    "CC(=O)N[C@@H](CS(=O)(=O)[O-])C(=O)O",
    "C[C@H](NC(=O)c1ccccc1)CS(=O)(=O)[O-]",
    "O=C([O-])c1ccccc1S(=O)(=O)[O-]",
    "OS(=O)(=O)c1ccc(N)cc1",
    "CC(C)(C)c1ccc(cc1)S(=O)(=O)O",
    "COc1ccc(cc1)OS(=O)(=O)[O-]",  # aryl sulfate
    # Sulfonamides, sulfones, sulfoxides
    "Cc1cc(NS(=O)(=O)c2ccc(N)cc2)no1",  # sulfamethoxazole
    "NS(=O)(=O)c1cc2c(cc1Cl)NCNS2(=O)=O",  # hydrochlorothiazide
    "NS(=O)(=O)c1cc(C(=O)O)c(NCc2ccco2)cc1Cl",  # furosemide
    "Cc1ccc(cc1)-c1cc(nn1-c1ccc(cc1)S(N)(=O)=O)C(F)(F)F",  # celecoxib
    "CC(=O)Nc1nnc(s1)S(N)(=O)=O",  # acetazolamide
    "Nc1ccc(cc1)S(=O)(=O)Nc1ncccn1",  # sulfadiazine
    "CCCc1nn(C)c2c1nc([nH]c2=O)-c1cc(ccc1OCC)S(=O)(=O)N1CCN(C)CC1",  # sildenafil
    "Nc1ccc(cc1)S(=O)(=O)c1ccc(N)cc1",  # dapsone
    "Cc1ccc(cn1)-c1ncc(Cl)cc1-c1ccc(cc1)S(C)(=O)=O",  # etoricoxib
    "C[C@](O)(CS(=O)(=O)c1ccc(F)cc1)C(=O)Nc1ccc(C#N)c(c1)C(F)(F)F",  # bicalutamide
    "NC(=O)C[S@@](=O)C(c1ccccc1)c1ccccc1",  # armodafinil
    "COc1ccc2[nH]c(nc2c1)[S@@](=O)Cc1ncc(C)c(OC)c1C",  # esomeprazole
    "O=S(Cc1ccccc1)Cc1ccccc1",  # dibenzyl sulfoxide
    "O=C1C(CC[S@](=O)c2ccccc2)C(=O)N(c2ccccc2)N1c1ccccc1",  # sulfinpyrazone
    "CC1(C)O[C@@H]2CO[C@@]3(COS(N)(=O)=O)OC(C)(C)O[C@H]3[C@@H]2O1",  # topiramate
    "O=C1NS(=O)(=O)c2ccccc12",  # saccharin
    "CCCCNC(=O)NS(=O)(=O)c1ccc(C)cc1",  # tolbutamide
    "COc1ccc(Cl)cc1C(=O)NCCc1ccc(cc1)S(=O)(=O)NC(=O)NC1CCCCC1",  # glibenclamide
    "NS(=O)(=O)Cc1noc2ccccc12",  # zonisamide
    "CCN[C@H]1C[C@H](C)S(=O)(=O)c2sc(cc12)S(N)(=O)=O",  # dorzolamide
    "OC(=O)c1cc(ccc1O)/N=N/c1ccc(cc1)S(=O)(=O)Nc1ccccn1",  # sulfasalazine
    "C[S@@](=O)CC[C@H](N)C(=O)O",  # methionine sulfoxide
    "C[S@](=O)c1ccc(cc1)/C=C1/C(C)=C(CC(=O)O)c2cc(F)ccc12",  # sulindac
    "CCOc1cc(ccc1OC)[C@@H](CS(C)(=O)=O)N1C(=O)c2cccc(NC(C)=O)c2C1=O",  # apremilast
    "Nc1ccc(cc1)S(=O)(=O)Nc1nccs1",  # sulfathiazole
    "CS(=O)(=O)N1CCC[C@H]1C(=O)Nc1ccc(F)cc1",
    "O=S1(=O)CC[C@@H](NC(=O)c2ccccc2)C1",
    "C[S@@](=O)c1ccc(cc1)C(=O)O",
    "O=S(c1ccccc1)c1ccccc1",
    "CS(=O)(=O)c1ccc(cc1)[C@@H](O)[C@@H](CO)NC(=O)C(Cl)Cl",  # thiamphenicol
    "CS(=O)(=O)c1ccc(cc1)C1=C(C(=O)OC1)c1ccccc1",  # rofecoxib
    # Azides
    "Cc1cn([C@H]2C[C@H](N=[N+]=[N-])[C@@H](CO)O2)c(=O)[nH]c1=O",  # zidovudine
    "[N-]=[N+]=Nc1ccc(cc1)C(=O)O",
    "[N-]=[N+]=NCCCC(=O)NCc1ccccc1",
    "CO[C@@H]1O[C@H](CO)[C@@H](O)[C@H](O)[C@H]1N=[N+]=[N-]",
    "CC1(C)S[C@@H]2[C@H](NC(=O)[C@H](N=[N+]=[N-])c3ccccc3)C(=O)N2[C@H]1C(=O)O",  # azidocillin
    "[N-]=[N+]=NCc1ccc(F)cc1",
    "[N-]=[N+]=Nc1ccc(cc1)[N+](=O)[O-]",
    "[N-]=[N+]=NC[C@@H](O)COc1ccccc1",
    "[NH3+]CCCC[C@H](N=[N+]=[N-])C(=O)[O-]",
    "CC(C)(N=[N+]=[N-])C(=O)N1CCOCC1",
    # Tetrazoles
    "CCCCc1nc(Cl)c(CO)n1Cc1ccc(cc1)-c1ccccc1-c1nnn[nH]1",  # losartan, 1H
    "CCCCc1nc(Cl)c(CO)n1Cc1ccc(cc1)-c1ccccc1-c1nn[nH]n1",  # losartan, 2H
    "CCCCc1nc(Cl)c(CO)n1Cc1ccc(cc1)-c1ccccc1-c1nnn[n-]1.[K+]",  # losartan potassium
    "CCCCC(=O)N(Cc1ccc(cc1)-c1ccccc1-c1nnn[nH]1)[C@@H](C(C)C)C(=O)O",  # valsartan
    "CCOc1nc2cccc(C(=O)O)c2n1Cc1ccc(cc1)-c1ccccc1-c1nn[nH]n1",  # candesartan
    "c1ccc(cc1)-c1nn[nH]n1",
    "c1ccc(cc1)-c1nnn[nH]1",
    "Cc1ccc(cc1)-c1nnn[n-]1",
    "Cc1nnc(SCC2=C(N3C(=O)[C@@H](NC(=O)Cn4cnnn4)[C@H]3SC2)C(=O)O)s1",  # cefazolin
    "OC(=O)C[C@H](Cc1nnn[nH]1)NC(=O)c1ccccc1",
    "Clc1ccc(Cc2nn[nH]n2)cc1",
    "O=C(Nc1nn[nH]n1)c1cc2ccccc2oc1=O",
    "[O-]C(=O)CCc1nnn[n-]1",
    "Cn1nnnc1SCc1ccccc1",
    "Cn1nnc(n1)-c1ccc(cc1)C(=O)O",
    "CCCCCCc1nn[nH]n1",
    "CCCCC(=O)N(Cc1ccc(cc1)-c1ccccc1-c1nnn[n-]1)[C@@H](C(C)C)C(=O)[O-]",
    "[O-]C(=O)c1ccc(cc1)-c1nnn[n-]1",
    "OC(=O)c1ccc(cc1)-c1nnn[nH]1",
    "NC(=O)Cc1nnn[nH]1",
    # 1,2,3-triazoles: NH at N1, N2 and N3, and substituted on nitrogen
    "c1ccc(cc1)-c1c[nH]nn1",
    "c1ccc(cc1)-c1cn[nH]n1",
    "c1ccc(cc1)-c1cnn[nH]1",
    "OC(=O)Cc1c[nH]nn1",
    "OC(=O)Cc1cnn[nH]1",
    "CCOC(=O)c1cn[nH]n1",
    "NC(=O)c1nn[nH]c1N",
    "NC(=O)c1[nH]nnc1N",
    "Cn1cc(nn1)-c1ccc(F)cc1",
    "C[C@]1(Cn2ccnn2)[C@@H](N3[C@@H](S1(=O)=O)CC3=O)C(=O)O",  # tazobactam
    "NC(=O)c1cn(Cc2c(F)cccc2F)nn1",  # rufinamide
    "Cc1ccc(n2nccn2)c(c1)C(=O)N1CCN(CC[C@H]1C)c1nc2cc(Cl)ccc2o1",  # suvorexant
    "Cn1nccn1",
    "OC[C@H]1O[C@@H](n2cc(CO)nn2)[C@H](O)[C@@H]1O",
    "[O-]C(=O)c1c[nH]nn1",
    "Cc1n[nH]nc1C",
    "OCc1cn[nH]n1",
    "COc1ccc(cc1)-c1cn(nn1)[C@@H](C)C(=O)O",
    # 1,2,4-triazoles: NH at N1, N2 and N4, and substituted on nitrogen
    "c1ccc(cc1)-c1n[nH]cn1",
    "c1ccc(cc1)-c1[nH]ncn1",
    "c1ccc(cc1)-c1nnc[nH]1",
    "Nc1n[nH]cn1",
    "Nc1nnc[nH]1",
    "OC(Cn1cncn1)(Cn1cncn1)c1ccc(F)cc1F",  # fluconazole
    "NC(=O)c1ncn(n1)[C@@H]1O[C@H](CO)[C@@H](O)[C@H]1O",  # ribavirin
    "CC(C)(C#N)c1cc(Cn2cncn2)cc(c1)C(C)(C)C#N",  # anastrozole
    "N#Cc1ccc(cc1)C(c1ccc(cc1)C#N)n1cncn1",  # letrozole
    "Cc1nnc2CN=C(c3ccccc3)c3cc(Cl)ccc3-n12",  # alprazolam
    "N[C@@H](CC(=O)N1CCn2c(C1)nnc2C(F)(F)F)Cc1cc(F)c(F)cc1F",  # sitagliptin
    "[NH3+][C@@H](CC(=O)N1CCn2c(C1)nnc2C(F)(F)F)Cc1cc(F)c(F)cc1F",
    "C[C@@H](c1ccc(F)cc1)c1n[nH]c(=S)n1C",
    "OC(=O)Cc1n[nH]cn1",
    "OC(=O)Cc1nc[nH]n1",
    "CSc1nnc[nH]1",
    "Cc1nnc(C)[nH]1",
    "c1ccc(cc1)-c1nnc(-c2ccncc2)[nH]1",
    "C[C@H](O)[C@@](Cn1cncn1)(c1ccc(F)cc1F)C",
    # Imidazoles and imidazolium
    "[NH3+]CCc1c[nH]cn1",  # histamine, tau tautomer
    "[NH3+]CCc1cnc[nH]1",  # histamine, pi tautomer
    "CC(=O)N1CCN(CC1)c1ccc(OC[C@H]2CO[C@@](Cn3ccnc3)(O2)c2ccc(Cl)cc2Cl)cc1",  # ketoconazole
    "Clc1ccccc1C(c1ccccc1)(c1ccccc1)n1ccnc1",  # clotrimazole
    "Cc1nccn1C[C@@H]1CCc2c(C1=O)c1ccccc1n2C",  # ondansetron
    "CCCCn1cc[n+](C)c1.[Cl-]",  # 1-butyl-3-methylimidazolium chloride
    "[NH3+][C@@H](Cc1c[nH]c[nH+]1)C(=O)[O-]",
    "Clc1ccccc1C(c1ccccc1)(c1ccccc1)n1cc[nH+]c1",
    "Clc1ccc(CO[C@@H](Cn2cc[nH+]c2)c2ccc(Cl)cc2Cl)c(Cl)c1",  # miconazole
    "Cn1cc[n+](C)c1",
    "OC(=O)[C@H](Cc1cnc[nH]1)NC(=O)c1ccccc1",
    "Cc1[nH]cnc1CSCCNC(=O)C",
    "CC[C@@H](C)c1nc(c[nH]1)-c1ccccc1",
    "O=C(c1ccccc1)c1ncc[nH]1",
    "C[n+]1ccn(Cc2ccccc2)c1",
    # Pyrazoles
    "Cc1c(nn(c1-c1ccc(Cl)cc1)-c1ccc(Cl)cc1Cl)C(=O)NN1CCCCC1",  # rimonabant
    "Cc1cn[nH]c1",  # fomepizole
    "N#CC[C@H](C1CCCC1)n1cc(cn1)-c1ncnc2[nH]ccc12",  # ruxolitinib
    "C[C@@H](Oc1cc(cnc1N)-c1cnn(c1)C1CCNCC1)c1c(Cl)ccc(F)c1Cl",  # crizotinib
    "c1ccc(cc1)-c1cc[nH]n1",
    "c1ccc(cc1)-c1ccn[nH]1",
    "OC(=O)c1cc(n[nH]1)-c1ccc(F)cc1",
    "CN1N(C(=O)C=C1C)c1ccccc1",  # antipyrine
    "CC(C)n1ncc2c1ncnc2N",
    # Pyrroles and indoles
    "CC(C)c1c(C(=O)Nc2ccccc2)c(-c2ccccc2)c(-c2ccc(F)cc2)n1CC[C@@H](O)C[C@@H](O)CC(=O)O",  # atorvastatin
    "CC(C)c1c(C(=O)Nc2ccccc2)c(-c2ccccc2)c(-c2ccc(F)cc2)n1CC[C@@H](O)C[C@@H](O)CC(=O)[O-]",
    "Cc1ccc(cc1)C(=O)c1ccc(CC(=O)O)n1C",  # tolmetin
    "OC(=O)[C@@H]1CCn2c1ccc2C(=O)c1ccccc1",  # ketorolac
    "CCN(CC)CCNC(=O)c1c(C)[nH]c(/C=C2\\C(=O)Nc3ccc(F)cc23)c1C",  # sunitinib
    "OC(=O)c1ccc[nH]1",
    "NCc1[nH]cc(CCC(=O)O)c1CC(=O)O",  # porphobilinogen
    "COc1ccc2n(C(=O)c3ccc(Cl)cc3)c(C)c(CC(=O)[O-])c2c1",
    "CNS(=O)(=O)Cc1ccc2[nH]cc(CCN(C)C)c2c1",  # sumatriptan
    "COc1ccc2[nH]cc(CCNC(C)=O)c2c1",  # melatonin
    "CC(C)NC[C@H](O)COc1cccc2[nH]ccc12",  # pindolol
    "CN1CC(=O)N2[C@@H](Cc3c([nH]c4ccccc34)[C@H]2c2ccc3OCOc3c2)C1=O",  # tadalafil
    "CC(C)n1c(/C=C/[C@@H](O)C[C@@H](O)CC(=O)O)c(-c2ccc(F)cc2)c2ccccc21",  # fluvastatin
    "N[C@@H](Cc1c[nH]c2ccccc12)C(=O)O",  # tryptophan
    "OC(=O)Cc1c[nH]c2ccccc12",  # indole-3-acetic acid
    "Cc1cc(C)n(c1)-c1ccc(cc1)C(=O)O",
    # Benzimidazoles
    "CCCSc1ccc2[nH]c(NC(=O)OC)nc2c1",  # albendazole
    "COC(=O)Nc1nc2cc(ccc2[nH]1)C(=O)c1ccccc1",  # mebendazole
    "c1ccc2[nH]c(nc2c1)-c1cscn1",  # thiabendazole
    "CCCc1nc2c(C)cc(cc2n1Cc1ccc(cc1)-c1ccccc1C(=O)O)-c1nc2ccccc2n1C",  # telmisartan
    "Nc1nc2ccccc2[nH]1",
    "Cc1[nH]c2ccccc2[nH+]1",
    "O=C1Nc2ccccc2N1C1CCN(CCCC(=O)c2ccc(F)cc2)CC1",  # benperidol
    "CC(C)[C@H](N)c1nc2ccccc2[nH]1",
    # Pyridines and pyridinium
    "C[n+]1ccccc1/C=N/O",  # pralidoxime
    "NC(=O)c1ccc[n+](c1)[C@@H]1O[C@H](CO)[C@@H](O)[C@H]1O",  # nicotinamide riboside
    "NNC(=O)c1ccncc1",  # isoniazid
    "NNC(=O)c1cc[nH+]cc1.[Cl-]",
    "C[n+]1ccc(cc1)-c1cc[n+](C)cc1.[Cl-].[Cl-]",  # paraquat dichloride
    "Cc1ccc(NC(=O)c2ccc(CN3CCN(C)CC3)cc2)cc1Nc1nccc(n1)-c1cccnc1",  # imatinib
    "CN(C)C(=O)Oc1ccc[n+](C)c1",  # pyridostigmine
    "Cc1ncc(CO)c(CO)c1O",  # pyridoxine
    "Cc1[nH+]cc(CO)c(CO)c1O",
    "O=C([O-])c1ccc[nH+]c1",  # nicotinic acid zwitterion
    "C[n+]1cccc(c1)C(=O)[O-]",  # trigonelline
    "CCCCCCCCCCCC[n+]1ccccc1",
    "[O-]C(=O)c1cccc[n+]1Cc1ccccc1",
    # Pyrimidines and purines
    "O=c1[nH]cc(F)c(=O)[nH]1",  # fluorouracil
    "COc1cc(Cc2cnc(N)nc2N)cc(OC)c1OC",  # trimethoprim
    "CC(C)c1nc(nc(-c2ccc(F)cc2)c1/C=C/[C@@H](O)C[C@@H](O)CC(=O)O)N(C)S(C)(=O)=O",  # rosuvastatin
    "CCc1nc(N)nc(N)c1-c1ccc(Cl)cc1",  # pyrimethamine
    "Nc1ccn([C@@H]2O[C@H](CO)[C@@H](O)C2(F)F)c(=O)n1",  # gemcitabine
    "Nc1ccn([C@@H]2CS[C@H](CO)O2)c(=O)n1",  # lamivudine
    "Nc1ncnc2[nH]cnc12",  # adenine
    "Cn1c(=O)c2c(ncn2C)n(C)c1=O",  # caffeine
    "Nc1nc2n(COCCO)cnc2c(=O)[nH]1",  # aciclovir
    "Cn1c(=O)c2[nH]cnc2n(C)c1=O",  # theophylline
    "S=c1nc[nH]c2nc[nH]c12",  # mercaptopurine
    "Nc1ncnc2n(cnc12)[C@@H]1O[C@H](CO)[C@@H](O)[C@H]1O",  # adenosine
    "O=c1[nH]cnc2[nH]ncc12",  # allopurinol
    "Nc1nc(NC2CC2)c2ncn([C@@H]3C[C@H](CO)C=C3)c2n1",  # abacavir
    "Nc1nc2[nH]cnc2c(=O)[nH]1",  # guanine
    "O=c1[nH]c(=O)c2[nH]c(=O)[nH]c2[nH]1",  # uric acid
    "CC(C)n1cnc2c(Nc3ccccc3)nc(NCCO)nc21",
    "Cc1cc(Nc2cc(ccn2)C(F)(F)F)nc(n1)N1CCOCC1",
    "C[C@@H]1CN(C[C@@H](C)O1)c1ncc(F)c(n1)N",
    "Cc1cc(C)nc(NS(=O)(=O)c2ccc(N)cc2)n1",  # sulfamethazine
    # Furans, thiophenes, thiazoles, oxazoles
    "OC(=O)c1ccco1",
    "OCc1ccc(C=O)o1",  # hydroxymethylfurfural
    "CNC(=O)c1ccc(o1)-c1ccc(Cl)cc1",
    "O=C(N[C@@H](Cc1ccccc1)C(=O)O)c1ccco1",
    "Cc1occc1C(=O)Nc1ccccc1",  # fenfuram
    "Clc1ccccc1CN1CCc2sccc2C1",  # ticlopidine
    "Cc1cc2c(s1)Nc1ccccc1N=C2N1CCN(C)CC1",  # olanzapine
    "OC(=O)c1cccs1",
    "CCCN[C@@H](C)C(=O)Nc1c(C)csc1C(=O)OC",  # articaine
    "Cc1ccsc1/C(=C\\CCN1CCC[C@H](C1)C(=O)O)c1sccc1C",  # tiagabine
    "OC(=O)C(O)(c1cccs1)c1cccs1",
    "Cc1cnc(s1)NC(=O)C1=C(O)c2ccccc2S(=O)(=O)N1C",  # meloxicam
    "Cc1nc(Nc2ncc(s2)C(=O)Nc2c(C)cccc2Cl)cc(n1)N1CCN(CCO)CC1",  # dasatinib
    "Cc1ncc(C[n+]2csc(CCO)c2C)c(N)n1.[Cl-]",  # thiamine chloride
    "CO/N=C(/C(=O)N[C@@H]1C(=O)N2C(C(=O)O)=C(COC(C)=O)CS[C@H]12)c1csc(N)n1",  # cefotaxime
    "Nc1nc(cs1)CC(=O)O",
    "CC(C)c1nc(cs1)CN(C)C(=O)N[C@@H](C(C)C)C(=O)O",
    "OC(=O)CCc1nc(c(o1)-c1ccccc1)-c1ccccc1",  # oxaprozin
    "c1ccc(cc1)-c1cnc(o1)-c1ccccc1",
    "Cc1oc(nc1CCOc1ccc(C[C@H](OC)C(=O)O)cc1)-c1ccccc1",
    "OC(=O)c1cocn1",
    "CC(C)[C@H](NC(=O)c1cnc(C)o1)C(=O)O",
    "Cc1oc(cc1)C(=O)N[C@@H](C)c1nc(co1)C(=O)OC",
    # Stereocentres, ring stereo, E/Z double bonds
    "CC1(C)S[C@@H]2[C@H](NC(=O)Cc3ccccc3)C(=O)N2[C@H]1C(=O)O",  # benzylpenicillin
    "CC1(C)S[C@@H]2[C@H](NC(=O)[C@H](N)c3ccc(O)cc3)C(=O)N2[C@H]1C(=O)O",  # amoxicillin
    "CC1(C)S[C@@H]2[C@H](NC(=O)[C@H]([NH3+])c3ccc(O)cc3)C(=O)N2[C@H]1C(=O)[O-]",
    "CC(C)[C@@H]1CC[C@@H](C)C[C@H]1O",  # menthol
    "C[C@H]1CC[C@@H](O)CC1",  # cis-4-methylcyclohexanol
    "C[C@H]1CC[C@H](O)CC1",  # trans-4-methylcyclohexanol
    "OC[C@H]1O[C@@H](O)[C@H](O)[C@@H](O)[C@@H]1O",  # beta-D-glucose
    "OC[C@H]1O[C@@](CO)(O[C@H]2O[C@H](CO)[C@@H](O)[C@H](O)[C@H]2O)[C@@H](O)[C@@H]1O",  # sucrose
    "C#C[C@]1(O)CC[C@H]2[C@@H]3CCc4cc(O)ccc4[C@H]3CC[C@@]21C",  # ethinylestradiol
    "CC(=O)[C@H]1CC[C@H]2[C@@H]3CCC4=CC(=O)CC[C@]4(C)[C@H]3CC[C@]12C",  # progesterone
    "COc1ccc2nccc(c2c1)[C@@H](O)[C@@H]1C[C@@H]2CCN1C[C@@H]2C=C",  # quinine
    "O=C1Nc2ccc(Cl)cc2[C@@](C#CC2CC2)(O1)C(F)(F)F",  # efavirenz
    "CN[C@@]1(CCCCC1=O)c1ccccc1Cl",  # esketamine
    "CC(=O)C[C@@H](c1ccccc1)c1c(O)c2ccccc2oc1=O",  # warfarin
    "C[C@@H](NC(C)(C)C)C(=O)c1cccc(Cl)c1",  # bupropion
    "C[C@H](CS)C(=O)N1CCC[C@H]1C(=O)O",  # captopril
    "CC(C)(S)[C@@H](N)C(=O)O",  # penicillamine
    "CC/C(=C(\\c1ccccc1)c1ccc(OCCN(C)C)cc1)c1ccccc1",  # tamoxifen
    "C(=C/c1ccccc1)\\CN1CCN(CC1)C(c1ccccc1)c1ccccc1",  # cinnarizine
    "COCCCC/C(=N\\OCCN)c1ccc(cc1)C(F)(F)F",  # fluvoxamine
    "Oc1ccc(cc1)/C=C/c1cc(O)cc(O)c1",  # resveratrol
    "CC/C(=C(/CC)c1ccc(O)cc1)c1ccc(O)cc1",  # diethylstilbestrol
    "CN(C)CC/C=C1/c2ccccc2COc2ccccc12",  # doxepin
    "COc1cc(/C=C/C(=O)O)ccc1O",  # ferulic acid
    "CCCCCCCC/C=C\\CCCCCCCC(=O)O",  # oleic acid
    "C/C=C/C=C/C(=O)O",  # sorbic acid
    "COC(=O)/C=C/C(=O)OC",  # dimethyl fumarate
    "CN(C/C=C/C#CC(C)(C)C)Cc1cccc2ccccc12",  # terbinafine
    "CC1=C(C(C)(C)CCC1)/C=C/C(C)=C/C=C/C(C)=C/C=O",  # retinal
    "CC(C)=CC/C=C(\\C)CO",  # nerol
    "C/C(=C\\c1csc(C)n1)[C@@H]1C[C@@H]2O[C@]2(C)CCC[C@H](C)[C@H](O)[C@@H](C)C(=O)C(C)(C)[C@@H](O)CC(=O)O1",  # epothilone B
    "O=C(O)C[C@H](O)C[C@H](O)/C=C/c1c(C2CC2)nc2ccccc2c1-c1ccc(F)cc1",  # pitavastatin
    "OC(=O)C/C=C\\c1ccccc1",
    "Cl/C=C/Cl",
    "N#C/C(=C\\c1ccc(O)cc1)C(N)=O",
    "C[C@@H]1CCCC[C@H]1NC(=O)c1ccccc1",
    "O[C@@H]1CCCC[C@H]1N1CCC(CC1)c1ccccc1",  # vesamicol
    "C[C@H]1C[C@@H](C)C[C@@H](C)C1",  # cis,cis-1,3,5-trimethylcyclohexane
    "C[C@@H]1C[C@H]1C(=O)Nc1ccccc1",
    "O=C(O)[C@@H]1C[C@@H]1c1ccccc1",
    "N[C@@H]1C[C@H](C1)c1ccc(Cl)cc1",
    "C[C@H]1O[C@@H](C)O[C@@H](C)O1",  # paraldehyde
    "C[C@@H]1CN(C[C@H](C)N1)c1ccccc1",
    "OC[C@@H]1CC[C@H](O1)n1cnc2c(N)ncnc21",
    "O[C@H]1C[C@@H](O)C[C@@H](C1)C(=O)O",
    # Halogens, nitriles, alkynes, ketones, aldehydes, ethers, alcohols, thiols, thioethers
    "COCCOc1cc2ncnc(Nc3cccc(c3)C#C)c2cc1OCCOC",  # erlotinib
    "CN(C)CCC[C@@]1(OCc2cc(ccc21)C#N)c1ccc(F)cc1",  # escitalopram
    "N#CCC(=O)c1ccccc1",
    "OC1(CCN(CCCC(=O)c2ccc(F)cc2)CC1)c1ccc(Cl)cc1",  # haloperidol
    "COc1cc(C=O)ccc1O",  # vanillin
    "O=C/C=C/c1ccccc1",  # cinnamaldehyde
    "CC(C)=CCC/C(C)=C/C=O",  # geranial
    "O=C[C@H](O)CO",  # glyceraldehyde
    "O=Cc1ccc(cc1)C(=O)O",
    "C[C@H](S)C(=O)NCC(=O)O",  # tiopronin
    "COc1ccc(S)cc1",
    "CSCC[C@H](N)C(=O)O",  # methionine
    "CSCC[C@H]([NH3+])C(=O)[O-]",
    "CN1CCCC[C@H]1CCN1c2ccccc2Sc2ccc(SC)cc21",  # thioridazine
    "OC(=O)CSc1ccccc1",
    "CC(C)(O)c1ccccc1CC[C@@H](SCC1(CC(=O)O)CC1)c1cccc(/C=C/c2ccc3ccc(Cl)cc3n2)c1",  # montelukast
    "ClC(Cl)(Cl)[C@@H](O)O",
    "FC(F)(F)c1ccc(I)cc1",
    "Brc1ccc(cc1)C(=O)CBr",
    "OCC#CCO",
    "CC#CC(=O)N1CCC[C@@H](C1)n1nc(-c2ccc(Oc3ccccc3)cc2)c2c(N)ncnc21",  # ibrutinib-like
    "C#CCN(C)[C@H](C)Cc1ccccc1",  # selegiline
    "C#CCN[C@@H]1CCc2ccccc12",  # rasagiline
    "O=C1CCCC[C@H]1Cc1ccccc1",
    "COc1ccc(cc1OC)C(=O)CCN1CCCCC1",
    "CC(C)(C)c1ccc(cc1)C(=O)CCCN1CCC(CC1)OC(c1ccccc1)c1ccccc1",  # ebastine
    "OCCOCCOCCO",
    "COc1ccc(cc1)[C@@H]1Oc2ccccc2C[C@H]1O",
    "SCC(=O)OCC",
    "CC(C)Oc1ccc(cc1Cl)C#N",
    "FC(F)Oc1ccc(cc1)C(=O)c1ccc(F)cc1",
    "C[C@@H](O)c1ccc(Br)cc1",
    "ClCC(=O)N[C@@H](C)c1ccccc1",
    "CC1(C)CC(=O)C=C(C)C1",  # isophorone
    # Multi-fragment salts
    "CCCC(CCC)C(=O)[O-].[Na+]",  # sodium valproate
    "O=C([O-])c1ccccc1.[Na+]",  # sodium benzoate
    "CC(C)[NH2+]C[C@H](O)COc1cccc2ccccc12.[Cl-]",  # propranolol hydrochloride
    "[O-]S(=O)(=O)CCS.[Na+]",  # mesna
    "CCCCCCCCCCCCOS(=O)(=O)[O-].[Na+]",  # sodium dodecyl sulfate
    "NC(=[NH2+])NCCC[C@H](N)C(=O)O.[Cl-]",  # arginine hydrochloride
    "C[NH2+][C@H]1CC[C@@H](c2ccc(Cl)c(Cl)c2)c2ccccc21.[Cl-]",  # sertraline hydrochloride
    "C[N+](C)(C)c1ccc(O)cc1.[I-]",
    "Cc1ccc(cc1)S(=O)(=O)[O-].C[NH3+]",
    "O=C([O-])[C@@H](O)[C@H](O)C(=O)[O-].[K+].[Na+]",  # potassium sodium tartrate
    "[NH3+][C@@H](CCC(=O)[O-])C(=O)[O-].[Na+]",  # monosodium glutamate
    "CC(=O)N[C@@H](Cc1ccccc1)C(=O)[O-].C[NH+](C)C",
    # Neither charges nor stereo
    "CC(=O)Oc1ccccc1C(=O)O",  # aspirin
    "NC(=O)N1c2ccccc2C=Cc2ccccc21",  # carbamazepine
    "CCOc1ccc(NC(C)=O)cc1",  # phenacetin
    "CCC1(C(=O)NCNC1=O)c1ccccc1",  # primidone
    "COc1ccc(CCN(C)C)cc1",
    "c1ccc2c(c1)ccc1ccccc12",  # phenanthrene
    "Cc1ccc(cc1)C(=O)Nc1ccc(cc1)C(F)(F)F",
    "CN1CCN(CC1)c1ccc(cc1)C(=O)c1ccccc1",
    "O=C(Nc1ccccc1)Nc1ccccc1",  # carbanilide
    "CCCCc1oc2ccccc2c1C(=O)c1cc(I)c(OCCN(CC)CC)c(I)c1",  # amiodarone
    "COc1ccc2c(c1)c(CC(=O)N(C)C)cn2C",
    "N#Cc1ccc(cc1)-c1ccccc1",
]

# Functional groups noted in each record's "groups" data item, in this order;
# a group is present when any of its patterns matches.
GROUPS = [
    ("ammonium-primary", "[NX4+;H3]"),
    ("ammonium-secondary", "[NX4+;H2]"),
    ("ammonium-tertiary", "[NX4+;H1]"),
    ("ammonium-quaternary", "[NX4+;H0;!$(N[O-])]"),
    ("nitro", "[NX3+](=O)[O-]"),
    ("n-oxide-aromatic", "[n+][O-]"),
    ("n-oxide-amine", "[NX4+][O-]"),
    ("n-oxide-imine", "[NX3+;!$(N=O)](=*)[O-]"),
    ("carboxylate", "[CX3](=O)[O-]"),
    ("carboxylic-acid", "[CX3](=O)[OX2H1]"),
    ("ester", "[#6][CX3](=O)[OX2][#6]"),
    ("amide", "[CX3](=O)[NX3]"),
    ("guanidinium", "[NX3][CX3](=[NX3+])[NX3]"),
    ("guanidine", "[NX3][CX3](=[NX2])[NX3]"),
    ("amidinium", "[#6][CX3](=[NX3+])[NX3]"),
    ("amidine", "[#6][CX3](=[NX2])[NX3]"),
    ("phosphate", "[PX4](=O)([OX2,OX1-])([OX2,OX1-])[OX2,OX1-]"),
    ("phosphate-ester", "[PX4](=O)([OX2,OX1-])([OX2,OX1-])[OX2][#6]"),
    ("phosphonate", "[#6][PX4](=O)([OX2,OX1-])[OX2,OX1-]"),
    ("phosphorus-anion", "[PX4][OX1-]"),
    ("phosphorus-dianion", "[PX4]([OX1-])[OX1-]"),
    ("sulfonate", "[SX4](=O)(=O)[OX1-]"),
    ("sulfonic-acid", "[SX4](=O)(=O)[OX2H1]"),
    ("sulfate-ester", "[SX4](=O)(=O)([OX2][#6])[OX1-,OX2H1]"),
    ("sulfonamide", "[SX4](=O)(=O)[NX3]"),
    ("sulfone", "[#6][SX4](=O)(=O)[#6]"),
    ("sulfoxide", "[#6][SX3](=O)[#6]"),
    ("azide", "[NX2]=[NX2+]=[NX1-]"),
    ("tetrazole-1h", "[#6]1:[#7]:[#7]:[#7]:[#7H]:1"),
    ("tetrazole-2h", "[#6]1:[#7]:[#7]:[#7H]:[#7]:1"),
    ("tetrazole-substituted", "[#6]1:[#7]:[#7]:[#7]:[#7;X3;H0;+0]:1"),
    ("tetrazolate", "[#6]1:[#7]:[#7]:[#7]:[#7-]:1"),
    ("triazole-123-1h", "[#6]1:[#6]:[#7H]:[#7]:[#7]:1"),
    ("triazole-123-2h", "[#6]1:[#6]:[#7]:[#7H]:[#7]:1"),
    ("triazole-123-substituted", "[#6]1:[#6]:[#7]:[#7]:[#7;X3;H0;+0]:1"),
    ("triazole-124-1h", "[#6]1:[#7]:[#6]:[#7]:[#7H]:1"),
    ("triazole-124-4h", "[#6]1:[#7]:[#7]:[#6]:[#7H]:1"),
    ("triazole-124-substituted", "[#6]1:[#7]:[#6]:[#7]:[#7X3;H0;+0]:1",
     "[#6]1:[#7X3;H0;+0]:[#6]:[#7]:[#7]:1"),
    ("imidazole", "[#6]1:[#6]:[#7;+0]:[#6]:[#7;+0]:1"),
    ("imidazolium", "[#6]1:[#6]:[#7+]:[#6]:[#7]:1"),
    ("pyrazole", "[#6]1:[#6]:[#6]:[#7]:[#7]:1"),
    ("pyrrole", "[#6]1:[#6]:[#6]:[#6]:[#7X3;+0]:1"),
    ("indole", "c1ccc2c(c1)[#6]:[#6]:[#7X3]2"),
    ("benzimidazole", "c1ccc2c(c1)[#7]:[#6]:[#7]2"),
    ("pyridinium", "[#7+;r6;a;!$([#7+][O-])]"),
    ("pyrimidine", "[#6,#7]1:[#7]:[#6]:[#7]:[#6]:[#6]:1"),
    ("purine", "[#6]1:[#7]:[#6]:[#6]2:[#6](:[#7]:1):[#7]:[#6]:[#7]:2"),
    ("furan", "[#8]1:[#6]:[#6]:[#6]:[#6]:1"),
    ("thiophene", "[#16]1:[#6]:[#6]:[#6]:[#6]:1"),
    ("thiazole", "[#16]1:[#6]:[#7]:[#6]:[#6]:1"),
    ("oxazole", "[#8]1:[#6]:[#7]:[#6]:[#6]:1"),
    ("halogen", "[F,Cl,Br,I]"),
    ("nitrile", "[CX2]#[NX1]"),
    ("alkyne", "[CX2]#[CX2]"),
    ("ketone", "[#6][CX3](=O)[#6]"),
    ("aldehyde", "[CX3H1](=O)[#6]"),
    ("ether", "[OX2]([#6;!$([#6]=[O,S,N])])[#6;!$([#6]=[O,S,N])]"),
    ("alcohol", "[OX2H1][CX4]"),
    ("phenol", "[OX2H1]c"),
    ("thiol", "[SX2H1]"),
    ("thioether", "[SX2;!a]([#6])[#6]"),
]
GROUP_PATTERNS = [(g[0], [Chem.MolFromSmarts(s) for s in g[1:]]) for g in GROUPS]


def canonical(mol, stereo=True):
    return Chem.MolToSmiles(mol, isomericSmiles=stereo)


def groups_of(mol):
    """Names of the groups found in mol, then what its stereo and fragments are."""
    names = [name for name, patterns in GROUP_PATTERNS
             if any(mol.HasSubstructMatch(p) for p in patterns)]
    centres = Chem.FindMolChiralCenters(mol, includeUnassigned=False, useLegacyImplementation=True)
    if centres:
        names.append("stereo-centre")
        if any(mol.GetAtomWithIdx(i).IsInRing() for i, _ in centres):
            names.append("stereo-ring")
    if any(b.GetStereo() in (Chem.BondStereo.STEREOE, Chem.BondStereo.STEREOZ) for b in mol.GetBonds()):
        names.append("stereo-double-bond")
    if len(Chem.GetMolFrags(mol)) > 1:
        names.append("salt")
    charged = any(a.GetFormalCharge() for a in mol.GetAtoms())
    if not charged and "stereo-centre" not in names and "stereo-double-bond" not in names:
        names.append("uncharged-no-stereo")
    return names


def embed(smiles):
    """3D structure with all hydrogens and the canonical SMILES, or None and
    the reason why there is no structure."""
    mol = Chem.MolFromSmiles(smiles)
    if mol is None:
        return None, "SMILES not read"
    wanted = canonical(mol)
    molh = Chem.AddHs(mol)
    params = AllChem.ETKDGv3()
    params.randomSeed = SEED
    if AllChem.EmbedMolecule(molh, params) != 0:
        return None, "not embedded"
    if AllChem.MMFFHasAllMoleculeParams(molh):
        AllChem.MMFFOptimizeMolecule(molh, maxIters=2000)
    # The 3D structure alone has to give the stereo the SMILES asks for.
    check = Chem.Mol(molh)
    Chem.AssignStereochemistryFrom3D(check)
    got = canonical(Chem.RemoveHs(check))
    if got != wanted:
        return None, "3D stereo gives %s" % got
    return molh, wanted


def read_mol2_records(path):
    """The Mol2 records of path as (name, text) in file order."""
    with open(path) as f:
        text = f.read()
    starts = [m.start() for m in re.finditer(r"^@<TRIPOS>MOLECULE", text, re.M)]
    records = []
    for i, start in enumerate(starts):
        block = text[start:starts[i + 1] if i + 1 < len(starts) else len(text)]
        records.append((block.split("\n")[1].strip(), block))
    return records


def check_hydrogens(records, sd_mols, variant):
    """Which hydrogens Open Babel kept: all, those not on carbon, or none."""
    for (name, block), mol in zip(records, sd_mols):
        atoms = re.search(r"@<TRIPOS>ATOM\n(.*?)@<TRIPOS>", block, re.S).group(1).split("\n")
        bonds = re.search(r"@<TRIPOS>BOND\n(.*?)(?:@<TRIPOS>|\Z)", block, re.S).group(1).split("\n")
        element = {}
        for line in atoms:
            f = line.split()
            if f:
                element[f[0]] = f[5].split(".")[0]
        on_carbon = 0
        hydrogens = sum(1 for e in element.values() if e == "H")
        for line in bonds:
            f = line.split()
            if len(f) >= 4:
                pair = sorted((element[f[1]], element[f[2]]))
                on_carbon += pair == ["C", "H"]
        all_h = Chem.AddHs(mol)
        total = sum(1 for a in all_h.GetAtoms() if a.GetAtomicNum() == 1)
        polar = sum(1 for a in all_h.GetAtoms() if a.GetAtomicNum() == 1
                    and a.GetNeighbors()[0].GetAtomicNum() != 6)
        expected = {"all-h": total, "polar-h": polar, "no-h": 0}[variant]
        if hydrogens != expected or (variant != "all-h" and on_carbon):
            sys.exit("%s: %s has %d hydrogens (%d on carbon), expected %d"
                     % (variant, name, hydrogens, on_carbon, expected))


def openbabel_smiles(path):
    """What Open Babel reads from each record of a Mol2 file, as SMILES by title."""
    out = subprocess.run(["obabel", path, "-ocan"], capture_output=True, text=True, check=True).stdout
    result = []
    for line in out.split("\n"):
        if line.strip():
            fields = line.split("\t", 1) + [""]
            result.append((fields[1].strip(), fields[0].strip()))
    return result


def rdkit_canonical(smiles):
    """Canonical isomeric and non-isomeric SMILES of what RDKit reads from smiles."""
    mol = Chem.MolFromSmiles(smiles) if smiles else None
    if mol is None:
        return None, None
    return canonical(mol), canonical(mol, stereo=False)


def main():
    RDLogger.DisableLog("rdApp.*")
    os.chdir(HERE)
    # "Open Babel 3.1.1 -- <build date>": the name and version are enough.
    obabel_version = subprocess.run(["obabel", "-V"], capture_output=True, text=True).stdout
    obabel_version = obabel_version.split(" -- ")[0].strip()

    # RDKit: 3D structures with all hydrogens, written as SD.
    writer = Chem.SDWriter("corpus.sdf")
    written = 0
    dropped = []
    for number, smiles in enumerate(MOLECULES, 1):
        ident = "corpus-%03d" % number
        molh, detail = embed(smiles)
        if molh is None:
            dropped.append("%s %s: %s" % (ident, smiles, detail))
            continue
        molh.SetProp("_Name", ident)
        molh.SetProp("smiles", detail)
        molh.SetProp("groups", ";".join(groups_of(Chem.MolFromSmiles(smiles))))
        writer.write(molh)
        written += 1
    writer.close()
    for line in dropped:
        print("dropped", line)
    if written < 300:
        sys.exit("only %d molecules written" % written)

    sd_mols = list(Chem.SDMolSupplier("corpus.sdf"))
    sd_names = [m.GetProp("_Name") for m in sd_mols]
    for m in sd_mols:
        if canonical(m) != m.GetProp("smiles"):
            sys.exit("%s reads back from corpus.sdf as %s" % (m.GetProp("_Name"), canonical(m)))

    # Open Babel: the same records as Mol2, with all, polar and no hydrogens.
    # --DelNonPolarH deletes the hydrogens on carbon and keeps those on N, O,
    # S and P; -d deletes them all. The checks below count what was kept.
    variants = [
        ("all-h", []),
        ("polar-h", ["--DelNonPolarH"]),
        ("no-h", ["-d"]),
    ]
    for variant, options in variants:
        path = "corpus-%s.mol2" % variant
        subprocess.run(["obabel", "corpus.sdf", "-O", path] + options, check=True, capture_output=True)
        records = read_mol2_records(path)
        if [name for name, _ in records] != sd_names:
            sys.exit("%s: %d records, not the %d of corpus.sdf in their order"
                     % (path, len(records), len(sd_names)))
        check_hydrogens(records, sd_mols, variant)

    # The peers: how often Open Babel and RDKit read a Mol2 record as its SD twin.
    twins = {m.GetProp("_Name"): (canonical(m), canonical(m, stereo=False)) for m in sd_mols}
    report = [
        "Identity rates of the peer toolkits on the Mol2 corpus",
        "",
        "A Mol2 record counts as identical when the canonical SMILES (RDKit %s," % rdBase.rdkitVersion,
        "hydrogens removed) of what the toolkit reads from it equals that of its SD",
        "twin in corpus.sdf as RDKit reads it; \"no stereo\" compares SMILES without",
        "stereo. %s: \"obabel corpus-X.mol2 -ocan\"," % obabel_version,
        "its SMILES read by RDKit. RDKit: Chem.MolFromMol2Block with its defaults;",
        "a record it refuses counts as a miss.",
        "",
        "%-8s %8s  %-22s %-22s" % ("", "records", "Open Babel", "RDKit"),
        "%-8s %8s  %-10s %-11s %-10s %-11s" % ("variant", "", "stereo", "no stereo", "stereo", "no stereo"),
    ]
    misses = []
    for variant, _ in variants:
        path = "corpus-%s.mol2" % variant
        ob = openbabel_smiles(path)
        if [title for title, _ in ob] != sd_names:
            sys.exit("obabel read %d records from %s" % (len(ob), path))
        counts = [0, 0, 0, 0]
        for (title, smiles), (name, block) in zip(ob, read_mol2_records(path)):
            iso, flat = twins[title]
            ob_iso, ob_flat = rdkit_canonical(smiles)
            counts[0] += ob_iso == iso
            counts[1] += ob_flat == flat
            rd = Chem.MolFromMol2Block(block)
            if rd is not None:
                counts[2] += canonical(rd) == iso
                counts[3] += canonical(rd, stereo=False) == flat
            if ob_iso != iso:
                misses.append("%-8s %s\n    SD:         %s\n    Open Babel: %s%s" % (
                    variant, title, iso, smiles,
                    "" if ob_iso is None or ob_iso == smiles else "\n    as RDKit:   %s" % ob_iso))
        n = len(ob)
        report.append("%-8s %8d  %-10s %-11s %-10s %-11s" % (
            variant, n, *("%d %.1f%%" % (c, 100.0 * c / n) for c in counts)))
    report += ["", "Records Open Babel does not read as their SD twin (with stereo):", ""]
    report += misses or ["none"]
    text = "\n".join(report) + "\n"
    with open("peers.txt", "w") as f:
        f.write(text)
    print(text)
    print("%d molecules, %d dropped" % (written, len(dropped)))


if __name__ == "__main__":
    main()

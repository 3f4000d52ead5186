#pragma once

namespace VorlatImportExport {

// Which extreme of a group a ranked request uses.
enum TDM_Query_Limits {
    TDM_Query_Maxs = 0, // the group's largest value and its row
    TDM_Query_Mins = 1, // the group's smallest value and its row
};

} // namespace VorlatImportExport

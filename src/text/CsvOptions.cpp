#include "text/CsvOptions.h"

#include <vector>

namespace VorlatImportExport {

namespace {

const char Candidates[] = {',', ';', '\t', '|'};
const int CandidateCount = 4;
const int MostRecords = 50;

} // namespace

bool CsvOptions::IsSeparator(char c) { return c == ',' || c == ';' || c == '\t' || c == '|'; }

char CsvOptions::DetectSeparator(const std::string& text)
{
    // Per record, how often each candidate stands outside quoted fields. A
    // record ends at a line end outside quotes; the last one counts only
    // when the text ends with a line end (a cut record tells nothing).
    std::vector<std::vector<int>> records;
    std::vector<int> counts(CandidateCount, 0);
    bool inQuotes = false;
    bool any = false;
    for (std::size_t i = 0; i < text.size() && static_cast<int>(records.size()) < MostRecords; ++i) {
        const char c = text[i];
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if (!inQuotes && (c == '\n' || c == '\r')) {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            if (any)
                records.push_back(counts);
            counts.assign(CandidateCount, 0);
            any = false;
            continue;
        } else if (!inQuotes) {
            for (int k = 0; k < CandidateCount; ++k)
                counts[k] += c == Candidates[k];
        }
        any = true;
    }
    if (records.empty())
        return 0;
    char chosen = 0;
    for (int k = 0; k < CandidateCount; ++k) {
        const int first = records.front()[k];
        bool steady = first > 0;
        for (const std::vector<int>& record : records)
            steady = steady && record[k] == first;
        if (!steady)
            continue;
        if (chosen)
            return 0; // two candidates fit: no doubt is no longer true
        chosen = Candidates[k];
    }
    return chosen;
}

} // namespace VorlatImportExport

#pragma once

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

// README.md's tables that name the programs' texts by their beginnings: the first column of each
// row ("A / B" names two), "…" standing for any text.
namespace qeltor::testing {

// The beginnings the table under the heading row that starts with `heading` names, each split at
// its ellipses.
inline std::vector<std::vector<std::string>> ReadmeBeginnings(const std::string& readme, const std::string& heading) {
    const std::string ellipsis = "\xe2\x80\xa6";
    std::istringstream lines(readme);
    std::vector<std::vector<std::string>> beginnings;
    bool inTable = false;
    for (std::string line; std::getline(lines, line);) {
        inTable = line.starts_with(heading) || (inTable && line.starts_with("|"));
        const std::string cell = line.substr(std::min<std::size_t>(2, line.size()), line.find(" | ", 2) - 2);
        for (std::size_t at = 0; inTable && !line.starts_with("|-") && at <= cell.size();) {
            const std::size_t end = std::min(cell.find(" / ", at), cell.size());
            std::vector<std::string>& pieces = beginnings.emplace_back();
            for (std::size_t piece = at; piece <= end;) {
                const std::size_t stop = std::min(cell.find(ellipsis, piece), end);
                pieces.push_back(cell.substr(piece, stop - piece));
                piece = stop + ellipsis.size();
            }
            at = end + 3;
        }
    }
    return beginnings;
}

// Whether one of `beginnings` is how `text` begins.
inline bool NamedBy(const std::string& text, const std::vector<std::vector<std::string>>& beginnings) {
    return std::ranges::any_of(beginnings, [&text](const std::vector<std::string>& pieces) {
        std::size_t at = text.starts_with(pieces[0]) ? pieces[0].size() : std::string::npos;
        for (std::size_t i = 1; i < pieces.size() && at != std::string::npos; ++i) {
            at = text.find(pieces[i], at);
            at = at == std::string::npos ? at : at + pieces[i].size();
        }
        return at != std::string::npos;
    });
}

}  // namespace qeltor::testing

#include "rename_plan.h"

#include <windows.h>

#include <unordered_set>

namespace {

constexpr unsigned long kLargestStart = 999999999;
constexpr size_t kLongestPath = MAX_PATH - 1;

std::string Lower(std::string text) {
    if (!text.empty()) CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool BadName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return true;
    return name.find_first_of("\\/:*?\"<>|") != std::string::npos;
}

}  // namespace

RenameTemplate DeriveRenameTemplate(const std::string& fileName) {
    RenameTemplate result;
    const size_t dot = fileName.find_last_of('.');
    const bool hasDot = dot != std::string::npos && dot > 0;
    std::string stem = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    if (hasDot) {
        size_t digits = stem.size();
        while (digits > 0 && stem[digits - 1] >= '0' && stem[digits - 1] <= '9') --digits;
        // Only the last nine digits count: the start stays within bounds.
        const size_t from = stem.size() - digits > 9 ? stem.size() - 9 : digits;
        for (size_t i = from; i < stem.size(); ++i) result.start = result.start * 10 + (stem[i] - '0');
    }
    int marks = 0;
    for (char& c : stem) {
        if (c >= '0' && c <= '9') {
            c = '#';
            ++marks;
        }
    }
    if (marks < 3) stem += "###";
    result.pattern = stem;
    return result;
}

std::string ExpandRenameTemplate(const std::string& pattern, unsigned long n) {
    std::string out;
    size_t i = 0;
    while (i < pattern.size()) {
        if (pattern[i] != '#') {
            out += pattern[i++];
            continue;
        }
        size_t run = 0;
        while (i + run < pattern.size() && pattern[i + run] == '#') ++run;
        std::string digits;
        unsigned long value = n;
        for (size_t k = 0; k < run; ++k) {
            digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
            value /= 10;
        }
        out += digits;
        i += run;
    }
    return out;
}

std::string RenamedName(const std::string& pattern, unsigned long number, const std::string& oldName) {
    std::string name = ExpandRenameTemplate(pattern, number);
    const size_t dot = oldName.find_last_of('.');
    if (dot != std::string::npos) name += oldName.substr(dot);
    return name;
}

bool ParseRenameStart(const std::string& text, unsigned long* value) {
    if (text.empty() || text.size() > 9) return false;
    unsigned long result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        result = result * 10 + (c - '0');
    }
    if (result > kLargestStart) return false;
    *value = result;
    return true;
}

RenamePlan PlanRenames(const std::vector<std::string>& sources, const std::vector<std::string>& newNames,
                       bool (*exists)(const std::string& path), RenameProblem* problem, std::string* culprit) {
    RenamePlan plan;
    *problem = kRenameFine;
    culprit->clear();
    auto refuse = [&](RenameProblem why, const std::string& name) {
        *problem = why;
        *culprit = name;
        return RenamePlan();
    };
    if (newNames.size() != sources.size()) return refuse(kRenameRepeated, std::string());
    std::unordered_set<std::string> sourceKeys, targetKeys;
    for (const std::string& source : sources) sourceKeys.insert(Lower(source));
    std::vector<RenameStep> moves;
    bool chained = false;
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::string& name = newNames[i];
        if (BadName(name)) return refuse(kRenameBadName, name);
        const std::string target = FolderOf(sources[i]) + name;
        if (target.size() > kLongestPath) return refuse(kRenameTooLong, name);
        if (!targetKeys.insert(Lower(target)).second) return refuse(kRenameRepeated, name);
        if (target == sources[i]) continue;
        const bool ownCase = Lower(target) == Lower(sources[i]);
        if (!ownCase && sourceKeys.count(Lower(target))) chained = true;
        else if (!ownCase && exists(target)) return refuse(kRenameTaken, name);
        moves.push_back({sources[i], target});
    }
    if (!chained) {
        plan.first = moves;
        return plan;
    }
    // Through temporary names that nothing else has.
    unsigned counter = 0;
    for (const RenameStep& move : moves) {
        std::string temporary;
        do {
            char name[48];
            wsprintfA(name, "~rename-%u-%lu.tmp", counter++, GetCurrentProcessId());
            temporary = FolderOf(move.from) + name;
        } while (exists(temporary) || sourceKeys.count(Lower(temporary)) || targetKeys.count(Lower(temporary)));
        if (temporary.size() > kLongestPath) return refuse(kRenameTooLong, NameOf(move.to));
        plan.first.push_back({move.from, temporary});
        plan.second.push_back({temporary, move.to});
    }
    return plan;
}

#include "core/JudgePlan.h"

#include "core/Paths.h"

namespace qeltor::permissions {
namespace {

// A folder's steps, itself and each folder above it, then what lies beside in it when the plan
// reaches that far.
void AddFolder(std::vector<Step>& plan, const std::wstring& folder, bool ofKit, Reach reach) {
    plan.push_back({folder, Judged::Folder, ofKit, {}});
    for (auto above = FolderAbove(folder); above; above = FolderAbove(*above)) {
        plan.push_back({*above, Judged::Above, ofKit, folder});
    }
    if (reach == Reach::WhatTheyMayLoad) {
        plan.push_back({folder, Judged::Beside, ofKit, {}});
    }
}

}  // namespace

std::vector<Step> FolderPlan(const std::wstring& folder) {
    std::vector<Step> plan;
    AddFolder(plan, folder, false, Reach::Folders);
    return plan;
}

std::vector<Step> JudgePlan(const std::wstring& kitFolder, std::initializer_list<const wchar_t*> kitPrograms,
                            const std::wstring& program, Reach reach) {
    std::vector<Step> plan;
    if (!kitFolder.empty()) {
        for (const wchar_t* name : kitPrograms) {
            plan.push_back({kitFolder + name, Judged::Program, true, {}});
        }
        AddFolder(plan, kitFolder, true, reach);
    }
    plan.push_back({program, Judged::Program, false, {}});
    if (const std::wstring folder = UpToLastSeparator(program); !folder.empty()) {
        AddFolder(plan, folder, false, reach);
    }
    return plan;
}

}  // namespace qeltor::permissions

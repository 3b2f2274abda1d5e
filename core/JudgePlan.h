#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// What is judged, in order, before a program is run as the system: the click refuses at the first
// step that accounts that are no administrators can change, instsrv.exe warns at it. Each reads
// the permissions its own way; both take the same steps.
namespace qeltor::permissions {

// What a step judges at its path.
enum class Judged : std::uint8_t {
    Program,  // a program the service runs (Role::Runs)
    Folder,   // the folder that holds what the service runs (Role::Runs)
    Above,    // a folder above that one (Role::Above)
    Beside,   // every file and folder directly in a folder (Role::Runs): the program may load any
};

// How far a plan reaches: instsrv.exe judges the programs and the folders that hold them; the
// click also what lies beside them.
enum class Reach : std::uint8_t { Folders, WhatTheyMayLoad };

struct Step {
    std::wstring path;
    Judged judged;
    bool ofKit;          // the kit's own program or folder, which the click words apart
    std::wstring below;  // for Above: the folder it lies above
};

// A folder that holds what the service runs, then each folder above it up to the root.
std::vector<Step> FolderPlan(const std::wstring& folder);

// The steps for `program` run by the kit's programs `kitPrograms` (names in `kitFolder`, which
// ends with a separator): each kit program, the kit's folder and those above, what lies beside
// them; then the program, the folder it lies in (up to its last separator of either kind) and
// those above, what lies beside it. Without a kit folder, the program's steps alone; with a
// program in no folder, the program alone.
std::vector<Step> JudgePlan(const std::wstring& kitFolder, std::initializer_list<const wchar_t*> kitPrograms,
                            const std::wstring& program, Reach reach);

}  // namespace qeltor::permissions

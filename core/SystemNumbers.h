#pragma once

// The types in which Windows hands over numbers: its DWORD and ULONGLONG are these (checked with
// static_assert where each tool's Win32 side meets its decisions). Plain code holds process ids, error codes and
// ticks in them, so that they pass to and from the system unchanged, without <windows.h>.
namespace qeltor {

using Dword = unsigned long;
using Qword = unsigned long long;

}  // namespace qeltor
